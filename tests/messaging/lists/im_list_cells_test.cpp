// The messenger list's rows: bars folding in place with their counted titles and icons, the bar
// buttons' titles and enabled states by edit mode and account status, taps reaching the host with the
// account's index, the contact row per card kind with its marks and accessories, and a screenshot.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/lists/im_bar_cells.h"
#include "messaging/lists/im_friend_cell.h"
#include "messaging/lists/im_info_cell.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/contact_manage.h"
#include "messaging/model/im_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_window.h"
#include "platform/ui/snapshot.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/toolkit/window_fixture.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

using Calls = std::vector<std::string>;

// The list controller as the rows see it: a model to count and actions that only record themselves.
class RecordingHost : public IMListHost {
public:
    ContactManage& listModel() override { return model; }
    int32_t zelvanState() const override { return state; }
    void actionCloseChat() override { calls.push_back("closeChat"); }
    void actionDeleteZelvan() override { calls.push_back("deleteZelvan"); }
    void actionDeleteContacts() override { calls.push_back("deleteContacts"); }
    void actionLeaveChatGroup() override { calls.push_back("leaveChatGroup"); }
    void actionCreateChatGroup() override { calls.push_back("createChatGroup"); }
    void actionSearchChatGroup() override { calls.push_back("searchChatGroup"); }
    void actionZelvanStatus() override { calls.push_back("zelvanStatus"); }
    void actionNewProfile() override { calls.push_back("newProfile"); }
    void actionIMLogin(int32_t index) override { calls.push_back("login " + std::to_string(index)); }
    void actionIMLogout(int32_t index) override { calls.push_back("logout " + std::to_string(index)); }
    void actionIMShowOffline(int32_t index) override { calls.push_back("showOffline " + std::to_string(index)); }
    void actionIMDelete(int32_t index) override { calls.push_back("delete " + std::to_string(index)); }
    void actionCellDisclosure(ui::TableViewCell& cell) override {
        calls.push_back("disclosure " + cell.reuseIdentifier());
    }
    void actionCellEdit(ui::TableViewCell& cell) override { calls.push_back("edit " + cell.reuseIdentifier()); }
    Calls take() { return std::exchange(calls, {}); }

    std::shared_ptr<IMChatList> chats = std::make_shared<IMChatList>();
    ContactManage model{[] { return true; }, chats};
    int32_t state = 1;
    Calls calls;
};

std::shared_ptr<vCard> friendCard(int32_t userId, const std::string& name) {
    auto card = vCard::create();
    card->setUi(fnd::Value::dictionary({{vCard::kKeyNameA, name}, {vCard::kKeyUserId, userId}}).asDictionary());
    return card;
}

std::shared_ptr<imGroup> account(int32_t prot, const std::string& user, int32_t status) {
    auto group = imGroup::create();
    group->setProt(prot);
    group->setUser(user);
    group->setConnectionStatus(status);
    return group;
}

class IMListCellsTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AppRegistry registry;
        registry.cardPictureRule.factory =
            ServiceSlot<CardPictureRule>::fixed(std::make_shared<MessengerCardPictures>());
        app_.emplace(std::move(registry));
    }
    void TearDown() override {
        WindowFixture::TearDown();
        app_.reset();
    }

    // A row of the list's width and height in the window, wired to the host.
    template <class T>
    std::shared_ptr<T> cell(const std::string& identifier, double y = 0) {
        auto row = ui::View::create<T>(gfx::Rect(0, y, 320, 60), identifier);
        row->setListHost(host_);
        window_->addSubview(row);
        return row;
    }
    // Taps the middle of `button` in the window; a disabled button lets the tap fall through.
    void tap(const std::shared_ptr<ui::Button>& button) {
        window_->layoutIfNeeded();
        tapIn(*button, button->bounds());
    }

    std::optional<ScopedAppDelegate> app_;
    std::shared_ptr<RecordingHost> host_ = std::make_shared<RecordingHost>();
};

TEST_F(IMListCellsTest, BarsFoldInPlaceWithTheirCountsAndIcons) {
    auto& model = host_->model;
    model.chatGroups() = {ChatGroupCard::create(), ChatGroupCard::create()};
    model.privateChatUsers() = {PrivateChatCard::create()};

    auto groups = cell<IMChatGroupBarCell>("ImControlChatGroup");
    groups->reloadChatGroup(false, 0, 60);
    EXPECT_EQ(groups->titleLabel()->text(), "Chat groups (2)");
    EXPECT_EQ(groups->barBackgroundView()->frame(), (gfx::Rect{0, 0, 320, 59}));
    EXPECT_EQ(groups->foldIndicator()->image(), ZelvanWidget::imageFromResource("im_expand", true));
    const std::vector<std::shared_ptr<ui::Button>> buttons{groups->btnCreate(), groups->btnSearch(),
                                                           groups->btnLeave()};
    EXPECT_EQ(buttons[2]->frame(), (gfx::Rect{245, 32, 70, 24}));

    // Folded and unfolded again: the same buttons, hidden and then shown; the background follows.
    groups->reloadChatGroup(true, 0, 60);
    EXPECT_EQ(groups->barBackgroundView()->frame(), (gfx::Rect{0, 0, 320, 50}));
    EXPECT_EQ(groups->foldIndicator()->image(), ZelvanWidget::imageFromResource("im_minimize", true));
    for (const auto& button : buttons) {
        EXPECT_TRUE(button->isHidden());
    }
    model.chatGroups().pop_back();
    groups->reloadChatGroup(false, 0, 60);
    EXPECT_EQ(groups->titleLabel()->text(), "Chat groups (1)");
    EXPECT_EQ(groups->barBackgroundView()->frame().size.height, 59);
    EXPECT_EQ((std::vector{groups->btnCreate(), groups->btnSearch(), groups->btnLeave()}), buttons);
    for (const auto& button : buttons) {
        EXPECT_FALSE(button->isHidden());
        EXPECT_EQ(button->superview(), groups->contentView());
    }

    // The private-chat bar wears the chat-group icon folded and the chat-room icon unfolded.
    auto folded = cell<IMMinimizedBarCell>("ImControlMinimized");
    folded->reloadPrivateChat(60);
    EXPECT_EQ(folded->iconView()->image(), ZelvanWidget::iconForIM(-2, false));
    EXPECT_EQ(folded->titleLabel()->text(), "Private chats (1)");
    auto unfolded = cell<IMPrivateChatBarCell>("ImControlPrivateChat");
    unfolded->reloadPrivateChat(false, 0, 60);
    EXPECT_EQ(unfolded->iconView()->image(), ZelvanWidget::iconForIM(-3, false));

    // A folded account: grey network icon until signed in, "user (online/all)"; a reused folded bar
    // takes the new section's icon and title.
    auto kim = account(2, "kim", 1);
    auto buddy = kim->getuser("lee");
    buddy->setGroup(kim);
    buddy->setstate(1);
    kim->getuser("max");
    folded->reloadWithIMGroup(60, kim);
    EXPECT_EQ(folded->titleLabel()->text(), "kim (1/2)");
    EXPECT_EQ(folded->iconView()->image(), ZelvanWidget::iconForIM(2, true));
    kim->setConnectionStatus(3);
    folded->reloadWithIMGroup(60, kim);
    EXPECT_EQ(folded->iconView()->image(), ZelvanWidget::iconForIM(2, false));
    EXPECT_NE(ZelvanWidget::iconForIM(2, false), ZelvanWidget::iconForIM(2, true));

    // Without a host the bars still draw, counting nothing.
    auto orphan = ui::View::create<IMChattingBarCell>(gfx::Rect(0, 0, 320, 60), "ImControlChat");
    orphan->reloadChatting(false, 0, 60);
    EXPECT_EQ(orphan->titleLabel()->text(), "Chatting now (0)");
}

TEST_F(IMListCellsTest, AccountBarFollowsItsStatusAndTapsCarryTheAccountIndex) {
    auto& ims = host_->model.ims();
    ims = {account(1, "ann", 3), account(2, "kim", 1)};
    auto bar = cell<IMMessengerBarCell>("ImControlMessenger");

    struct Row {
        int32_t status;
        const char* title;
        bool signInEnabled, showOfflineEnabled, deleteEnabled;
        Calls tapCalls; // tapping sign-in, show-offline and delete in turn
    };
    // One bar moves through every status, so the sign-in button is re-pointed each time.
    const std::vector<Row> rows{
        {1, "Sign in", true, false, true, {"login 1", "delete 1"}},
        {2, "Signing in", false, false, false, {}},
        {3, "Sign out", true, true, false, {"logout 1", "showOffline 1"}},
        {4, "Sign in", true, false, false, {"login 1"}},
        {3, "Sign out", true, true, false, {"logout 1", "showOffline 1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        ims[1]->setConnectionStatus(row.status);
        bar->reloadWithIMGroup(ims[1], 0, 60);
        EXPECT_EQ(bar->btnState()->titleForState(ui::ControlState::Normal), row.title);
        EXPECT_EQ(bar->btnState()->isEnabled(), row.signInEnabled);
        EXPECT_EQ(bar->btnShowOffline()->isEnabled(), row.showOfflineEnabled);
        EXPECT_EQ(bar->btnDelete()->isEnabled(), row.deleteEnabled);
        tap(bar->btnState());
        tap(bar->btnShowOffline());
        tap(bar->btnDelete());
        EXPECT_EQ(host_->take(), row.tapCalls);
    }
    EXPECT_EQ(bar->btnShowOffline()->titleForState(ui::ControlState::Normal), "Show all");
    ims[1]->setShowoffline(true);
    bar->reloadWithIMGroup(ims[1], 0, 60);
    EXPECT_EQ(bar->btnShowOffline()->titleForState(ui::ControlState::Normal), "Online only");

    // Reused for the first account: the buttons carry its index.
    bar->reloadWithIMGroup(ims[0], 0, 60);
    tap(bar->btnState());
    EXPECT_EQ(host_->take(), (Calls{"logout 0"}));

    // Any edit mode disables every account button.
    bar->reloadWithIMGroup(ims[0], 2, 60);
    EXPECT_FALSE(bar->btnState()->isEnabled());
    EXPECT_FALSE(bar->btnShowOffline()->isEnabled());
    EXPECT_FALSE(bar->btnDelete()->isEnabled());
}

TEST_F(IMListCellsTest, EditModesSetTheBarButtonsAndPresenceFollowsTheUsersState) {
    auto groups = cell<IMChatGroupBarCell>("ImControlChatGroup", 0);
    auto friends = cell<IMZelvanBarCell>("ImControlZelvan", 60);
    auto contacts = cell<IMABBarCell>("ImControlAB", 120);
    const auto title = [](const std::shared_ptr<ui::Button>& button) {
        return button->titleForState(ui::ControlState::Normal).value_or("(none)");
    };

    // Deleting contacts: only the contacts bar's Done works; the other bars are all disabled.
    host_->state = 0;
    groups->reloadChatGroup(false, 3, 60);
    friends->reloadZelvanGroup(false, 3, 60);
    contacts->reloadAB(false, 3, 60);
    EXPECT_EQ(title(contacts->btnDel()), "Done");
    EXPECT_TRUE(contacts->btnDel()->isEnabled());
    EXPECT_EQ(title(contacts->btnNew()), "New");
    EXPECT_FALSE(contacts->btnNew()->isEnabled());
    for (const auto& button :
         {friends->btnState(), friends->btnDel(), groups->btnCreate(), groups->btnSearch(), groups->btnLeave()}) {
        EXPECT_FALSE(button->isEnabled()) << title(button);
    }
    EXPECT_EQ(title(friends->btnDel()), "Delete");
    EXPECT_EQ(title(groups->btnLeave()), "Leave");
    // An offline user's presence shows from the first reload on.
    EXPECT_EQ(title(friends->btnState()), "Offline");
    EXPECT_EQ(friends->btnState()->imageForState(ui::ControlState::Normal), ZelvanWidget::stateIcon(0));

    groups->reloadChatGroup(false, 4, 60);
    friends->reloadZelvanGroup(false, 2, 60);
    EXPECT_EQ(title(groups->btnLeave()), "Done");
    EXPECT_TRUE(groups->btnLeave()->isEnabled());
    EXPECT_FALSE(groups->btnCreate()->isEnabled());
    EXPECT_EQ(title(friends->btnDel()), "Done");
    EXPECT_TRUE(friends->btnDel()->isEnabled());
    EXPECT_FALSE(friends->btnState()->isEnabled());

    // Out of edit mode the presence button follows the user's state, keeping it as its tag.
    host_->state = 3;
    groups->reloadChatGroup(false, 0, 60);
    friends->reloadZelvanGroup(false, 0, 60);
    contacts->reloadAB(false, 0, 60);
    EXPECT_EQ(title(friends->btnState()), "Busy");
    EXPECT_EQ(friends->btnState()->tag(), 3);
    EXPECT_EQ(friends->btnState()->imageForState(ui::ControlState::Normal), ZelvanWidget::stateIcon(3));
    host_->state = 1;
    friends->reloadZelvanGroup(false, 0, 60);
    EXPECT_EQ(title(friends->btnState()), "Online");

    // Each button runs its action on the host.
    for (const auto& button : {groups->btnCreate(), groups->btnSearch(), groups->btnLeave(), friends->btnState(),
                               friends->btnDel(), contacts->btnNew(), contacts->btnDel()}) {
        tap(button);
    }
    EXPECT_EQ(host_->take(), (Calls{"createChatGroup", "searchChatGroup", "leaveChatGroup", "zelvanStatus",
                                    "deleteZelvan", "newProfile", "deleteContacts"}));
}

TEST_F(IMListCellsTest, ContactRowFillsPerCardKindAndReusesItsViews) {
    auto row = cell<IMFriendCell>("ImFriend");
    const auto disclosure = ui::TableViewCellAccessoryType::DisclosureIndicator;

    // A plain address-book contact shows its first phone number.
    auto contact = vCard::create();
    contact->setUi(
        fnd::Value::dictionary(
            {{vCard::kKeyNameA, "Berg"}, {vCard::kKeyPhoneMobile, "+4917000"}, {vCard::kKeyPhoneOther, "+4930999"}})
            .asDictionary());
    row->reloadWithCard(contact, 60, 0);
    EXPECT_EQ(row->nameLabel()->text(), "Berg");
    EXPECT_EQ(row->miniblogLabel()->text(), "+4917000");
    EXPECT_EQ(row->accessoryType(), disclosure);
    EXPECT_TRUE(row->stateView()->isHidden());
    const auto head = row->headView()->frame();
    EXPECT_NE(row->headView()->image(), nullptr);
    EXPECT_DOUBLE_EQ(head.midX(), 30);
    EXPECT_DOUBLE_EQ(head.midY(), 30);

    // A busy friend: status line, its age, and the busy mark in the picture's lower right corner;
    // the age hides while editing.
    auto busy = friendCard(7, "Anne");
    busy->setMiniblog("at the lake");
    busy->setMiniblogTime(fnd::Date::dateWithTimeIntervalSinceNow(-3 * 3600.0));
    busy->setState(3);
    row->reloadWithCard(busy, 60, 0);
    EXPECT_EQ(row->miniblogLabel()->text(), "at the lake");
    EXPECT_EQ(row->timeLabel()->text(), "3 hours ago");
    EXPECT_FALSE(row->timeLabel()->isHidden());
    EXPECT_FALSE(row->stateView()->isHidden());
    EXPECT_EQ(row->stateView()->image(), ZelvanWidget::stateIcon(3));
    const auto picture = row->headView()->frame().size;
    EXPECT_EQ(row->stateView()->frame(), (gfx::Rect{picture.width - 16, picture.height - 16, 16, 16}));
    row->setEditing(true);
    EXPECT_TRUE(row->timeLabel()->isHidden());
    row->setEditing(false);
    EXPECT_FALSE(row->timeLabel()->isHidden());
    row->reloadWithCard(busy, 60, 2);
    EXPECT_TRUE(row->timeLabel()->isHidden());

    // Offline, but messages wait for the friend: the notification mark at the picture's lower left.
    busy->setState(0);
    busy->options().setObject(fnd::Value(vCard::kCapabilityOfflineMessage), vCard::kOptionCapabilities);
    row->reloadWithCard(busy, 60, 0);
    const auto mark = ZelvanWidget::imageFromResource("im-notification", true)->size();
    EXPECT_EQ(row->stateView()->image(), ZelvanWidget::imageFromResource("im-notification", true));
    EXPECT_EQ(row->stateView()->frame(), (gfx::Rect{0, picture.height - mark.height, mark.width, mark.height}));

    // An IM buddy: its status grows the second line, no time, no accessory.
    auto buddy = imCard::create();
    buddy->setDisp("Lee");
    buddy->setStatus("a long status text over two lines");
    buddy->setStatusHeight(40);
    row->reloadWithCard(buddy, 60, 0);
    EXPECT_EQ(row->miniblogLabel()->text(), "a long status text over two lines");
    EXPECT_EQ(row->miniblogLabel()->frame(), (gfx::Rect{60, 25, 200, 40}));
    EXPECT_TRUE(row->timeLabel()->isHidden());
    EXPECT_TRUE(row->stateView()->isHidden());
    EXPECT_EQ(row->accessoryType(), ui::TableViewCellAccessoryType::None);

    // A blocked group the user administers, while leaving groups: its role, the block mark and the
    // manage button as accessory, which calls the host with the row.
    auto group = ChatGroupCard::create();
    group->setName("Hikers");
    group->setDescription("weekend walks");
    group->setIsAdmin(true);
    group->setMembershipAttr(ChatGroupCard::kMembershipBlocked, true);
    row->reloadWithCard(group, 60, 4);
    EXPECT_EQ(row->nameLabel()->text(), "Hikers");
    EXPECT_EQ(row->miniblogLabel()->text(), "Administrator");
    EXPECT_EQ(row->miniblogLabel()->frame().size.height, 25);
    EXPECT_EQ(row->stateView()->image(), ZelvanWidget::imageFromResource("btn_block", true));
    EXPECT_EQ(row->accessoryView(), row->btnEdit());
    tap(row->btnEdit());
    EXPECT_EQ(host_->take(), (Calls{"edit ImFriend"}));
    group->setIsAdmin(false);
    row->reloadWithCard(group, 60, 0);
    EXPECT_EQ(row->miniblogLabel()->text(), "weekend walks");
    EXPECT_EQ(row->accessoryView(), nullptr);
    EXPECT_EQ(row->accessoryType(), disclosure);

    // An open chat with unread lines shows the count in place of the disclosure, and back again.
    auto partner = PrivateChatCard::create();
    partner->setName("Max");
    auto chat = host_->chats->findChatWithCard(partner, true);
    chat->setUnread(3);
    row->reloadWithChat(chat, 60, 0);
    EXPECT_EQ(row->nameLabel()->text(), "Max");
    EXPECT_EQ(row->miniblogLabel()->text(), "");
    EXPECT_EQ(row->accessoryView(), row->badgeView());
    EXPECT_EQ(row->badgeView()->badgeValue(), "3");
    chat->setUnread(0);
    row->reloadWithChat(chat, 60, 0);
    EXPECT_EQ(row->accessoryView(), nullptr);
    EXPECT_EQ(row->accessoryType(), disclosure);
    EXPECT_EQ(row->badgeView()->badgeValue(), std::nullopt);

    // Anything else empties the row and its picture.
    row->reloadWithCard(fnd::Value("not a card"), 60, 0);
    EXPECT_EQ(row->nameLabel()->text(), "");
    EXPECT_EQ(row->headView()->image(), nullptr);

    auto info = cell<IMInfoCell>("ImInfo");
    info->reloadWithText("no groups yet", 80);
    EXPECT_EQ(info->infoLabel()->frame(), (gfx::Rect{0, 0, 320, 80}));
    EXPECT_EQ(info->selectionStyle(), ui::TableViewCellSelectionStyle::None);
}

TEST_F(IMListCellsTest, ScreenshotOfBarsAndRows) {
    auto& model = host_->model;
    auto anne = friendCard(7, "Anne Berg");
    anne->setMiniblog("at the lake");
    anne->setMiniblogTime(fnd::Date::dateWithTimeIntervalSinceNow(-600));
    anne->setState(3);
    auto tom = friendCard(8, "Tom");
    tom->setState(1);
    tom->setMiniblog("back at 5");
    model.insertContact(anne);
    model.insertContact(tom);
    auto chat = host_->chats->findChatWithCard(tom, true);
    chat->setUnread(3);

    auto column = ui::View::create(gfx::Rect(0, 0, 320, 360));
    window_->addSubview(column);
    auto add = [&](const std::shared_ptr<IMListCell>& row, double y) {
        row->setFrame(gfx::Rect(0, y, 320, 60));
        row->setListHost(host_);
        column->addSubview(row);
    };
    auto chatting = ui::View::create<IMMinimizedBarCell>(gfx::Rect(0, 0, 320, 60), "ImControlMinimized");
    add(chatting, 0);
    chatting->reloadChatting(60);
    auto chatRow = ui::View::create<IMFriendCell>(gfx::Rect(0, 0, 320, 60), "ImFriend");
    add(chatRow, 60);
    chatRow->reloadWithChat(chat, 60, 0);
    auto friends = ui::View::create<IMZelvanBarCell>(gfx::Rect(0, 0, 320, 60), "ImControlZelvan");
    add(friends, 120);
    friends->reloadZelvanGroup(false, 0, 60);
    for (size_t i = 0; i < 2; ++i) {
        auto row = ui::View::create<IMFriendCell>(gfx::Rect(0, 0, 320, 60), "ImFriend");
        add(row, 180 + 60.0 * static_cast<double>(i));
        row->reloadWithCard(model.zelvanFriends()[i], 60, 0);
    }
    auto groups = ui::View::create<IMChatGroupBarCell>(gfx::Rect(0, 0, 320, 60), "ImControlChatGroup");
    add(groups, 300);
    groups->reloadChatGroup(false, 4, 60);
    window_->layoutIfNeeded();

    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*column, "screenshots/messaging-list-cells.png"));
    const auto shot = ui::Snapshot::captureView(*column);
    ASSERT_TRUE(shot);
    // The unread badge is drawn in its red at the right end of the chat row (left of its digit).
    const auto badge = chatRow->badgeView()->convertRectToView(chatRow->badgeView()->bounds(), column.get());
    EXPECT_GT(badge.minX(), 250);
    EXPECT_EQ(shot->pixelAt(static_cast<int>(badge.minX() + 3), static_cast<int>(badge.midY())),
              (gfx::Rgba8{0xe0, 0x24, 0x24, 0xff}));
}

} // namespace
} // namespace zelvan
