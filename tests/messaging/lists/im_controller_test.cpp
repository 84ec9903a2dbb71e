// The messenger controller in a launched client against the dev server: the log-in carries the stored
// revision and is followed by [300] and [403]; another user's files are dropped; the contact editor's
// return; the pages' chat opener; a sync from the controller with commands waiting for its result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/im_group.h"
#include "platform/device/address_book.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "tests/messaging/launched_messenger.h"
#include "tools/devserver/dev_server.h"

namespace zelvan {
namespace {

using fnd::Value;

// Records each server command with the revision it saw.
class RecordingIMController : public IMController {
public:
    using IMController::IMController;
    std::vector<std::pair<Value, int32_t>> handled;

protected:
    void handleCommand(const Value& packet) override { handled.emplace_back(packet, rev()); }
};

void setBook(const std::vector<std::string>& lastNames) {
    auto book = device::AddressBook::create();
    ASSERT_TRUE(book);
    for (const auto& p : book->copyArrayOfAllPeople()) {
        book->removeRecord(p);
    }
    for (const auto& name : lastNames) {
        auto p = device::Person::create();
        p->setValue(device::Property::LastName, Value(name));
        book->addRecord(p);
    }
    ASSERT_TRUE(book->save().ok());
}

class IMControllerTest : public ::testing::Test {
protected:
    IMControllerTest() { setBook({}); }
    void launch() {
        client_.setMessengerFactory([this](zelvanAppDelegate& delegate) {
            controller_ = std::make_shared<RecordingIMController>(delegate.shared_from_this());
            delegate.addConnectionDelegate(controller_);
            delegate.installBridgeTargets([&](BridgeTargets& t) { t.chatOpener = controller_; });
            return controller_;
        });
        ASSERT_TRUE(client_.launch());
    }
    // Packets the server received after the log-in (but the log-in and the delegate's advertising feature
    // request), waiting for at least `count`.
    std::vector<Value> afterLogin(size_t count) {
        client_.server().waitForReceived(count + 2, std::chrono::seconds(10));
        std::vector<Value> out;
        for (const auto& r : client_.server().received()) {
            const int64_t command = r.packet.asArray() ? r.packet.asArray()->objectAtIndex(0).intValue() : 0;
            if (command != 0 && command != cmd::kAdFeatures) {
                out.push_back(r.packet);
            }
        }
        return out;
    }
    Value loginPacket() {
        for (const auto& r : client_.server().received()) {
            if (r.packet.asArray()->objectAtIndex(0).intValue() == 0) {
                return r.packet;
            }
        }
        return {};
    }

    LaunchedMessenger client_{LaunchedMessenger::demoAccount()};
    std::shared_ptr<RecordingIMController> controller_;
    const std::shared_ptr<zelvanAppDelegate>& delegate_ = client_.delegate();
};

Value storedContacts(int32_t rev, int32_t friendId) {
    return Value::array({rev, 5, friendId, 0, Value::dictionary({{0, "Pal"}, {-1, 1}, {100, friendId}})});
}

TEST_F(IMControllerTest, SignInCarriesTheStoredRevisionThenSessionAndFriends) {
    writefile(ContactManage::kContactFile, storedContacts(9, 42));
    fnd::UserDefaults::standard().setInteger(1001, IMController::kUserIdDefault);
    launch();
    EXPECT_EQ(loginPacket().asArray()->objectAtIndex(5).intValue(), 9);
    std::vector<Value> sent = afterLogin(2);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], Value::array({300}));
    EXPECT_EQ(sent[1], Value::array({403, 42}));
    // Tab 2 shows the controller.
    auto tab = std::dynamic_pointer_cast<ui::NavigationController>(
        delegate_->tabBarController()->viewControllers()[zelvanAppDelegate::TabMessenger]);
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->viewControllers().front(), controller_);

    // The page's chat opener finds the friend; an unknown key is refused.
    fnd::testing::LogCapture log;
    delegate_->bridgeTargets().chatOpener->showChatWithCard(Value::dictionary({{"userid", 42}}));
    ASSERT_TRUE(controller_->chat()->currentChat());
    EXPECT_EQ(controller_->chat()->currentChat()->card(), controller_->getuserid(42));
    delegate_->bridgeTargets().chatOpener->showChatWithCard(Value::dictionary({{"nick", "x"}}));
    EXPECT_TRUE(log.contains("no known card"));
}

TEST_F(IMControllerTest, AnotherUsersFilesAreDropped) {
    writefile(ContactManage::kContactFile, storedContacts(9, 42));
    fnd::UserDefaults::standard().setInteger(77, IMController::kUserIdDefault);
    setBook({"Ann"});
    launch();
    std::vector<Value> sent = afterLogin(2);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[1], Value::array({403}));
    EXPECT_TRUE(controller_->all().empty());
    EXPECT_EQ(controller_->rev(), 0);
    EXPECT_EQ(fnd::UserDefaults::standard().integerForKey(IMController::kUserIdDefault), 1001);
    // This user's first sign-in with people in the address book asks before importing.
    std::shared_ptr<ZSimpleAlertView> ask;
    for (const auto& view : delegate_->tabBarController()->view()->subviews()) {
        if (auto alert = std::dynamic_pointer_cast<ZSimpleAlertView>(view)) {
            ask = alert;
        }
    }
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->tag(), IMController::kTagImport);
    EXPECT_FALSE(controller_->syncing());
    ask->hide();
}

TEST_F(IMControllerTest, EditorReturnSendsOnlyAChangedCard) {
    fnd::UserDefaults::standard().setInteger(1001, IMController::kUserIdDefault);
    launch();
    afterLogin(2);
    auto card = vCard::create();
    card->setUi(Value::dictionary({{0, "Berg"}, {-1, 0}}).asDictionary());
    card->setContactid(5);
    controller_->insertContact(card);
    auto nav = controller_->navigationController();
    ASSERT_TRUE(nav);
    const int32_t rev = controller_->rev();

    // Unchanged: nothing sent, the temporary person is gone.
    controller_->actionShowProfile(card);
    ASSERT_GE(controller_->tmpLocalId(), 0);
    const int32_t firstId = controller_->tmpLocalId();
    controller_->navigationControllerDidShowViewController(*nav, *controller_, ui::Animated::No);
    EXPECT_EQ(controller_->rev(), rev);
    EXPECT_EQ(controller_->selectedCard(), nullptr);
    EXPECT_EQ(controller_->tmpLocalId(), -1);
    EXPECT_FALSE(controller_->addressBook()->personWithRecordID(firstId));

    // Changed: one command 18 with the new fields, rev + 1.
    controller_->actionShowProfile(card);
    auto person = controller_->addressBook()->personWithRecordID(controller_->tmpLocalId());
    ASSERT_TRUE(person);
    person->setValue(device::Property::LastName, Value("Borg"));
    controller_->navigationControllerDidShowViewController(*nav, *controller_, ui::Animated::No);
    EXPECT_EQ(controller_->rev(), rev + 1);
    EXPECT_EQ(card->getname(), "Borg");
    std::vector<Value> sent = afterLogin(3);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2], Value::array({18, 5, card->ui()}));
}

TEST_F(IMControllerTest, SyncAppliesOnMainAndCommandsWaitForIt) {
    fnd::UserDefaults::standard().setInteger(1001, IMController::kUserIdDefault);
    writefile(ContactManage::kContactFile, storedContacts(3, 42));
    launch();
    afterLogin(2);
    setBook({"Ann", "Bo"});
    controller_->syncContacts(ContactSync::kImport, false);
    EXPECT_TRUE(controller_->syncing());
    controller_->handleServerResponse(Value::array({2, 1}));
    EXPECT_TRUE(controller_->handled.empty());
    controller_->waitForSync();
    ASSERT_EQ(controller_->handled.size(), 1u);
    EXPECT_EQ(controller_->handled[0].second, 4); // after the add packet's revision step
    std::vector<Value> sent = afterLogin(3);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2].asArray()->count(), 3u);
    EXPECT_EQ(controller_->waitadd().size(), 2u);
}

TEST_F(IMControllerTest, ConfirmationAlertsStartTheSyncOnlyOnYes) {
    fnd::UserDefaults::standard().setInteger(1001, IMController::kUserIdDefault);
    launch();
    afterLogin(2);
    setBook({"Ann"});

    auto alert = controller_->showAlert("import?", IMController::kTagImport, controller_->view());
    EXPECT_EQ(alert->numberOfButtons(), 2);
    alert->setAlertId(Value(7));
    controller_->buttonClickedFromAlert(*alert, "No", 0);
    EXPECT_FALSE(controller_->syncing());
    EXPECT_TRUE(alert->alertId().isNull());
    controller_->buttonClickedFromAlert(*alert, "Yes", 1);
    EXPECT_TRUE(controller_->syncing());
    controller_->waitForSync();
    EXPECT_EQ(controller_->waitadd().size(), 1u);

    // Tags of the list actions reach their own answers: signing out marks the account at once; the
    // warning has no buttons.
    auto account = imGroup::create();
    account->setConnectionStatus(3);
    controller_->ims().push_back(account);
    auto logout = controller_->showAlert("sign out?", IMController::kTagLogout);
    logout->setAlertId(Value(account));
    controller_->buttonClickedFromAlert(*logout, "Yes", 1);
    EXPECT_EQ(account->connectionStatus(), 1);
    auto warning = controller_->showWarning("careful");
    EXPECT_EQ(warning->tag(), IMController::kTagWarning);
    EXPECT_EQ(warning->numberOfButtons(), 0);
    warning->hide();
    logout->hide();
    alert->hide();
}

} // namespace
} // namespace zelvan
