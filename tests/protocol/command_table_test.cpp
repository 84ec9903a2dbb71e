// The command table as routing uses it: each received number has one owner, and dispatching every
// received number reaches exactly the owner lists the table gives.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "protocol/command_map.h"
#include "protocol/command_table.h"

namespace zelvan {
namespace {

using fnd::Value;

class RecordingHandler : public CommandHandler {
public:
    void handleServerResponse(const Value& packet) override {
        numbers.push_back(packet.asArray()->objectAtIndex(0).intValue());
    }
    std::vector<int> numbers;
};

template <CommandOwner owner>
std::vector<int> owned() {
    const auto numbers = commandsOwnedBy<owner>();
    return {numbers.begin(), numbers.end()};
}

TEST(CommandTable, EveryReceivedNumberReachesItsOneOwner) {
    std::map<int, int> receivedRows;
    for (const CommandInfo& info : kCommandTable) {
        receivedRows[info.number] += info.received() ? 1 : 0;
    }
    for (const auto& [number, rows] : receivedRows) {
        EXPECT_LE(rows, 1) << "command " << number << " has two receiving owners";
    }

    CommandMap map;
    map.setLoggedIn(true);
    std::map<CommandOwner, std::shared_ptr<RecordingHandler>> slots;
    for (CommandOwner owner : {CommandOwner::Messenger, CommandOwner::AvatarManager, CommandOwner::GamesTab,
                               CommandOwner::GameCache, CommandOwner::WebCache}) {
        slots[owner] = std::make_shared<RecordingHandler>();
        map.setOwner(owner, slots[owner]);
    }
    auto fallback = std::make_shared<RecordingHandler>();
    map.setFallback(fallback);

    std::vector<int> unowned;
    for (const CommandInfo& info : kCommandTable) {
        if (info.received() && info.number != cmd::kCompressed) {
            EXPECT_TRUE(map.dispatch(Value::array({info.number})));
            if (info.owner == CommandOwner::Core || info.owner == CommandOwner::Screens) {
                unowned.push_back(info.number);
            }
        }
    }
    EXPECT_EQ(slots[CommandOwner::Messenger]->numbers, owned<CommandOwner::Messenger>());
    EXPECT_EQ(slots[CommandOwner::AvatarManager]->numbers, owned<CommandOwner::AvatarManager>());
    EXPECT_EQ(slots[CommandOwner::GamesTab]->numbers, owned<CommandOwner::GamesTab>());
    EXPECT_EQ(slots[CommandOwner::GameCache]->numbers, owned<CommandOwner::GameCache>());
    EXPECT_EQ(slots[CommandOwner::WebCache]->numbers, owned<CommandOwner::WebCache>());
    EXPECT_EQ(fallback->numbers, unowned);
    EXPECT_TRUE(owned<CommandOwner::None>().empty());
}

} // namespace
} // namespace zelvan
