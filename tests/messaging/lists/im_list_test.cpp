// The messenger list: its sections and row counts by fold and edit state, the edit modes, the
// confirmations acting on what they asked about, the status-line and room-count timer, the presence
// sheet, one reload per pass of the main loop, a lost connection, screenshots, and an IM account added through the form
// against the dev server.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/state_files.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_card.h"
#include "messaging/model/im_group.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/window.h"
#include "protocol/tagged_codec.h"
#include "tests/messaging/launched_messenger.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "tools/devserver/login_protocol.h"

namespace zelvan {
namespace {

using fnd::Value;
using S = IMController;

std::shared_ptr<vCard> person(const std::string& name, int32_t userId, int32_t contactId, int32_t state) {
    auto card = vCard::create();
    card->setUi(fnd::Dictionary::make({{1, name}, {0, ""}}));
    card->setUserid(userId);
    card->setContactid(contactId);
    card->setState(state);
    return card;
}

std::shared_ptr<imGroup> account(const std::string& user, int32_t imId, int32_t status) {
    auto im = imGroup::create();
    im->setUser(user);
    im->setIm_id(imId);
    im->setConnectionStatus(status);
    auto buddy = imCard::create();
    buddy->setUser("buddy@" + user);
    buddy->setDisp("Buddy");
    buddy->setGroup(im);
    im->all()->addObject(Value(buddy));
    return im;
}

std::shared_ptr<ChatGroupCard> group(int32_t groupId, const std::string& name, bool admin) {
    auto card = ChatGroupCard::create();
    card->setGroupId(groupId);
    card->setName(name);
    card->setIsAdmin(admin);
    return card;
}

class IMListTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        messenger_ = IMController::create(app_->shared_from_this());
        screen_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        screen_->makeKeyAndVisible();
        screen_->addSubview(messenger_->view());
        deletefile(ContactManage::kContactFile);
    }
    void TearDown() override {
        screen_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
        deletefile(ContactManage::kContactFile);
    }
    std::vector<Value> sent() { return takeSentPackets(*app_); }
    int rows(int section) { return messenger_->tableViewNumberOfRowsInSection(*messenger_->tableView(), section); }
    // The section of a type (after the accounts).
    int sectionOf(int type) {
        for (int s = 0; s < messenger_->numberOfSectionsInTableView(*messenger_->tableView()); ++s) {
            if (messenger_->sectionType(s) == type) {
                return s;
            }
        }
        return -1;
    }
    std::shared_ptr<ZSimpleAlertView> shownAlert() {
        return ui::testing::findView<ZSimpleAlertView>(messenger_->view());
    }
    // Answers the alert on screen with button `index`, as a tap does: the alert goes, then the answer.
    void answer(int index) {
        auto alert = shownAlert();
        ASSERT_TRUE(alert);
        alert->hide();
        messenger_->buttonClickedFromAlert(*alert, "", index);
    }

    ScopedAppDelegate app_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<IMController> messenger_;
    std::shared_ptr<ui::Window> screen_;
};

TEST_F(IMListTest, SectionsAndRowCountsFollowFoldsAndEditModes) {
    auto& tv = *messenger_->tableView();
    EXPECT_EQ(messenger_->numberOfSectionsInTableView(tv), 7);
    std::vector<int> types;
    for (int s = 0; s < 8; ++s) {
        types.push_back(messenger_->sectionType(s));
    }
    EXPECT_EQ(types,
              (std::vector<int>{S::kSectionChatting, S::kSectionPrivateChat, S::kSectionChatGroup, S::kSectionChatRoom,
                                S::kSectionZelvan, S::kSectionAB, S::kSectionAd, S::kSectionUnknown}));

    messenger_->ims().push_back(account("ann", 1, 3));
    messenger_->ims().push_back(account("bob", 2, 1));
    EXPECT_EQ(messenger_->numberOfSectionsInTableView(tv), 9);
    EXPECT_EQ(messenger_->sectionType(2), S::kSectionIM);
    EXPECT_EQ(messenger_->sectionType(3), S::kSectionPrivateChat);

    messenger_->insertContact(person("Ada", 2001, 1, 1));
    messenger_->insertContact(person("Bea", 2002, 2, 0));
    messenger_->insertContact(person("Plumber", 0, 3, 0));
    const int groups = sectionOf(S::kSectionChatGroup);
    const int friends = sectionOf(S::kSectionZelvan);
    const int contacts = sectionOf(S::kSectionAB);
    // Nothing open: no bars for chats and private chats; the rest show their bar.
    EXPECT_EQ(rows(0), 0);
    EXPECT_EQ(rows(sectionOf(S::kSectionPrivateChat)), 0);
    EXPECT_EQ(rows(groups), 1);
    EXPECT_EQ(rows(friends), 1);
    EXPECT_EQ(rows(contacts), 1);
    // An account shows its buddies once expanded; offline ones only with show-offline.
    EXPECT_EQ(rows(1), 1);
    messenger_->ims()[0]->setShowall(true);
    EXPECT_EQ(rows(1), 1);
    messenger_->ims()[0]->setShowoffline(true);
    EXPECT_EQ(rows(1), 2);

    messenger_->switchFold(S::kSectionZelvan);
    EXPECT_EQ(rows(friends), 3);
    // An expanded group section without groups shows its bar and the information row.
    messenger_->switchFold(S::kSectionChatGroup);
    EXPECT_EQ(rows(groups), 2);
    messenger_->setShowContact(false);
    EXPECT_EQ(rows(contacts), 0);

    // In leave mode the information row goes.
    messenger_->chatGroups().push_back(group(7, "Chess", false));
    messenger_->actionLeaveChatGroup();
    EXPECT_EQ(messenger_->editType(), S::kEditLeaveGroups);
    messenger_->tableViewCommitEditingStyle(tv, ui::TableViewCellEditingStyle::Delete,
                                            ui::IndexPath::indexPathForRow(1, groups));
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({303, 7})});
    EXPECT_EQ(rows(groups), 1);
}

TEST_F(IMListTest, EditModesFoldTheRestAndDoneSavesTheContacts) {
    // The contact file is kept for a signed-in user only.
    app_->trylogin("5550100", "secret");
    app_->handleLoginResult(devserver::makeLoginSuccess("0123456789abcdef", {}, {"5550100", "secret", "Demo", 1001}));
    sent();
    auto& tv = *messenger_->tableView();
    messenger_->ims().push_back(account("ann", 1, 3));
    messenger_->ims()[0]->setShowall(true);
    messenger_->insertContact(person("Plumber", 0, 3, 0));
    messenger_->switchFold(S::kSectionZelvan);

    messenger_->actionDeleteContacts();
    EXPECT_EQ(messenger_->editType(), S::kEditContacts);
    EXPECT_TRUE(tv.isEditing());
    EXPECT_EQ(messenger_->unfoldStates().valueForKey(S::kSectionAB), 1);
    EXPECT_EQ(messenger_->unfoldStates().valueForKey(S::kSectionZelvan), 0);
    EXPECT_EQ(messenger_->unfoldStates().valueForKey(S::kSectionChatting), 0);
    EXPECT_FALSE(messenger_->ims()[0]->showall());
    const int contacts = sectionOf(S::kSectionAB);
    EXPECT_EQ(messenger_->tableViewEditingStyleForRowAtIndexPath(tv, ui::IndexPath::indexPathForRow(1, contacts)),
              ui::TableViewCellEditingStyle::Delete);
    EXPECT_EQ(messenger_->tableViewEditingStyleForRowAtIndexPath(tv, ui::IndexPath::indexPathForRow(0, contacts)),
              ui::TableViewCellEditingStyle::None);

    messenger_->tableViewCommitEditingStyle(tv, ui::TableViewCellEditingStyle::Delete,
                                            ui::IndexPath::indexPathForRow(1, contacts));
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({19, 3})});
    EXPECT_EQ(messenger_->rev(), 1);
    EXPECT_FALSE(existfile(ContactManage::kContactFile));
    messenger_->actionDone();
    EXPECT_EQ(messenger_->editType(), S::kEditNone);
    EXPECT_FALSE(tv.isEditing());
    EXPECT_TRUE(existfile(ContactManage::kContactFile));

    // Closing the last open chat in close mode leaves the mode.
    auto pal = person("Ada", 2001, 1, 1);
    messenger_->chat()->activateChatWithCard(pal);
    messenger_->actionCloseChat();
    ASSERT_EQ(messenger_->editType(), S::kEditCloseChats);
    messenger_->tableViewCommitEditingStyle(tv, ui::TableViewCellEditingStyle::Delete,
                                            ui::IndexPath::indexPathForRow(1, 0));
    EXPECT_TRUE(messenger_->chat()->chats().empty());
    EXPECT_EQ(messenger_->editType(), S::kEditNone);
}

TEST_F(IMListTest, ConfirmationsActOnlyOnWhatTheyAskedAboutIfStillListed) {
    auto ann = account("ann", 11, 3);
    auto bob = account("bob", 12, 3);
    messenger_->ims() = {ann, bob};

    // Sign-out asked for bob; bob leaves the list before the answer: nothing happens.
    messenger_->actionIMLogout(1);
    ASSERT_TRUE(shownAlert());
    messenger_->ims() = {ann};
    answer(1);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(bob->connectionStatus(), 3);

    // Signing out of a listed account goes out at once and marks it signed out.
    messenger_->actionIMLogout(0);
    answer(1);
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({5, 11})});
    EXPECT_EQ(ann->connectionStatus(), 1);
    // Deleting an account tells the server nothing.
    messenger_->actionIMDelete(0);
    answer(1);
    EXPECT_TRUE(messenger_->ims().empty());
    EXPECT_TRUE(sent().empty());

    // An administrator leaving a group is asked first; the group is found by its id when the answer
    // comes, even after the list changed, and a group gone meanwhile is left alone.
    messenger_->chatGroups() = {group(1, "First", false), group(2, "Mine", true), group(3, "Third", true)};
    const int groups = sectionOf(S::kSectionChatGroup);
    messenger_->tableViewCommitEditingStyle(*messenger_->tableView(), ui::TableViewCellEditingStyle::Delete,
                                            ui::IndexPath::indexPathForRow(2, groups));
    ASSERT_TRUE(shownAlert());
    messenger_->chatGroups().removeIf([](const auto& g) { return g->groupId() == 1; });
    answer(1);
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({306, 2})});
    ASSERT_EQ(messenger_->chatGroups().size(), 1u);
    EXPECT_EQ(messenger_->chatGroups()[0]->groupId(), 3);

    messenger_->tableViewCommitEditingStyle(*messenger_->tableView(), ui::TableViewCellEditingStyle::Delete,
                                            ui::IndexPath::indexPathForRow(1, groups));
    messenger_->chatGroups().clear();
    answer(1);
    EXPECT_TRUE(sent().empty());
}

TEST_F(IMListTest, TimerAsksForFiftyStatusLinesAtMostAndRoomCountsOnceTheyAreOld) {
    for (int i = 0; i < 120; ++i) {
        messenger_->addMiniblogRequest(3000 + i);
    }
    messenger_->addMiniblogRequest(3000);
    auto room = ChatRoomCard::create();
    room->setRoomId(4);
    messenger_->chatRooms().push_back(room);
    messenger_->setLastChatRoomQuery(fnd::Date::now().sinceReferenceDate());

    messenger_->fireTimerEvent();
    auto first = sent();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].asArray()->objectAtIndex(0).intValue(), 70);
    EXPECT_EQ(first[0].asArray()->count(), 51u);
    messenger_->fireTimerEvent();
    EXPECT_TRUE(sent().empty());

    // Room counts older than a minute are asked for on every tick until an answer comes.
    clock_->advance(61);
    for (int tick = 0; tick < 2; ++tick) {
        messenger_->fireTimerEvent();
        EXPECT_EQ(sent(), std::vector<Value>{Value::array({80, 4})});
    }

    // A lost connection answers no request: the outstanding count starts again from zero.
    messenger_->setLastChatRoomQuery(fnd::Date::now().sinceReferenceDate());
    messenger_->connectionLost();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(messenger_->chatRooms().empty());
    messenger_->fireTimerEvent();
    auto again = sent();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].asArray()->count(), 51u);
}

TEST_F(IMListTest, PresenceSheetSendsTheChosenState) {
    messenger_->actionZelvanStatus();
    ui::testing::AlertDriver::finishAnimations();
    auto sheet = ui::testing::AlertDriver::visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->title(), ZLS("changeStatus"));
    ASSERT_TRUE(ui::testing::AlertDriver::tap(sheet, ZLS("Busy   ")));
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({24, 72})});
    EXPECT_EQ(messenger_->zelvanState(), 3);
}

TEST_F(IMListTest, ChangesInOnePassOfTheMainLoopReloadTheListOnce) {
    fnd::RunLoop::main().runUntilIdle();
    const int before = messenger_->reloadCount();
    for (int32_t userId = 2001; userId <= 2005; ++userId) {
        messenger_->handleServerResponse(Value::array({13, userId}));
    }
    messenger_->safeReload();
    EXPECT_EQ(messenger_->reloadCount(), before);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(messenger_->reloadCount(), before + 1);
    messenger_->safeReload(); // a change in a later pass reloads again
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(messenger_->reloadCount(), before + 2);
}

TEST_F(IMListTest, Screenshots) {
    messenger_->ims().push_back(account("ann@example.net", 1, 3));
    messenger_->ims()[0]->setShowall(true);
    messenger_->ims()[0]->setShowoffline(true);
    for (int i = 0; i < 3; ++i) {
        auto pal = person("Friend " + std::to_string(i), 2001 + i, i + 1, i % 2);
        pal->setMiniblog("Status line " + std::to_string(i));
        messenger_->insertContact(pal);
    }
    messenger_->insertContact(person("Plumber", 0, 9, 0));
    messenger_->chatGroups().push_back(group(7, "Chess club", true));
    messenger_->chat()->findChatWithCard(messenger_->zelvanFriends()[0]);
    for (int type = S::kSectionChatting; type <= S::kSectionPrivateChat; ++type) {
        messenger_->unfold(type, false);
    }
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    messenger_->forceReload();
    screen_->layoutIfNeeded();
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*screen_, "screenshots/messaging-list-open.png"));
    EXPECT_GT(messenger_->tableView()->visibleCells().size(), 5u);
    messenger_->actionDeleteZelvan();
    screen_->layoutIfNeeded();
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*screen_, "screenshots/messaging-list-editing.png"));
}

TEST(IMListDevServerTest, AnAccountFromTheFormSignsInThroughTheServer) {
    LaunchedMessenger client;
    ASSERT_TRUE(client.launch());
    const auto& messenger = client.messenger();
    auto im = imGroup::create();
    im->setProt(1);
    im->setUser("me@example.net");
    im->setPass("pw");
    IMConfigController form(client.delegate());
    messenger->imAccountConfigured(im, form);
    EXPECT_EQ(im->connectionStatus(), 2);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return im->connectionStatus() == 3; }, 10.0));
    EXPECT_GT(im->im_id(), 0);
    // The same account again is not added twice.
    auto twin = imGroup::create();
    twin->setProt(1);
    twin->setUser("me@example.net");
    messenger->imAccountConfigured(twin, form);
    EXPECT_EQ(messenger->ims().size(), 1u);
}

} // namespace
} // namespace zelvan
