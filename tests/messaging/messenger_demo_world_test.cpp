// End to end over loopback: the dev server's demo messenger world reaches a launched client's
// messenger - friends, contacts, rooms and groups in their lists, two friends online and the greeting
// in friend 2001's chat.
#include <gtest/gtest.h>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/im_controller.h"
#include "platform/foundation/run_loop.h"
#include "tests/messaging/launched_messenger.h"

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

} // namespace
} // namespace zelvan
