// The chat room member screens in a launched client against the dev server's demo world: the
// administrator's removal confirmations and the command 48 packets they send, and the ordinary
// member's rows with the chats their buttons open.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/rooms/chat_room_admin_controller.h"
#include "messaging/rooms/chat_room_user_cells.h"
#include "messaging/rooms/chat_room_user_controller.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/window.h"
#include "tests/messaging/launched_messenger.h"
#include "toolkit/z_simple_alert_view.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using ui::testing::findView;

using fnd::Value;
using ui::testing::TouchDriver;

constexpr double kWait = 10.0;
constexpr int32_t kSelf = 1001;

std::shared_ptr<ChatRoomUser> member(int32_t userId, const std::string& name, int32_t sid = 0, bool admin = false,
                                     bool isFriend = false) {
    auto user = ChatRoomUser::create();
    user->setUserId(userId);
    user->setName(name);
    user->setSid(sid);
    user->setAdmin(admin);
    user->setMyfriend(isFriend);
    return user;
}

class ChatRoomScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        client_.useCardPictures();
        client_.installAsInstance();
        ASSERT_TRUE(client_.launch([](IMController& m) {
            auto last = m.getuserid(2003);
            return last && last->supportOfflineMessage() && m.chatRooms().size() == 2;
        }));
        client_.showMessenger();
        // The member screens open over a friend's chat, as from the chat window.
        controller_->showChatWithCard(std::shared_ptr<baseCard>(controller_->getuserid(2001)));
        ASSERT_TRUE(waitForTop(controller_->chatController()));
    }
    void TearDown() override { TouchDriver::reset(); }

    std::shared_ptr<ui::NavigationController> nav() { return controller_->navigationController(); }
    bool waitForTop(const std::shared_ptr<ui::ViewController>& top) {
        return fnd::RunLoop::main().pumpUntil(
            [&] {
                auto n = nav();
                return n && n->topViewController() == top && !n->isInTransition() && top->viewIfLoaded() &&
                       top->view()->window();
            },
            kWait);
    }
    // The room's member screen from the messenger's screen table, pushed and refreshed as the chat
    // window does it.
    template <class Screen>
    std::shared_ptr<Screen> open(const std::shared_ptr<ChatRoomCard>& room) {
        auto screen = std::dynamic_pointer_cast<Screen>(controller_->screens().roomMembers(room));
        if (!screen) {
            return nullptr;
        }
        nav()->pushViewController(screen, ui::Animated::Yes);
        screen->refresh();
        if (!waitForTop(screen)) {
            return nullptr;
        }
        delegate_->window()->layoutIfNeeded();
        return screen;
    }
    void tap(const std::shared_ptr<ui::View>& view) {
        const gfx::Point centre(view->bounds().midX(), view->bounds().midY());
        TouchDriver::tap(delegate_->window(), view->convertPointToView(centre, nullptr));
    }
    template <class Cell>
    std::shared_ptr<Cell> row(const ChatRoomMembersScreen& screen, int index) {
        return std::dynamic_pointer_cast<Cell>(
            screen.tableView()->cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(index, 0)));
    }
    std::vector<Value> received(int number) const {
        std::vector<Value> packets;
        for (const auto& r : client_.server().received()) {
            auto items = r.packet.asArray();
            if (items && items->objectAtIndex(0).intValue() == number) {
                packets.push_back(r.packet);
            }
        }
        return packets;
    }
    std::vector<std::string> rowNames(const ChatRoomMembersScreen& screen) {
        std::vector<std::string> names;
        for (const auto& entry : *screen.users()) {
            names.push_back(entry.asObject<ChatRoomUser>()->name());
        }
        return names;
    }

    LaunchedMessenger client_;
    const std::shared_ptr<IMController>& controller_ = client_.messenger();
    const std::shared_ptr<zelvanAppDelegate>& delegate_ = client_.delegate();
};

TEST_F(ChatRoomScreensTest, AdministratorConfirmsAndRemovesTheMarkedMembers) {
    auto lobby = controller_->findChatRoom(1);
    ASSERT_TRUE(lobby && lobby->admin());
    for (const auto& user : {member(kSelf, "Demo Player", 10, true), member(3001, "Ann", 11), member(3002, "Bo", 12),
                             member(3003, "Cy", 13), member(3004, "Dee", 14)}) {
        lobby->users()->addObject(Value(user));
    }
    auto screen = open<ChatRoomAdminController>(lobby);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->title(), "Lobby");

    // Administrators have no check box but the mark; the user's own row has no chat button.
    auto own = row<ChatRoomUserCheckCell>(*screen, 0);
    auto ann = row<ChatRoomUserCheckCell>(*screen, 1);
    ASSERT_TRUE(own && ann);
    EXPECT_TRUE(own->checkBox()->isHidden());
    EXPECT_FALSE(own->adminView()->isHidden());
    EXPECT_TRUE(own->btnChat()->isHidden());
    EXPECT_FALSE(ann->checkBox()->isHidden());
    EXPECT_TRUE(ann->adminView()->isHidden());
    EXPECT_FALSE(ann->btnChat()->isHidden());

    // Nobody marked: the information, and no confirmation.
    tap(screen->kickBtn());
    ASSERT_TRUE(
        fnd::RunLoop::main().pumpUntil([] { return ui::testing::AlertDriver::visibleAlert() != nullptr; }, kWait));
    EXPECT_EQ(ui::testing::AlertDriver::visibleAlert()->message(), "Choose the members to remove first.");
    delegate_->hideInfo();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(findView<ZSimpleAlertView>(screen->view()));

    // Three short names, marked with taps: all of them quoted, the count, then the room.
    for (int i : {1, 2, 3}) {
        tap(row<ChatRoomUserCheckCell>(*screen, i)->checkBox());
    }
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*delegate_->window(), "screenshots/messaging-chat-room-admin.png"));
    tap(screen->kickBtn());
    auto confirm = findView<ZSimpleAlertView>(screen->view());
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->label()->text(), "Remove \"Ann\", \"Bo\", \"Cy\" (3 members) from the room Lobby?");

    // "No" keeps the marks; the rows stay.
    ASSERT_EQ(confirm->numberOfButtons(), 2);
    tap(confirm->buttonViews()[0]);
    EXPECT_FALSE(findView<ZSimpleAlertView>(screen->view()));
    EXPECT_EQ(rowNames(*screen).size(), 5u);
    for (int i : {1, 2, 3}) {
        EXPECT_TRUE(row<ChatRoomUserCheckCell>(*screen, i)->checkBox()->isSelected()) << i;
    }
    EXPECT_FALSE(row<ChatRoomUserCheckCell>(*screen, 4)->checkBox()->isSelected());

    // "Yes": one removal per marked member, in order, and exactly those rows go.
    tap(screen->kickBtn());
    confirm = findView<ZSimpleAlertView>(screen->view());
    ASSERT_TRUE(confirm);
    tap(confirm->buttonViews()[1]);
    EXPECT_EQ(rowNames(*screen), (std::vector<std::string>{"Demo Player", "Dee"}));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !lobby->findUser(3003); }, kWait));
    EXPECT_EQ(
        received(ChatRoomAdminController::kCmdKick),
        (std::vector<Value>{Value::array({48, 1, 3001}), Value::array({48, 1, 3002}), Value::array({48, 1, 3003})}));
    // The server's answers took the members out of the room itself.
    EXPECT_FALSE(lobby->findUser(3001));
    EXPECT_TRUE(lobby->findUser(3004));

    // Long names (30 UTF-16 units, 59 bytes each): the list stops after the fifth, which crosses 150
    // units; the count still covers all six.
    std::string expected;
    for (int i = 0; i < 6; ++i) {
        std::string name;
        for (int k = 0; k < 29; ++k) {
            name += "\xC3\xA9";
        }
        name += static_cast<char>('A' + i);
        auto user = member(3100 + i, name, 20 + i);
        user->setAttr(ChatRoomUser::kAttrMarkedForRemoval, true);
        lobby->users()->addObject(Value(user));
        if (i < 5) {
            expected += (i ? ", \"" : "\"") + name + "\"";
        }
    }
    screen->refresh();
    screen->btnKick();
    confirm = findView<ZSimpleAlertView>(screen->view());
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->label()->text(), "Remove " + expected + " and others (6 members) from the room Lobby?");
}

TEST_F(ChatRoomScreensTest, MemberRowsOpenFriendAndPrivateChats) {
    auto corner = controller_->findChatRoom(2);
    ASSERT_TRUE(corner && !corner->admin());
    for (const auto& user :
         {member(kSelf, "Demo Player", 30), member(2001, "Ada Demo", 31, false, true), member(3005, "Eve", 55, true)}) {
        corner->users()->addObject(Value(user));
    }
    auto screen = open<ChatRoomUserController>(corner);
    ASSERT_TRUE(screen);
    auto own = row<ChatRoomUserCell>(*screen, 0);
    auto ada = row<ChatRoomUserCell>(*screen, 1);
    auto eve = row<ChatRoomUserCell>(*screen, 2);
    ASSERT_TRUE(own && ada && eve);
    EXPECT_EQ(own->friendLabel()->text(), "You");
    EXPECT_TRUE(own->btnChat()->isHidden());
    EXPECT_EQ(ada->friendLabel()->text(), "Friend");
    EXPECT_EQ(eve->friendLabel()->text(), "");
    EXPECT_FALSE(eve->btnChat()->isHidden());
    EXPECT_EQ(eve->nameLabel()->textColor(), gfx::Color::red());
    EXPECT_EQ(ada->nameLabel()->textColor(), gfx::Color::black());

    // A friend's chat is the friend's own, and the whitelist stays as it was.
    tap(ada->btnChat());
    ASSERT_TRUE(waitForTop(controller_->chatController()));
    EXPECT_EQ(controller_->chatController()->currentChat()->card(), controller_->getuserid(2001));
    EXPECT_FALSE(controller_->privateChatWhitelist().containsValue(2001));

    // A member who is no contact: a private chat by session id, the member allowed to write back;
    // the second time the same partner card.
    const size_t partnersBefore = controller_->privateChatUsers().size();
    std::shared_ptr<baseCard> first;
    for (int pass = 0; pass < 2; ++pass) {
        screen = open<ChatRoomUserController>(corner);
        ASSERT_TRUE(screen);
        tap(row<ChatRoomUserCell>(*screen, 2)->btnChat());
        ASSERT_TRUE(waitForTop(controller_->chatController()));
        auto partner = std::dynamic_pointer_cast<PrivateChatCard>(controller_->chatController()->currentChat()->card());
        ASSERT_TRUE(partner);
        EXPECT_EQ(partner->sid(), 55);
        EXPECT_EQ(partner->userId(), 3005);
        EXPECT_EQ(partner->name(), "Eve");
        if (pass == 0) {
            first = partner;
        } else {
            EXPECT_EQ(partner, first);
        }
    }
    EXPECT_EQ(controller_->privateChatUsers().size(), partnersBefore + 1);
    EXPECT_TRUE(controller_->privateChatWhitelist().containsValue(3005));
}

} // namespace
} // namespace zelvan
