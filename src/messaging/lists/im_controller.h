// IMController: the messenger tab's root screen and the owner of the messenger's model. It keeps the
// contact lists (ContactManage), loads and saves them for the signed-in account, runs the
// address-book sync, asks its confirmations and shows its progress, and returns from the contact
// editor with the changed card sent to the server.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/alert_queue.h"
#include "core/app_services.h"
#include "core/bridge_targets.h"
#include "core/int_collections.h"
#include "messaging/commands/chat_group_reply_router.h"
#include "messaging/lists/im_config_controller.h"
#include "messaging/lists/messenger_screens.h"
#include "messaging/model/contact_manage.h"
#include "messaging/model/im_list_host.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/device/address_book.h"
#include "platform/device/new_person_view_controller.h"
#include "platform/device/person_view_controller.h"
#include "platform/foundation/timer.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view_controller.h"
#include "protocol/command_table.h"
#include "protocol/network_loop.h"
#include "toolkit/z_simple_alert_view.h"
#include "toolkit/z_simple_progress_view.h"

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
                     public ChatOpener,
                     public ChatGroupManagerOpener,
                     public ui::TableViewDataSource,
                     public ui::TableViewDelegate,
                     public IMListHost,
                     public IMConfigControllerDelegate,
                     public ui::ActionSheetDelegate,
                     public AvatarUpdateDelegate {
public:
    static constexpr double kRowHeight = 60.0;
    static constexpr double kTimerInterval = 10.0;
    static constexpr int kEditCommand = cmd::kEditContact;
    static constexpr int kSessionCommand = cmd::kGroupList;
    static constexpr int kFriendListCommand = cmd::kFriendOptions;
    // Alert tags: the sync confirmations and the warning without buttons.
    static constexpr int kTagMerge = 2;
    static constexpr int kTagImport = 3;
    static constexpr int kTagExport = 4;
    static constexpr int kTagWarning = 6;
    // Warnings that may wait behind the one on screen.
    static constexpr size_t kWaitingWarnings = 2;
    static constexpr int kTagLogout = 0;
    static constexpr int kTagDeleteIM = 1;
    static constexpr int kTagLeaveAdminGroup = 5;
    // The list's section types.
    enum SectionType {
        kSectionUnknown = 0,
        kSectionChatting = 1,
        kSectionZelvan = 2,
        kSectionIM = 3,
        kSectionAB = 4,
        kSectionChatGroup = 5,
        kSectionChatRoom = 6,
        kSectionPrivateChat = 7,
        kSectionAd = 8,
    };
    // Edit modes of the list.
    enum EditType { kEditNone = 0, kEditCloseChats = 1, kEditZelvan = 2, kEditContacts = 3, kEditLeaveGroups = 4 };
    // Ids outstanding in status-line requests (command 70) at most.
    static constexpr int32_t kMaxMiniblogRequests = 50;
    // Seconds without a room answer before the room counts are asked for again.
    static constexpr double kChatRoomQueryInterval = 60.0;
    static constexpr int kMiniblogCommand = cmd::kMiniblog;
    static constexpr int kRoomCountCommand = cmd::kRoomCount;
    static constexpr int kStatusCommand = cmd::kStatus;
    static constexpr int kIMLoginCommand = cmd::kIMLogin;
    static constexpr int kIMLogoutCommand = cmd::kIMLogout;
    static constexpr int kDeleteContactCommand = cmd::kRemoveContact;
    static constexpr int kLeaveGroupCommand = cmd::kLeaveGroup;
    static constexpr int kDisbandGroupCommand = cmd::kDisbandGroup;
    static constexpr double kBarButtonMaxWidth = 120;
    static constexpr double kBarButtonHeight = 33;
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
    std::vector<FriendInfo> zelvanFriendInfos() override;
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
    // The page's request: the member management screen of a known group, pushed onto the messenger.
    void manageChatGroup(int32_t groupId) override;
    // Reloads the lists at the end of the main loop's pass (the next pass when asked from another
    // thread); however often it is asked for in one pass (a burst of presence notices), it runs once.
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
    // The server's warnings, one on screen at a time with a short line behind it (AlertQueue); the
    // alert is returned whether it shows, waits or was dropped.
    std::shared_ptr<ZSimpleAlertView> showWarning(const std::string& text);
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;
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
    // Where the chat-group screens wait for their replies; null without a delegate.
    const std::shared_ptr<ChatGroupReplyRouter>& groupReplies() const { return groupReplies_; }
    // Pops the messenger's navigation back to its list; while a transition runs, tries again 0.1 s later.
    void safePopToRootViewController();
    static constexpr double kPopRetryDelay = 0.1;

    // --- The list (sections, rows, folding, edit modes) ---
    int sectionType(int section);
    void showChat(int section, int row);
    void switchFold(int type);
    // Whether the section type is expanded (a non-zero fold value).
    bool isUnfolded(int type) const;
    void unfold(int type, bool exclusive);
    void expandGroup(int32_t index);
    void expandAll();
    void forceReload();
    void reloadRightBarButton();
    bool isVisible() const;
    int32_t editType() const { return editType_; }
    void actionDone();
    int numberOfSectionsInTableView(ui::TableView& tableView) override;
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForIdentifier(const std::string& identifier);
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void tableViewAccessoryButtonTappedForRowWithIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    std::optional<ui::TableViewCellEditingStyle>
    tableViewEditingStyleForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<bool> tableViewShouldIndentWhileEditingRowAtIndexPath(ui::TableView& tableView,
                                                                        const ui::IndexPath& indexPath) override;
    void tableViewCommitEditingStyle(ui::TableView& tableView, ui::TableViewCellEditingStyle style,
                                     const ui::IndexPath& indexPath) override;

    // --- List actions (IMListHost) ---
    ContactManage& listModel() override { return *this; }
    int32_t zelvanState() const override { return zelvanState_; }
    void actionCloseChat() override;
    void actionDeleteZelvan() override;
    void actionDeleteContacts() override;
    void actionLeaveChatGroup() override;
    void actionCreateChatGroup() override;
    void actionSearchChatGroup() override;
    void actionZelvanStatus() override;
    void actionNewProfile() override;
    void actionIMLogin(int32_t index) override;
    void actionIMLogout(int32_t index) override;
    void actionIMShowOffline(int32_t index) override;
    void actionIMDelete(int32_t index) override;
    void actionCellDisclosure(ui::TableViewCell& cell) override;
    void actionCellEdit(ui::TableViewCell& cell) override;
    // Pushes the account form.
    void actionAddIM();
    // The form's account: added and signed in unless already known; the form closes either way.
    void imAccountConfigured(const std::shared_ptr<imGroup>& im, IMConfigController& controller) override;
    void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;
    // Queues a friend's status line request once.
    void addMiniblogRequest(int32_t userId);
    // The 10-second tick: status-line requests and, once the room counts are old, the room query.
    virtual void fireTimerEvent();
    // Connection events (any thread): the volatile lists go and the list returns to its root.
    void connectionLost() override;
    void connectionResumed() override {}
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;

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
    void connectionLostInMainThread();
    // The list's cell for a card row, a bar or the ad row.
    std::shared_ptr<ui::TableViewCell> cellForChatting(const ui::IndexPath& indexPath);
    std::shared_ptr<ui::TableViewCell> cellForIM(const ui::IndexPath& indexPath);
    std::shared_ptr<ui::TableViewCell> cellForList(int type, const ui::IndexPath& indexPath);
    // The card shown at a row of a section type, or null.
    std::shared_ptr<baseCard> cardAt(int type, int section, int row);
    std::shared_ptr<imGroup> imAt(int32_t index) const;
    // Toggles edit mode `mode`, unfolding its section alone on entry.
    void toggleEditMode(int mode, int sectionType);
    // Removes the row; with the open chats becoming empty, their bar goes with it.
    void deleteRow(const ui::IndexPath& indexPath, bool chatsWereOpen);
    std::shared_ptr<ui::BarButtonItem> makeBarItem(const std::string& title, void (IMController::*action)());
    void pushPage(const std::string& url);

    std::weak_ptr<zelvanAppDelegate> delegate_;
    std::shared_ptr<IMChatController> chatController_;
    MessengerScreens screens_;
    std::shared_ptr<ChatGroupReplyRouter> groupReplies_;
    std::shared_ptr<ui::TableView> tableView_;
    ZIntMap unfoldStates_;
    int32_t lasthit_ = 0;
    int32_t editType_ = 0;
    std::shared_ptr<ui::BarButtonItem> itemDone_;
    std::shared_ptr<ui::BarButtonItem> itemAddIM_;
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
    // A reload was asked for and has not run yet (asked for from any thread); the main loop's pass
    // observer, added on the first request, runs it.
    std::atomic<bool> reloadPending_{false};
    std::once_flag reloadObserverAdded_;
    uint64_t reloadObserver_ = 0;
    std::function<bool(const std::string&)> featureVisible_;
    std::thread syncThread_;
    std::deque<fnd::Value> waitingCommands_;
    AlertQueue warningAlerts_{"messenger warning", kWaitingWarnings};
};

} // namespace zelvan
