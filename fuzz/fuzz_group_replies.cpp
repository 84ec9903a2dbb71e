// Fuzz target: chat-group replies (305 members, 306 disband, 310 invite, 311 remove) built from
// untrusted bytes reach member screens with a group set, through the reply router or straight to
// their handler, and the rows are drawn after each. Nothing may crash; a screen shows exactly the
// members it keeps, a handled member reply ends its wait, and only the screens still waiting stay
// subscribed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "byte_reader_fuzz_support.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/commands/chat_group_reply_router.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_group_user.h"
#include "messaging/rooms/chat_group_user_controller.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "temp_folder_fuzz_support.h"

namespace {

using fnd::Value;

// Mostly small numbers, so replies meet the screens' groups; now and then any 64-bit value.
class Reader : public fuzzsupport::ByteReader {
public:
    using ByteReader::ByteReader;
    int64_t number() { return ByteReader::numberOrAny(8, 2); }
};

Value element(Reader& in, int depth) {
    switch (in.byte() % 8) {
    case 0:
        return Value();
    case 1:
        return Value("Ada \xF0\x9F\x98\x80");
    case 2:
        return Value(2.5);
    case 3:
        return Value(fnd::Bytes{0xff, 0x00});
    case 4:
    case 5: {
        // A record: mostly the four member fields, any kinds.
        Value record = Value::array();
        const size_t count = depth > 2 ? 0 : in.byte() % 6;
        for (size_t i = 0; i < count; ++i) {
            record.asArray()->addObject(i == 1 && in.byte() % 2 ? Value("Bo") : element(in, depth + 1));
        }
        return record;
    }
    default:
        return Value(in.number());
    }
}

struct World {
    std::shared_ptr<zelvan::zelvanAppDelegate> app;
    std::shared_ptr<zelvan::ChatGroupReplyRouter> router;
};

World& world() {
    static World w = [] {
        ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-group-replies").c_str(), 1);
        fnd::initMainThread();
        World made;
        made.app = zelvan::zelvanAppDelegate::create(zelvan::AppConfig{}, zelvan::AppRegistry{});
        zelvan::zelvanAppDelegate::setInstance(made.app);
        made.router = zelvan::ChatGroupReplyRouter::create(*made.app);
        return made;
    }();
    return w;
}

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    Reader in(data, size);
    std::vector<std::shared_ptr<zelvan::ChatGroupUserController>> screens;
    const size_t count = 1 + in.byte() % 3;
    for (size_t i = 0; i < count; ++i) {
        auto group = zelvan::ChatGroupCard::create();
        group->setGroupId(static_cast<int32_t>(in.byte() % 3));
        auto screen = zelvan::ChatGroupUserController::create(w.app, w.router, group);
        screen->view();
        screen->refresh();
        screens.push_back(screen);
    }

    while (in.more()) {
        const uint8_t op = in.byte();
        static constexpr int kCommands[] = {305, 306, 310, 311};
        const int cmd = kCommands[op % 4];
        Value packet = Value::array({cmd, op & 0x20 ? element(in, 0) : Value(static_cast<int64_t>(in.byte() % 3))});
        const size_t elements = in.byte() % 8;
        for (size_t i = 0; i < elements; ++i) {
            packet.asArray()->addObject(element(in, 0));
        }
        if (op & 0x40) {
            packet.asArray()->replaceObjectAtIndex(0, element(in, 0));
        }
        auto& target = screens[in.byte() % screens.size()];
        const bool wasWaiting = target->waiting();
        if (op & 0x10) {
            w.router->handleServerResponse(packet);
            fnd::RunLoop::main().runUntilIdle();
        } else {
            target->groupReplyReceived(cmd, packet);
        }
        // The router routes by element 0; the handler is told the command.
        const auto items = packet.asArray();
        const bool viaRouter = (op & 0x10) != 0;
        const bool routedAsMembers = items->objectAtIndex(0).isInt() && items->objectAtIndex(0).longLongValue() == 305;
        const bool forThisGroup =
            items->objectAtIndex(1).isInt() && items->objectAtIndex(1).longLongValue() == target->group()->groupId();
        if (forThisGroup && (viaRouter ? routedAsMembers && wasWaiting : cmd == 305)) {
            check(!target->waiting());
            check(target->users().size() + 2 <= items->count());
        }
        size_t waiting = 0;
        for (const auto& screen : screens) {
            waiting += screen->waiting() ? 1 : 0;
            check(screen->tableView()->numberOfRowsInSection(0) == static_cast<int>(screen->users().size()));
            for (int row = 0; row < static_cast<int>(screen->users().size()); ++row) {
                check(screen->tableViewCellForRowAtIndexPath(*screen->tableView(), {0, row}) != nullptr);
            }
        }
        check(w.router->subscriberCount(305) == waiting);
        if (op == 0xff && screens.size() > 1) {
            screens.pop_back();
        }
    }
    screens.clear();
    fnd::RunLoop::main().runUntilIdle();
    check(w.router->subscriberCount(305) == 0);
    w.app->packetQueue().drain();
    return 0;
}
