// Packet scripts for the room, private chat and group commands: rooms and groups listed twice stay
// single and keep their cards, occupancy pairs, refused private chats, room lines and alerts, group
// departures, and malformed records that change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messaging/commands/messenger_commands.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

using fnd::Value;

Value group(int32_t id, int32_t admin, const std::string& name) {
    return Value::array({id, admin, 0, name, 1, 5, "about", 0});
}

class MessengerRoomCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        run({90, Value::array({Value::array({5, "Lobby", 3, 50, 0, 1}), Value::array({6, "Quiet", 0, 20, 0, 0})})});
    }
    void run(std::initializer_list<Value> items) { commands.handle(Value::array(items)); }
    MessengerCommands::Hooks hooks() {
        MessengerCommands::Hooks h;
        h.refresh = [this] { ++refreshes; };
        h.send = [this](const Value& packet) { sent.push_back(packet); };
        h.showAlert = [this](const std::string& text) { alerts.push_back(text); };
        h.showWarning = [this](const std::string& text) { warnings.push_back(text); };
        h.roomsQueried = [this] { ++roomQueries; };
        return h;
    }

    std::shared_ptr<IMChatList> window = std::make_shared<IMChatList>();
    ContactManage model{[] { return false; }, window};
    int refreshes = 0;
    int roomQueries = 0;
    std::vector<Value> sent;
    std::vector<std::string> alerts;
    std::vector<std::string> warnings;
    MessengerCommands commands{model, hooks()};
};

TEST_F(MessengerRoomCommandsTest, ListsUpdateKnownRoomsAndGroupsInPlace) {
    auto lobby = model.findChatRoom(5);
    auto chat = window->findChatWithCard(lobby);
    run({90, Value::array({Value::array({5, "Lobby 2", 7, 50, 0, 0})})});
    ASSERT_EQ(model.chatRooms().size(), 2u);
    EXPECT_EQ(model.findChatRoom(5), lobby);
    EXPECT_EQ(lobby->name(), "Lobby 2");
    EXPECT_FALSE(lobby->admin());

    run({91, 5, 10, 6, 20});
    EXPECT_EQ(lobby->current(), 10);
    EXPECT_EQ(model.findChatRoom(6)->current(), 20);
    EXPECT_EQ(roomQueries, 3);

    run({300, group(1, 1, "Mine"), group(2, 0, "Theirs")});
    auto mine = model.findChatGroup(1);
    run({313, group(1, 0, "Renamed")});
    ASSERT_EQ(model.chatGroups().size(), 2u);
    EXPECT_EQ(model.findChatGroup(1), mine);
    EXPECT_EQ(mine->name(), "Renamed");
    EXPECT_FALSE(mine->isAdmin());
    run({312, group(2, 1, "Theirs 2"), group(9, 1, "Unknown")});
    EXPECT_TRUE(model.findChatGroup(2)->isAdmin());
    EXPECT_EQ(model.chatGroups().size(), 2u);
}

TEST_F(MessengerRoomCommandsTest, RoomLinesPrivateChatsAndAlerts) {
    auto lobby = model.findChatRoom(5);
    auto chat = window->findChatWithCard(lobby);
    run({27, 5, Value::array({Value::array({3001, 0, "Eve", "", 44, 1})})});
    EXPECT_EQ(lobby->state(), 1);
    EXPECT_TRUE(lobby->findUser(3001));
    run({26, 5, -1, "The room closes soon", ""});
    run({26, 5, 3002, "Stranger", "hi"});
    ASSERT_EQ(chat->messages().size(), 3u);
    EXPECT_EQ(chat->messages().back()->card()->getname(), "Stranger");

    // Not whitelisted: refused with [62, session id], nothing added.
    run({37, 77, 3001, "Eve", Value::array({-1, "psst"})});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Value::array({62, 77}));
    EXPECT_TRUE(model.privateChatUsers().empty());
    lobby->setAllowPrivateChat(true);
    run({25, 5, Value::array({"login", 3001, 0, "Eve", 78, 0})});
    run({37, 78, 3001, "Eve", Value::array({-1, "psst"})});
    ASSERT_EQ(model.privateChatUsers().size(), 1u);
    EXPECT_EQ(window->findChatWithCard(model.privateChatUsers()[0], false)->messages().size(), 1u);

    run({34, 999, 0, "Room is full"});
    run({59, 5});
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0], "Room is full");
    EXPECT_FALSE(window->findChatWithCard(lobby, false));
}

TEST_F(MessengerRoomCommandsTest, GroupsLeftDisbandedAndMessaged) {
    run({300, group(1, 1, "Mine"), group(2, 0, "Theirs")});
    auto chat = window->findChatWithCard(model.findChatGroup(2));
    run({309, 2, Value::array({4001, "Fay", "hello"}), Value::array({4002, "Gus", "hey"})});
    run({317, 2, "Fay joined"});
    EXPECT_EQ(chat->messages().size(), 3u);

    run({303, 1, 0});
    run({303, 1});
    run({303, 1, 4, "Not allowed"});
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[1], "Not allowed");

    run({307, 2, "Closed by the owner"});
    run({314, 1});
    EXPECT_TRUE(model.chatGroups().empty());
    EXPECT_TRUE(window->chats().empty());
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0], "Closed by the owner");
}

TEST_F(MessengerRoomCommandsTest, MalformedRecordsChangeNothing) {
    fnd::testing::LogCapture log;
    run({90, Value::array({Value::array({7, "New", 1, 2, 0, 0}), Value::array({8, 9})})});
    run({300, group(3, 1, "Ok"), Value::array({4, 1, 0})});
    run({25, 5, Value::array({"login", 3001})});
    run({37, 77, 3001});
    run({309, 2, "not an entry"});
    EXPECT_EQ(model.chatRooms().size(), 2u);
    EXPECT_TRUE(model.chatGroups().empty());
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(log.count("IMControlle exception"), 5u);
}

} // namespace
} // namespace zelvan
