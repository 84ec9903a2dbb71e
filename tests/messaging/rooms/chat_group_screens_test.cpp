// The chat-group member list and manage menu: on their own under the manual clock with the packets
// they queue decoded (replies for other groups, member records, several screens waiting on one
// router, the disband confirmation texts), and against the dev server's demo world (members asked for
// and shown, a confirmed disband reaching the server and returning to the list).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/localization.h"
#include "core/state_files.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_group_user.h"
#include "messaging/rooms/chat_group_config_select_controller.h"
#include "messaging/rooms/chat_group_user_cell.h"
#include "messaging/rooms/chat_group_user_controller.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/format.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/view_search.h"
#include "protocol/tagged_codec.h"
#include "tests/messaging/launched_messenger.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "tests/toolkit/window_fixture.h"
#include "toolkit/z_simple_alert_view.h"
#include "toolkit/z_simple_loading_view.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using ui::testing::findView;

using fnd::Value;
using ui::testing::TableDriver;

constexpr double kWait = 10.0;

// Taps the centre of `view` with a finger through `window`.
void tapView(const std::shared_ptr<ui::Window>& window, ui::View& view) {
    window->layoutIfNeeded();
    const gfx::Rect b = view.bounds();
    ui::testing::TouchDriver::tap(window, view.convertPointToView({b.midX(), b.midY()}, nullptr));
}

std::shared_ptr<ChatGroupCard> groupCard(int32_t groupId, int32_t allCount) {
    auto group = ChatGroupCard::create();
    group->setGroupId(groupId);
    group->setName("Chess club");
    group->setAllCount(allCount);
    group->setIsAdmin(true);
    return group;
}

class ChatGroupScreensTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AppRegistry registry;
        registry.cardPictureRule.factory =
            ServiceSlot<CardPictureRule>::fixed(std::make_shared<MessengerCardPictures>());
        avatars_ =
            std::make_shared<ZelvanAvatarManager>(fnd::AppFolders::root() + "/group-avatars/", [](const Value&) {});
        registry.avatarManager.factory = ServiceSlot<AvatarService>::fixed(avatars_);
        app_.emplace(std::move(registry));
        messenger_ = IMController::create((*app_)->shared_from_this());
        nav_ = ui::NavigationController::initWithRootViewController(messenger_);
        window_->setRootViewController(nav_);
        settle();
        sent();
    }
    void TearDown() override {
        window_->setRootViewController(nullptr);
        WindowFixture::TearDown();
        nav_.reset();
        messenger_.reset();
        app_.reset();
    }
    void settle() {
        fnd::RunLoop::main().runUntilIdle();
        clock_->advance(1.0);
        fnd::RunLoop::main().runUntilIdle();
    }
    // Everything queued since the last call, decoded.
    void saveScreenshot(const std::string& name) {
        std::error_code ec;
        std::filesystem::create_directories("screenshots", ec);
        window_->layoutIfNeeded();
        ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/" + name));
    }
    std::vector<Value> sent() { return takeSentPackets(**app_); }
    // The member list of `group`, pushed and refreshed as the chat window does it.
    std::shared_ptr<ChatGroupUserController> pushMembers(const std::shared_ptr<ChatGroupCard>& group) {
        auto screen = std::dynamic_pointer_cast<ChatGroupUserController>(messenger_->screens().groupMembers(group));
        nav_->pushViewController(screen, ui::Animated::Yes);
        screen->refresh();
        settle();
        return screen;
    }
    std::shared_ptr<ChatGroupConfigSelectController> pushMenu(const std::shared_ptr<ChatGroupCard>& group) {
        auto menu =
            std::dynamic_pointer_cast<ChatGroupConfigSelectController>(messenger_->screens().groupManageMenu(group));
        nav_->pushViewController(menu, ui::Animated::Yes);
        settle();
        return menu;
    }
    // A reply as the network thread hands it to the router.
    void deliver(const Value& packet) {
        std::thread([router = messenger_->groupReplies(), packet] { router->handleServerResponse(packet); }).join();
    }
    ChatGroupUserCell& cellAt(ChatGroupUserController& screen, int row) {
        auto cell = std::dynamic_pointer_cast<ChatGroupUserCell>(
            screen.tableViewCellForRowAtIndexPath(*screen.tableView(), {0, row}));
        EXPECT_TRUE(cell);
        cells_.push_back(cell);
        return *cell;
    }

    std::shared_ptr<ZelvanAvatarManager> avatars_;
    std::optional<ScopedAppDelegate> app_;
    std::shared_ptr<IMController> messenger_;
    std::shared_ptr<ui::NavigationController> nav_;
    std::vector<std::shared_ptr<ChatGroupUserCell>> cells_;
};

TEST_F(ChatGroupScreensTest, MemberListWaitsForItsOwnGroupAndShowsPresenceAndAdministratorsAsSent) {
    auto screen = pushMembers(groupCard(7, 3));
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({305, 7, 0})});
    ASSERT_TRUE(screen->loadingView());
    EXPECT_TRUE(screen->loadingView()->superview());

    // Another group's members change nothing: still waiting, still loading, still subscribed.
    deliver(Value::array({305, 8, 0, Value::array({2001, "Ada", 1, 1})}));
    settle();
    EXPECT_TRUE(screen->users().empty());
    EXPECT_TRUE(screen->waiting());
    EXPECT_TRUE(screen->loadingView()->superview());
    EXPECT_EQ(messenger_->groupReplies()->subscriberCount(305), 1u);

    // The group's own list: offline members show a grey head, only admin value 1 is an administrator,
    // and records that are not member arrays are skipped.
    fnd::testing::LogCapture log;
    deliver(Value::array({305, 7, 0, Value::array({2001, "Ada", 1, 1}), "junk", Value::array({2002, "Bo", 0, 2}),
                          Value::array({2003})}));
    settle();
    ASSERT_EQ(screen->users().size(), 2u);
    EXPECT_TRUE(log.contains("malformed member record"));
    EXPECT_FALSE(screen->waiting());
    EXPECT_FALSE(screen->loadingView()->superview());
    EXPECT_EQ(messenger_->groupReplies()->subscriberCount(305), 0u);
    EXPECT_EQ(screen->tableView()->numberOfRowsInSection(0), 2);

    auto& ada = cellAt(*screen, 0);
    EXPECT_EQ(ada.nameLabel()->text(), "Ada");
    EXPECT_FALSE(ada.adminView()->isHidden());
    EXPECT_EQ(ada.headView()->image(), avatars_->newImageAvatarHead(2001, false));
    EXPECT_EQ(ada.button()->tag(), 2001);
    auto& bo = cellAt(*screen, 1);
    EXPECT_TRUE(bo.adminView()->isHidden());
    EXPECT_EQ(bo.headView()->image(), avatars_->newImageAvatarHead(2002, true));
    EXPECT_NE(bo.headView()->image(), avatars_->newImageAvatarHead(2002, false));
    saveScreenshot("messaging-chat-group-members.png");

    // A later reply for the group replaces the whole list.
    screen->refresh();
    deliver(Value::array({305, 7, 0, Value::array({2003, "Cy", 1, 0})}));
    settle();
    ASSERT_EQ(screen->users().size(), 1u);
    EXPECT_EQ(screen->users()[0]->name(), "Cy");
}

TEST_F(ChatGroupScreensTest, EveryWaitingScreenGetsTheReplyAndScreensThatWentAreSkipped) {
    auto group = groupCard(7, 3);
    auto router = messenger_->groupReplies();
    auto first = ChatGroupUserController::create((*app_)->shared_from_this(), router, group);
    auto second = ChatGroupUserController::create((*app_)->shared_from_this(), router, group);
    auto leaving = ChatGroupUserController::create((*app_)->shared_from_this(), router, group);
    first->refresh();
    second->refresh();
    leaving->refresh();
    EXPECT_EQ(sent().size(), 3u);
    // One screen leaving does not take the others' subscriptions with it.
    leaving.reset();
    EXPECT_EQ(router->subscriberCount(305), 2u);

    // The reply comes at once, before the main loop has run again; a screen that goes after the
    // reply was handed on is skipped.
    auto late = ChatGroupUserController::create((*app_)->shared_from_this(), router, group);
    late->refresh();
    deliver(Value::array({305, 7, 0, Value::array({2001, "Ada", 1, 0}), Value::array({2002, "Bo", 1, 0})}));
    late.reset();
    settle();
    EXPECT_EQ(first->users().size(), 2u);
    EXPECT_EQ(second->users().size(), 2u);
    EXPECT_FALSE(first->waiting());
    EXPECT_FALSE(second->waiting());
    EXPECT_EQ(router->subscriberCount(305), 0u);
}

TEST_F(ChatGroupScreensTest, ManageMenuDisbandTextFollowsTheMemberCountAndCancelKeepsTheGroup) {
    messenger_->chatGroups().push_back(groupCard(7, 1));
    auto menu = pushMenu(messenger_->findChatGroup(7));
    EXPECT_EQ(menu->title(), ZLS("Manage"));
    EXPECT_EQ(menu->tableView()->numberOfSections(), 3);
    saveScreenshot("messaging-chat-group-manage-menu.png");

    const struct {
        int32_t allCount;
        std::string text;
    } cases[] = {
        {1, fnd::format(ZLS("groupManageDisbandTip1"), "Chess club")},
        {2, fnd::format(ZLS("groupManageDisbandTip2"), "Chess club", 2)},
    };
    for (const auto& c : cases) {
        menu->group()->setAllCount(c.allCount);
        ASSERT_TRUE(TableDriver::select(*menu->tableView(), {2, 0}));
        settle();
        auto alert = findView<ZSimpleAlertView>(window_);
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->label()->text(), c.text);
        ASSERT_EQ(alert->buttonViews().size(), 2u);
        tapView(window_, *alert->buttonViews()[0]);
        settle();
        EXPECT_FALSE(findView<ZSimpleAlertView>(window_));
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(messenger_->findChatGroup(7));
    EXPECT_EQ(nav_->topViewController(), menu);

    // Without a member management screen the row only logs; with one, the screen is pushed.
    messenger_->screens().groupMemberManager = nullptr;
    {
        fnd::testing::LogCapture log;
        ASSERT_TRUE(TableDriver::select(*menu->tableView(), {1, 0}));
        settle();
        EXPECT_TRUE(log.contains("no member management screen"));
        EXPECT_EQ(nav_->topViewController(), menu);
    }
    auto manager = std::make_shared<ui::ViewController>();
    std::shared_ptr<ChatGroupCard> managed;
    messenger_->screens().groupMemberManager = [&](const std::shared_ptr<ChatGroupCard>& g) {
        managed = g;
        return manager;
    };
    ASSERT_TRUE(TableDriver::select(*menu->tableView(), {1, 0}));
    settle();
    EXPECT_EQ(nav_->topViewController(), manager);
    EXPECT_EQ(managed, menu->group());
}

// --- Against the dev server's demo world ---

class ChatGroupScreensDevServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        client_.useCardPictures();
        client_.installAsInstance();
        ASSERT_TRUE(client_.launch([](IMController& m) { return m.findChatGroup(1) && m.findChatGroup(2); }));
        client_.showMessenger();
    }
    void TearDown() override { ui::testing::TouchDriver::reset(); }
    // Whether `vc` is on top of the messenger's navigation (pushes and pops run to their end).
    bool onTop(const std::shared_ptr<ui::ViewController>& vc) {
        return fnd::RunLoop::main().pumpUntil(
            [&] {
                auto nav = controller_->navigationController();
                return nav && nav->topViewController() == vc && !controller_->inTransition();
            },
            kWait);
    }

    LaunchedMessenger client_;
    const std::shared_ptr<zelvanAppDelegate>& delegate_ = client_.delegate();
    const std::shared_ptr<IMController>& controller_ = client_.messenger();
};

TEST_F(ChatGroupScreensDevServerTest, MembersFromTheChatWindowThenADisbandThatReturnsToTheList) {
    auto team = controller_->findChatGroup(1);
    controller_->showChatWithCard(std::shared_ptr<baseCard>(team));
    ASSERT_TRUE(onTop(controller_->chatController()));
    controller_->chatController()->showGroupUsers();
    auto nav = controller_->navigationController();
    auto members = std::dynamic_pointer_cast<ChatGroupUserController>(nav->topViewController());
    ASSERT_TRUE(members);
    EXPECT_EQ(members->title(), "Demo team");
    ASSERT_TRUE(client_.serverReceived(Value::array({305, 1, 0})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !members->waiting(); }, kWait));
    ASSERT_EQ(members->users().size(), 3u);
    EXPECT_EQ(members->users()[0]->userId(), 1001);
    EXPECT_TRUE(members->users()[0]->admin());
    EXPECT_FALSE(members->users()[2]->online());

    // The manage menu, made by the slot the list's edit button uses; the disband confirmed with "Disband".
    auto menu = controller_->screens().groupManageMenu(team);
    nav->pushViewController(menu, ui::Animated::No);
    ASSERT_TRUE(onTop(menu));
    auto select = std::dynamic_pointer_cast<ChatGroupConfigSelectController>(menu);
    ASSERT_TRUE(TableDriver::select(*select->tableView(), {2, 0}));
    auto window = delegate_->window();
    std::shared_ptr<ZSimpleAlertView> alert;
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            alert = findView<ZSimpleAlertView>(window);
            return alert != nullptr;
        },
        kWait));
    EXPECT_EQ(alert->label()->text(), fnd::format(ZLS("groupManageDisbandTip2"), "Demo team", 3));
    tapView(window, *alert->buttonViews().at(1));
    EXPECT_TRUE(client_.serverReceived(Value::array({306, 1})));
    EXPECT_FALSE(controller_->findChatGroup(1));
    EXPECT_TRUE(controller_->findChatGroup(2));
    EXPECT_FALSE(team->chat());
    EXPECT_TRUE(onTop(controller_));
}

} // namespace
} // namespace zelvan
