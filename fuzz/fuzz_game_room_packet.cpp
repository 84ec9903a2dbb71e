// Fuzz target: room commands from untrusted bytes handed to a headless Games tab controller. The first
// byte picks one of the routed command numbers, the rest is a codec value that becomes the packet's
// elements; before each input a small game is open in room 5, and after it the game is ticked a few
// times. Nothing may crash, every packet the controller sends is a room command it is allowed to send,
// and once the connection is lost no game stays open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <span>

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "games/engine/stl_script_core.h"
#include "games/room/game_room_web_controller.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/ui/alert_panel.h"
#include "protocol/tagged_codec.h"
#include "routed_packet_fuzz_support.h"
#include "temp_folder_fuzz_support.h"
#include "tools/bcasm/assembler.h"
#include "web/zlv_web_database_manager.h"

namespace {

using fnd::Value;

constexpr int32_t kCommands[] = {21, 22, 38, 39, 40, 41, 43, 44, 46, 51, 52,
                                 53, 55, 64, 65, 69, 74, 78, 79, 81, 82, 83};
const std::set<int64_t> kSent = {35, 36, 40, 41, 43, 44, 47, 56, 65, 66, 68, 74};

// A game whose "initialize" is done at once, whose "oncmd" keeps its command and whose "execute" wins.
constexpr const char* kGame = ".entry \"initialize\" G3\n.entry \"execute\" G4\n.entry \"oncmd\" G5\n"
                              "    func init\n    store G3\n    func exec\n    store G4\n    func cmd\n    store G5\n"
                              "    stop\n"
                              "init:\n    push -1\n    ret\n"
                              "exec:\n    push 1\n    ret\n"
                              "cmd:\n    load L0\n    store G6\n    push 0\n    ret\n";

struct World {
    std::shared_ptr<zelvan::zelvanAppDelegate> app;
    std::shared_ptr<zelvan::GameRoomWebController> rooms;
    Value start;
};

World& world() {
    static World w = [] {
        ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-game-room-packet").c_str(), 1);
        fnd::initMainThread();
        fnd::ManualClock::install(); // the delayed closes run when the input advances the clock
        World made;
        zelvan::AppRegistry registry;
        registry.webDatabases.factory = [](zelvan::zelvanAppDelegate&) {
            return std::make_shared<zelvan::ZLVWebDatabaseManager>();
        };
        made.app = zelvan::zelvanAppDelegate::create({}, std::move(registry));
        zelvan::zelvanAppDelegate::setInstance(made.app);
        made.rooms = zelvan::GameRoomWebController::create(made.app);
        made.rooms->setInitUrl("");
        made.rooms->view();
        zelvan::Assembler assembler;
        auto image = assembler.assemble(kGame);
        if (!image) {
            std::abort();
        }
        made.start = Value::array({21, "Fuzz", 5, 1, Value::array({"a", "b"}), Value::array({1, 2}),
                                   Value(fnd::Bytes(image->begin(), image->end())), 9, 0, 4});
        return made;
    }();
    return w;
}

void settle() {
    fnd::RunLoop::main().runUntilIdle();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    if (size == 0) {
        return 0;
    }
    const int32_t command = kCommands[data[0] % std::size(kCommands)];
    Value packet = fuzzsupport::routedPacket(command, std::span<const uint8_t>(data + 1, size - 1));

    w.rooms->handleServerResponseInternal(w.start);
    w.rooms->handleServerResponseInternal(packet);
    settle();
    for (int i = 0; i < 4; ++i) {
        // A game the input started runs with a small budget, so one input stays fast.
        auto game = w.rooms->playingScreen();
        auto engine = game != nullptr ? game->engine() : nullptr;
        if (engine != nullptr && engine->core() != nullptr) {
            engine->core()->setInstructionBudget(100'000);
        }
        w.rooms->executeScript();
        w.rooms->gc(1);
    }
    settle();
    fnd::RunLoop::main().advance(1); // delayed closes and quits run

    w.rooms->connectionLost();
    settle();
    if (w.rooms->playingScreen() != nullptr) {
        std::abort();
    }
    w.app->hideInfo();
    for (const auto& panel : ui::AlertPanel::visiblePanels()) {
        panel->dismissWithClickedButtonIndex(0, ui::Animated::No);
    }
    for (const auto& view : w.rooms->view()->subviews()) {
        if (auto notice = std::dynamic_pointer_cast<zelvan::ZSimpleAlertView>(view)) {
            notice->hide();
        }
    }
    if (auto alert = w.rooms->gameAlert()) {
        alert->hide();
    }
    settle();
    for (const auto& bytes : w.app->packetQueue().drain()) {
        auto sent = zelvan::loads(bytes);
        auto items = sent ? sent->asArray() : nullptr;
        if (!items || items->count() == 0 || !items->objectAtIndex(0).isNumber() ||
            kSent.count(items->objectAtIndex(0).longLongValue()) == 0) {
            std::abort();
        }
    }
    return 0;
}
