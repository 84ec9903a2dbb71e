// The chat group member management screen: the invitation texts (names counted in UTF-16 units),
// text message invitations for contacts, the replies that mark members and invitations, the SMS
// explanation once per screen, a screenshot of the invite pane; and against the dev server, removing
// a member (also with a late reply) and the page's request for an unknown group.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/state_files.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/v_card.h"
#include "messaging/rooms/chat_group_config_member_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/view_search.h"
#include "protocol/tagged_codec.h"
#include "tests/messaging/launched_messenger.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "tests/toolkit/window_fixture.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using fnd::Value;
using Screen = ChatGroupConfigMemberController;
using ui::testing::AlertDriver;
using ui::testing::TableDriver;

constexpr int32_t kGroupId = 7;

std::shared_ptr<vCard> person(const std::string& name, int32_t userId, int32_t contactId, const char* phone) {
    auto card = vCard::create();
    auto fields = fnd::Dictionary::make({{vCard::kKeyNameA, name}});
    if (phone != nullptr) {
        fields->setObject(Value(phone), vCard::kKeyPhoneMobile);
    }
    card->setUi(fields);
    card->setUserid(userId);
    card->setContactid(contactId);
    return card;
}

// A name of `count` copies of `piece`.
std::string repeated(const std::string& piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

class ChatGroupMembersTest : public WindowFixture {
protected:
    // 103 bytes but 52 UTF-16 units: a byte count would stop after this name. Friends sort by name.
    const std::string longWide_ = "A" + repeated("\xC5\x82", 51);
    const std::string longPlain_ = "B" + repeated("b", 49);

    void SetUp() override {
        WindowFixture::SetUp();
        app_.emplace();
        messenger_ = IMController::create((*app_)->shared_from_this());
        messenger_->insertContact(person(longWide_, 2001, 1, nullptr));
        messenger_->insertContact(person(longPlain_, 2002, 2, nullptr));
        messenger_->insertContact(person("Cyd", 2003, 3, nullptr));
        messenger_->insertContact(person("Dot", 2004, 4, nullptr));
        messenger_->insertContact(person("Plumber", 0, 11, "5550111"));
        messenger_->insertContact(person("Dentist", 0, 12, "5550112"));
        group_ = ChatGroupCard::create();
        group_->setGroupId(kGroupId);
        group_->setName("Demo team");
        messenger_->chatGroups().push_back(group_);
        nav_ = ui::NavigationController::initWithRootViewController(messenger_);
        window_->setRootViewController(nav_);
        settle();
        sent();
    }
    void TearDown() override {
        window_->setRootViewController(nullptr);
        WindowFixture::TearDown();
        screen_.reset();
        nav_.reset();
        messenger_.reset();
        app_.reset();
    }
    void settle() {
        fnd::RunLoop::main().runUntilIdle();
        clock_->advance(1.0);
        fnd::RunLoop::main().runUntilIdle();
    }
    // A new screen for the group, pushed and asked for the members as the manage menu does.
    void openScreen() {
        screen_ = std::dynamic_pointer_cast<Screen>(messenger_->screens().groupMemberManager(group_));
        ASSERT_TRUE(screen_);
        nav_->pushViewController(screen_, ui::Animated::No);
        screen_->refresh();
        settle();
    }
    std::vector<Value> sent() { return takeSentPackets(**app_); }
    // A server reply, as the network thread hands it on.
    void reply(const Value& packet) {
        messenger_->groupReplies()->handleServerResponse(packet);
        settle();
    }
    void tick(int section, int row) {
        ASSERT_TRUE(TableDriver::select(*screen_->inviteTableView(), fnd::IndexPath(section, row)));
        settle();
    }
    std::shared_ptr<ChatGroupUserInviteCell> inviteRow(int section, int row) {
        return std::dynamic_pointer_cast<ChatGroupUserInviteCell>(
            screen_->inviteTableView()->cellForRowAtIndexPath(fnd::IndexPath(section, row)));
    }
    std::shared_ptr<ZSimpleAlertView> confirmation() {
        return ui::testing::findView<ZSimpleAlertView>(screen_->view());
    }
    void answer(int index) {
        auto alert = confirmation();
        ASSERT_TRUE(alert);
        const auto& button = alert->buttonViews().at(static_cast<size_t>(index));
        tapIn(*button, button->bounds());
        settle();
    }
    // The message of the information or failure box on screen, then the box goes.
    std::optional<std::string> takeNotice() {
        auto alert = AlertDriver::visibleAlert();
        if (!alert) {
            return std::nullopt;
        }
        std::string message = alert->message();
        alert->dismissWithClickedButtonIndex(-1, ui::Animated::No);
        settle();
        return message;
    }
    bool loading() const { return screen_->loadingView() && screen_->loadingView()->superview() != nullptr; }

    std::optional<ScopedAppDelegate> app_;
    std::shared_ptr<IMController> messenger_;
    std::shared_ptr<ChatGroupCard> group_;
    std::shared_ptr<ui::NavigationController> nav_;
    std::shared_ptr<Screen> screen_;
};

TEST_F(ChatGroupMembersTest, InvitationTextsAndTextMessageInvitationsForContactsOnly) {
    openScreen();
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({305, kGroupId, 0})}));
    reply(Value::array({305, kGroupId, 0}));
    ASSERT_EQ(screen_->friends().size(), 4u);

    // Four friends whose quoted names pass 100 UTF-16 units after the second.
    for (int row = 0; row < 4; ++row) {
        tick(0, row);
    }
    EXPECT_FALSE(takeNotice()) << "ticking a friend explains nothing";
    screen_->btnInvite();
    auto alert = confirmation();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->label()->text(), fnd::format(ZLS("groupManageInviteTip2"),
                                                  "\"" + longWide_ + "\", \"" + longPlain_ + "\"", 4, "Demo team"));
    answer(0);
    EXPECT_TRUE(sent().empty()) << "\"No\" sends nothing";
    for (int row = 0; row < 4; ++row) {
        tick(0, row);
    }

    // Contacts only: one explanation for the first change, [318] and no [310], nothing awaited.
    tick(1, 0);
    EXPECT_EQ(takeNotice(), fnd::format(ZLS("SMSInviteTip"), "Dentist"));
    EXPECT_EQ(inviteRow(1, 0)->adminView()->text(), ZLS("inviteToJoin"));
    EXPECT_EQ(inviteRow(1, 1)->adminView()->text(), "5550111");
    tick(1, 1);
    EXPECT_FALSE(takeNotice()) << "the explanation comes once per screen";
    screen_->btnInvite();
    ASSERT_TRUE(confirmation());
    EXPECT_EQ(confirmation()->label()->text(),
              ZLS("groupManageInviteTip5") +
                  fnd::format(ZLS("groupManageInviteTip8"), std::string("\"Dentist\", \"Plumber\""), 2));
    answer(1);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({318, kGroupId, 12, 11})}));
    EXPECT_FALSE(loading());
    EXPECT_EQ(inviteRow(1, 0)->adminView()->text(), ZLS("Invited"));
    EXPECT_TRUE(inviteRow(1, 0)->checkBox()->isHidden());
    // Invited contacts are not invited again with the next friend.
    tick(0, 2);
    screen_->btnInvite();
    answer(1);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({310, kGroupId, 2003})}));
    EXPECT_TRUE(loading());

    // A new screen explains text messages again.
    nav_->popViewControllerAnimated(ui::Animated::No);
    openScreen();
    tick(1, 0);
    EXPECT_EQ(takeNotice(), fnd::format(ZLS("SMSInviteTip"), "Dentist"));
}

TEST_F(ChatGroupMembersTest, RepliesOfTheGroupMarkMembersAndInvitations) {
    openScreen();
    sent();
    // Another group's members change nothing.
    reply(Value::array({305, kGroupId + 1, 0, Value::array({2003, "Cyd", 1, 0})}));
    EXPECT_TRUE(loading());
    EXPECT_TRUE(screen_->users().empty());
    reply(Value::array({305, kGroupId, 0, Value::array({1001, "Me", 1, 1}), Value::array({2003, "Cyd", 0, 2}),
                        Value::array({"bad"})}));
    EXPECT_FALSE(loading());
    ASSERT_EQ(screen_->users().size(), 2u);
    EXPECT_FALSE(screen_->users()[1]->admin()) << "admin 2 is no administrator";
    auto member = inviteRow(0, 2);
    ASSERT_EQ(member->nameLabel()->text(), "Cyd");
    EXPECT_EQ(member->adminView()->text(), ZLS("Member"));
    EXPECT_TRUE(member->checkBox()->isHidden());
    EXPECT_FALSE(inviteRow(0, 3)->checkBox()->isHidden());

    // A failed invitation keeps the tick; a success of three elements tells the invitation letter.
    tick(0, 3);
    screen_->btnInvite();
    answer(1);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({310, kGroupId, 2004})}));
    reply(Value::array({310, kGroupId, 5, "Group is full"}));
    EXPECT_EQ(takeNotice(), "Group is full");
    EXPECT_TRUE(inviteRow(0, 3)->checkBox()->isSelected());
    screen_->btnInvite();
    answer(1);
    sent();
    reply(Value::array({310, kGroupId, 0}));
    EXPECT_EQ(takeNotice(), ZLS("sendGroupInviteLetter"));
    EXPECT_EQ(inviteRow(0, 3)->adminView()->text(), ZLS("Invited"));
    EXPECT_FALSE(loading());
    EXPECT_EQ(messenger_->groupReplies()->subscriberCount(310), 0u);

    clock_->advance(1.0);
    window_->layoutIfNeeded();
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/messaging-group-invite.png"));
}

// Against the dev server's demo world, whose group 1 "Demo team" the user administers.
class ChatGroupMembersDevServerTest : public ::testing::Test {
protected:
    static constexpr double kWait = 10.0;

    void SetUp() override {
        client_.installAsInstance();
        ASSERT_TRUE(client_.launch([](IMController& m) { return m.findChatGroup(1) && m.getuserid(2003); }));
        client_.showMessenger();
    }

    LaunchedMessenger client_;
    const std::shared_ptr<IMController>& messenger_ = client_.messenger();
};

TEST_F(ChatGroupMembersDevServerTest, RemovingMembersAlsoWithALateReply) {
    auto nav = messenger_->navigationController();
    ASSERT_TRUE(nav);
    {
        fnd::testing::LogCapture log;
        messenger_->manageChatGroup(99);
        EXPECT_EQ(log.count("unknown chat group 99"), 1u);
        EXPECT_EQ(nav->viewControllers().size(), 1u) << "an unknown group opens nothing";
    }

    messenger_->manageChatGroup(1);
    auto screen = std::dynamic_pointer_cast<Screen>(nav->topViewController());
    ASSERT_TRUE(screen);
    // The demo world's "Demo team" has the user (administrator), 2001 and 2003.
    ASSERT_TRUE(client_.serverReceived(Value::array({305, 1, 0})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return screen->users().size() == 3; }, kWait));

    auto remove = [&](int row) {
        screen->tableViewDidSelectRowAtIndexPath(*screen->deleteTableView(), fnd::IndexPath(0, row));
        screen->btnDelete();
        auto alert = ui::testing::findView<ZSimpleAlertView>(screen->view());
        ASSERT_TRUE(alert);
        alert->hide();
        screen->buttonClickedFromAlert(*alert, "", 1);
    };
    remove(1);
    ASSERT_TRUE(client_.serverReceived(Value::array({311, 1, 2001})));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return screen->users().size() == 2; }, kWait));
    EXPECT_EQ(screen->users()[1]->userId(), 2003);

    // The reply comes late: the screen still waits for it and removes the member then.
    client_.server().stallNextReply();
    remove(1);
    ASSERT_TRUE(client_.serverReceived(Value::array({311, 1, 2003})));
    fnd::RunLoop::main().runFor(0.3);
    EXPECT_EQ(screen->users().size(), 2u);
    EXPECT_TRUE(screen->loadingView()->superview());
    client_.server().releaseHeld();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return screen->users().size() == 1; }, kWait));
    EXPECT_FALSE(screen->loadingView()->superview());
}

} // namespace
} // namespace zelvan
