// End to end over loopback: the dev server's demo messenger world reaches a launched client's
// messenger - friends, contacts, rooms and groups in their lists, two friends online and the greeting
// in friend 2001's chat; friend 2001 answers the user's lines, the others stay silent.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/run_loop.h"
#include "protocol/zelvan_packet.h"
#include "tests/messaging/launched_messenger.h"
#include "tools/devserver/demo_messenger.h"

namespace zelvan {
namespace {

using fnd::Value;

TEST(MessengerDemoWorldTest, DemoWorldFillsTheListsAfterLogIn) {
    LaunchedMessenger client;
    ASSERT_TRUE(client.launch());
    const auto& controller = client.messenger();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            // The option answer comes last.
            auto last = controller ? controller->getuserid(2003) : nullptr;
            return last && last->supportOfflineMessage();
        },
        10.0));

    EXPECT_EQ(controller->zelvanFriends().size(), 3u);
    EXPECT_EQ(controller->abContacts().size(), 2u);
    EXPECT_EQ(controller->chatGroups().size(), 2u);
    EXPECT_EQ(controller->chatRooms().size(), 2u);
    int online = 0;
    for (const auto& card : controller->zelvanFriends()) {
        online += card->state() == 1 ? 1 : 0;
        EXPECT_TRUE(card->supportOfflineMessage());
    }
    EXPECT_EQ(online, 2);
    auto chat = controller->chat()->findChatWithCard(controller->getuserid(2001), false);
    ASSERT_TRUE(chat);
    // The chat opens with the friend's presence line, then the friend's message.
    ASSERT_EQ(chat->messages().size(), 2u);
    EXPECT_EQ(chat->messages()[0]->type(), IMMessage::kTypeSystem);
    EXPECT_EQ(chat->messages()[1]->card(), controller->getuserid(2001));
}

TEST(MessengerDemoWorldTest, FriendAnswersTheUsersLineInItsChat) {
    LaunchedMessenger client;
    ASSERT_TRUE(client.launch([](IMController& m) { return m.getuserid(2001) && m.getuserid(2002); }));
    const auto& controller = client.messenger();
    auto sendLine = [&](int friendId, const char* text) {
        ZelvanPacket line(6);
        line.addInt(-1);
        line.addInt(friendId);
        line.addObject(text);
        client.delegate()->sendPacket(line);
    };
    // The line to 2002 goes first: when 2001's answer is in, 2002 would have answered already.
    sendLine(2002, "Hi \xC5\x81ukasz");
    sendLine(2001, "Hi Ada");
    auto ada = controller->getuserid(2001);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            auto chat = controller->chat()->findChatWithCard(ada, false);
            return chat && chat->messages().size() >= 3;
        },
        10.0));
    auto chat = controller->chat()->findChatWithCard(ada, false);
    EXPECT_EQ(chat->messages().back()->card(), ada);
    std::string shown;
    for (const auto& token : chat->messages().back()->tokens()) {
        if (const auto* run = std::get_if<std::string>(&token)) {
            shown += *run;
        }
    }
    EXPECT_EQ(shown, devserver::kDemoFriendAnswer);
    auto quiet = controller->chat()->findChatWithCard(controller->getuserid(2002), false);
    if (quiet) {
        for (const auto& message : quiet->messages()) {
            EXPECT_NE(message->card(), controller->getuserid(2002));
        }
    }
}

} // namespace
} // namespace zelvan
