// IMController: the messenger tab's root screen and the owner of the messenger's model. It keeps the
// contact lists (ContactManage), loads and saves them for the signed-in account, runs the
// address-book sync, asks its confirmations and shows its progress, and returns from the contact
// editor with the changed card sent to the server.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <thread>

#include "core/app_services.h"
#include "core/bridge_targets.h"
#include "core/int_collections.h"
#include "messaging/contact_manage.h"
#include "messaging/im_chat_controller.h"
#include "messaging/messenger_screens.h"
#include "platform/device/address_book.h"
#include "platform/device/new_person_view_controller.h"
#include "platform/device/person_view_controller.h"
#include "platform/foundation/timer.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"
#include "protocol/network_loop.h"
#include "ui/z_simple_alert_view.h"
#include "ui/z_simple_progress_view.h"

namespace zelvan {

class zelvanAppDelegate;

class IMController : public ui::ViewController,
                     public ContactManage,
                     public MessengerService,
                     public ConnectionListener,
                     public ui::NavigationControllerDelegate,
                     public ZSimpleAlertViewDelegate,
                     public device::NewPersonViewControllerDelegate,
                     public device::PersonViewControllerDelegate,
                     public ChatOpener {
public:
    static constexpr double kRowHeight = 60.0;
    static constexpr double kTimerInterval = 10.0;
    static constexpr int kEditCommand = 18;
    static constexpr int kSessionCommand = 300;
    static constexpr int kFriendListCommand = 403;
    // Alert tags: the sync confirmations and the warning without buttons.
    static constexpr int kTagMerge = 2;
    static constexpr int kTagImport = 3;
    static constexpr int kTagExport = 4;
    static constexpr int kTagWarning = 6;
    // The user defaults key of the user whose files are loaded.
    static constexpr const char* kUserIdDefault = "messengerUserId";

    // Construction steps 1-9; registers with the delegate (held weakly) as connection listener.
    static std::shared_ptr<IMController> create(const std::shared_ptr<zelvanAppDelegate>& delegate);
    explicit IMController(const std::shared_ptr<zelvanAppDelegate>& delegate);
    ~IMController() override;

    std::string className() const override { return "IMController"; }

    // --- MessengerService ---
    int dataRevision() override { return rev(); }
    void loadState() override;
    void saveState() override { saveStorage(); }
    void didLogIn(const LoginSession& session) override;
    std::shared_ptr<ui::ViewController> rootViewController() override;
    // Server commands hop to the main thread; while a sync is being applied they wait their turn.
    void handleServerResponse(const fnd::Value& packet) override;

    // --- View events ---
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(ui::Animated animated) override;
    void viewDidAppear(ui::Animated animated) override;
    void viewWillDisappear(ui::Animated animated) override;
    void navigationControllerWillShowViewController(ui::NavigationController& nav, ui::ViewController& vc,
                                                    ui::Animated animated) override;
    // The return from the contact editor: a changed card is stored and sent (command 18).
    void navigationControllerDidShowViewController(ui::NavigationController& nav, ui::ViewController& vc,
                                                   ui::Animated animated) override;

    void showChatWithCard(const std::shared_ptr<baseCard>& card);
    // The page's request: a dictionary naming the card by "userid", "groupid", "roomid" or "phone".
    void showChatWithCard(const fnd::Value& cardInfo) override;
    // Reloads the lists on the main thread: at once there, else posted without waiting.
    void safeReload();
    static void setTableEditing(const std::shared_ptr<ui::View>& view);
    // With a session key: command 300, then a reload.
    void sessionKeyUpdated();

    // --- Address-book sync ---
    // Mode 1 merge, 2 import, 3 export; with `ask` the user confirms first.
    void syncContacts(int mode, bool ask);
    bool syncing() const { return syncing_; }
    // Tests wait for a running sync here (main thread): the background run ends, then its result
    // is applied.
    void waitForSync();
    // Shows the card as an address-book person page (a temporary person, removed on return).
    void actionShowProfile(const std::shared_ptr<vCard>& card);
    // The new-person screen finished: a created person becomes a new contact sent to the server.
    void newPersonViewControllerDidCompleteWithNewPerson(device::NewPersonViewController& controller,
                                                         const std::shared_ptr<device::Person>& person) override;
    // The profile page's fields are not acted on.
    bool personViewControllerShouldPerformDefaultActionForPerson(device::PersonViewController& controller,
                                                                 const std::shared_ptr<device::Person>& person,
                                                                 device::Property property,
                                                                 device::MultiValueIdentifier identifier) override;

    // --- Alerts and progress ---
    std::shared_ptr<ZSimpleAlertView> showAlert(const std::string& text, int tag);
    std::shared_ptr<ZSimpleAlertView> showAlert(const std::string& text, int tag,
                                                const std::shared_ptr<ui::View>& view);
    std::shared_ptr<ZSimpleAlertView> showWarning(const std::string& text);
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;
    // Answers to the alert tags this screen does not own (0, 1 and 5 of the list actions).
    void setAlertAnswerHook(std::function<void(ZSimpleAlertView&, int buttonIndex)> hook) {
        alertAnswerHook_ = std::move(hook);
    }
    void showMask();
    void hideMask();
    void updateProgress(float progress);

    // Whether the server enabled a feature (the web databases' switches); the composition root sets it.
    void setFeatureVisible(std::function<bool(const std::string&)> check) { featureVisible_ = std::move(check); }
    bool featureVisible(const std::string& name) const { return featureVisible_ && featureVisible_(name); }

    // --- The chat window and the screens it pushes ---
    const std::shared_ptr<IMChatController>& chatController() const { return chatController_; }
    // The makers of the member screens the chat window pushes.
    MessengerScreens& screens() { return screens_; }
    // Pops the messenger's navigation back to its list; while a transition runs, tries again 0.1 s later.
    void safePopToRootViewController();
    static constexpr double kPopRetryDelay = 0.1;

    // --- Fields read by the list screens ---
    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ZSimpleProgressView>& syncView() const { return syncView_; }
    std::shared_ptr<device::AddressBook> addressBook() const { return addressBook_; }
    void setAddressBook(std::shared_ptr<device::AddressBook> book) { addressBook_ = std::move(book); }
    std::shared_ptr<vCard> selectedCard() const { return selectedCard_; }
    void setSelectedCard(std::shared_ptr<vCard> card) { selectedCard_ = std::move(card); }
    int32_t tmpLocalId() const { return tmpLocalId_; }
    void setTmpLocalId(int32_t id) { tmpLocalId_ = id; }
    ZIntMap& unfoldStates() { return unfoldStates_; }
    int32_t zelvanState() const { return zelvanState_; }
    void setZelvanState(int32_t state) { zelvanState_ = state; }
    bool appeared() const { return appeared_; }
    bool inTransition() const { return inTransition_; }
    bool showIM() const { return showIM_; }
    void setShowIM(bool show) { showIM_ = show; }
    bool showChatGroup() const { return showChatGroup_; }
    void setShowChatGroup(bool show) { showChatGroup_ = show; }
    bool showContact() const { return showContact_; }
    void setShowContact(bool show) { showContact_ = show; }
    double lastChatRoomQuery() const { return lastChatRoomQuery_; }
    void setLastChatRoomQuery(double time) { lastChatRoomQuery_ = time; }
    // How many reloads ran (the table's body comes with the home lists).
    int reloadCount() const { return reloadCount_; }

protected:
    void listsChanged() override { safeReload(); }
    // The list's reload; the home lists fill the table.
    virtual void reloadInternal();
    // The 10-second tick; the home lists send the miniblog and room queries.
    virtual void fireTimerEvent() {}
    // One server command on the main thread, with the messenger's lock held.
    virtual void handleCommand(const fnd::Value& packet);

private:
    IMController(const std::shared_ptr<zelvanAppDelegate>& delegate, std::shared_ptr<IMChatController> chatController);
    void send(const fnd::Value& packet);
    std::shared_ptr<ui::View> overlayView();
    std::shared_ptr<ZSimpleAlertView> makeAlert(const std::string& text, int tag);
    void startSync(int mode);
    void finishSync(const ContactSync::Plan& plan);
    void runQueuedCommands();

    std::weak_ptr<zelvanAppDelegate> delegate_;
    std::shared_ptr<IMChatController> chatController_;
    MessengerScreens screens_;
    std::shared_ptr<ui::TableView> tableView_;
    ZIntMap unfoldStates_;
    int32_t lasthit_ = 0;
    int32_t editType_ = 0;
    std::shared_ptr<device::AddressBook> addressBook_;
    std::shared_ptr<ZSimpleProgressView> syncView_;
    std::shared_ptr<fnd::Timer> miniblogTimer_;
    bool syncing_ = false;
    bool appeared_ = false;
    int32_t zelvanState_ = 1;
    std::shared_ptr<vCard> selectedCard_;
    int32_t tmpLocalId_ = -1;
    double lastChatRoomQuery_ = 0;
    bool inTransition_ = false;
    bool showIM_ = true;
    bool showChatGroup_ = true;
    bool showContact_ = true;
    int reloadCount_ = 0;
    std::function<void(ZSimpleAlertView&, int)> alertAnswerHook_;
    std::function<bool(const std::string&)> featureVisible_;
    std::thread syncThread_;
    std::deque<fnd::Value> waitingCommands_;
};

} // namespace zelvan
