// IMController's construction, view and navigation events, the editor return, the reload hop to the
// main thread, and the messenger's part of signing in.
#include "messaging/lists/im_controller.h"

#include "core/localization.h"
#include "core/main_thread.h"
#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/rooms/chat_group_config_member_controller.h"
#include "messaging/rooms/chat_group_config_select_controller.h"
#include "messaging/rooms/chat_group_user_controller.h"
#include "messaging/rooms/chat_room_members_screen.h"
#include "platform/foundation/date.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/tab_bar_item.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

std::function<bool()> loggedOutOf(const std::weak_ptr<zelvanAppDelegate>& delegate) {
    return [delegate] {
        auto strong = delegate.lock();
        return strong && strong->loggedout();
    };
}

} // namespace

std::shared_ptr<IMController> IMController::create(const std::shared_ptr<zelvanAppDelegate>& delegate) {
    auto controller = std::make_shared<IMController>(delegate);
    if (delegate) {
        delegate->addConnectionDelegate(controller);
        if (auto avatars = std::dynamic_pointer_cast<AvatarFinder>(delegate->avatarManager())) {
            avatars->addDelegate(controller);
        }
    }
    return controller;
}

IMController::IMController(const std::shared_ptr<zelvanAppDelegate>& delegate)
    : IMController(delegate, IMChatController::create(delegate, this)) {}

IMController::IMController(const std::shared_ptr<zelvanAppDelegate>& delegate,
                           std::shared_ptr<IMChatController> chatController)
    : ContactManage(loggedOutOf(delegate), chatController), delegate_(delegate),
      chatController_(std::move(chatController)),
      groupReplies_(delegate ? ChatGroupReplyRouter::create(*delegate) : nullptr) {
    addressBook_ = device::AddressBook::create();
    lastChatRoomQuery_ = fnd::Date::now().sinceReferenceDate();
    unfoldStates_.setIntValue(1, 1);
    for (int key : {5, 2, 6, 4}) {
        unfoldStates_.setIntValue(0, key);
    }
    syncView_ = ZSimpleProgressView::create();
    setTitle(ZLS("imtitle"));
    setTabBarItem(ui::TabBarItem::initWithTitle(ZLS("imtitle"), ZelvanWidget::newImageFromResource("friends", false),
                                                zelvanAppDelegate::TabMessenger));
    screens_.groupMemberManager = [this](const std::shared_ptr<ChatGroupCard>& group) {
        auto screen = ChatGroupConfigMemberController::create(
            delegate_, std::static_pointer_cast<IMController>(shared_from_this()));
        screen->setGroup(group);
        return std::static_pointer_cast<ui::ViewController>(screen);
    };
    screens_.roomMembers = [this](const auto& room) {
        return ChatRoomMembersScreen::forRoom(delegate_, selfAs<IMController>(), room);
    };
    screens_.groupMembers = [this](const std::shared_ptr<ChatGroupCard>& group) -> std::shared_ptr<ui::ViewController> {
        return ChatGroupUserController::create(delegate_, groupReplies_, group);
    };
    screens_.groupManageMenu = [this](const std::shared_ptr<ChatGroupCard>& g) -> std::shared_ptr<ui::ViewController> {
        return ChatGroupConfigSelectController::create(delegate_,
                                                       std::static_pointer_cast<IMController>(shared_from_this()), g);
    };
}

IMController::~IMController() {
    if (reloadObserver_ != 0) {
        fnd::RunLoop::main().removePassObserver(reloadObserver_);
    }
    chatController_->detachMessenger();
    if (syncThread_.joinable()) {
        syncThread_.join();
    }
    if (miniblogTimer_) {
        miniblogTimer_->invalidate();
    }
    if (auto delegate = delegate_.lock()) {
        delegate->removeConnectionDelegate(this);
    }
}

void IMController::send(const fnd::Value& packet) {
    if (auto delegate = delegate_.lock()) {
        delegate->send(packet);
    }
}

void IMController::loadState() {
    loadStorage();
}

std::shared_ptr<ui::ViewController> IMController::rootViewController() {
    return std::static_pointer_cast<ui::ViewController>(shared_from_this());
}

std::vector<FriendInfo> IMController::zelvanFriendInfos() {
    std::lock_guard guard(lock());
    std::vector<FriendInfo> friends;
    friends.reserve(zelvanFriends().size());
    for (const auto& card : zelvanFriends()) {
        friends.push_back({card->userid(), card->state(), card->supportOfflineGame(), card->getname()});
    }
    return friends;
}

void IMController::didLogIn(const LoginSession& session) {
    fnd::UserDefaults& defaults = fnd::UserDefaults::standard();
    if (defaults.integerForKey(kUserIdDefault) != session.userId) {
        if (!all().empty() || rev() != 0) {
            ZLOG(Info, "messenger: user %d signed in; the stored contacts of another user are dropped",
                 static_cast<int>(session.userId));
        }
        resetAllData();
        defaults.setInteger(session.userId, kUserIdDefault);
        defaults.synchronize();
    }
    const bool firstSignIn = !existfile(kContactFile);
    sessionKeyUpdated();
    auto friends = fnd::Array::make({kFriendListCommand});
    for (const auto& card : zelvanFriends()) {
        friends->addObject(card->userid());
    }
    send(fnd::Value(friends));
    if (firstSignIn && addressBook_) {
        // The handle was opened at start; it reads the book as it stands now.
        addressBook_->revert();
    }
    if (firstSignIn && addressBook_ && addressBook_->personCount() > 0) {
        syncContacts(ContactSync::kImport, true);
    }
}

void IMController::handleServerResponse(const fnd::Value& packet) {
    onMainInline(std::static_pointer_cast<IMController>(shared_from_this()), [packet](IMController& self) {
        if (self.syncing_) {
            self.waitingCommands_.push_back(packet);
            return;
        }
        std::lock_guard<std::recursive_mutex> hold(self.lock());
        self.handleCommand(packet);
    });
}

void IMController::runQueuedCommands() {
    while (!syncing_ && !waitingCommands_.empty()) {
        fnd::Value packet = std::move(waitingCommands_.front());
        waitingCommands_.pop_front();
        std::lock_guard<std::recursive_mutex> hold(lock());
        handleCommand(packet);
    }
}

void IMController::loadView() {
    setView(ZelvanWidget::newContentViewForViewController());
    if (!tableView_) {
        tableView_ = ui::View::create<ui::TableView>(widgetGetMainFrame(), ui::TableViewStyle::Plain);
        if (auto delegate = delegate_.lock()) {
            tableView_->setSeparatorColor(delegate->style()->tableViewSeparatorColor());
            tableView_->setBackgroundColor(delegate->style()->viewBackgroundColor());
        }
        tableView_->setRowHeight(kRowHeight);
        auto self = std::static_pointer_cast<IMController>(shared_from_this());
        tableView_->setDataSource(self);
        tableView_->setDelegate(self);
    }
    view()->addSubview(tableView_);
}

void IMController::viewDidLoad() {
    if (miniblogTimer_) {
        return;
    }
    for (const auto& card : zelvanFriends()) {
        miniblogRequestQueue().addValue(card->userid());
    }
    fireTimerEvent();
    std::weak_ptr<IMController> weak = std::static_pointer_cast<IMController>(shared_from_this());
    miniblogTimer_ = fnd::Timer::scheduled(kTimerInterval, fnd::Repeats::Yes, [weak](fnd::Timer&) {
        if (auto self = weak.lock()) {
            self->fireTimerEvent();
        }
    });
}

void IMController::viewWillAppear(ui::Animated /*animated*/) {
    if (auto nav = navigationController()) {
        nav->setDelegate(std::static_pointer_cast<IMController>(shared_from_this()));
    }
    // On screen from now on, so the reload below is not skipped: coming back from a chat shows the
    // lists as they are now.
    appeared_ = true;
    reloadInternal();
}

void IMController::viewWillDisappear(ui::Animated /*animated*/) {
    appeared_ = false;
}

void IMController::viewDidAppear(ui::Animated /*animated*/) {
    auto delegate = delegate_.lock();
    if (!delegate || !featureVisible_ || !featureVisible_("imads")) {
        return;
    }
    auto ad = delegate->adView();
    if (!ad) {
        return;
    }
    ad->setDisplayMode(1);
    if (auto adView = std::dynamic_pointer_cast<ui::View>(ad)) {
        view()->addSubview(adView);
    }
}

void IMController::navigationControllerWillShowViewController(ui::NavigationController& /*nav*/,
                                                              ui::ViewController& /*vc*/, ui::Animated /*animated*/) {
    inTransition_ = true;
}

void IMController::navigationControllerDidShowViewController(ui::NavigationController& /*nav*/, ui::ViewController& vc,
                                                             ui::Animated /*animated*/) {
    // Record ids start at 0, so 0 is a valid temporary person; selectedCard and the id are always
    // cleared so a failed look-up leaves nothing behind.
    if (&vc == this && selectedCard_ && tmpLocalId_ >= 0) {
        auto person = addressBook_ ? addressBook_->personWithRecordID(tmpLocalId_) : nullptr;
        if (person) {
            auto edited = vCard::initWithPerson(*person);
            auto selectedUi = selectedCard_->ui();
            if (selectedUi && selectedUi->objectForKey(vCard::kKeyType).isInt()) {
                edited->setType(selectedCard_->type());
            }
            if (selectedUi && selectedUi->objectForKey(vCard::kKeyUserId).isInt()) {
                edited->setUserid(selectedCard_->userid());
            }
            if (!edited->isEqualTovCard(*selectedCard_)) {
                setRev(rev() + 1);
                selectedCard_->setUi(edited->ui());
                send(fnd::Value::array({kEditCommand, selectedCard_->contactid(), edited->ui()}));
            }
            addressBook_->removeRecord(person);
            if (auto saved = addressBook_->save(); !saved.ok()) {
                ZLOG(Warn, "messenger: the temporary person could not be removed: %s",
                     saved.error().localizedDescription());
            }
        }
        selectedCard_ = nullptr;
        tmpLocalId_ = -1;
    }
    inTransition_ = false;
}

void IMController::showChatWithCard(const std::shared_ptr<baseCard>& card) {
    chat()->activateChatWithCard(card);
    auto screen = chat()->viewController();
    auto nav = navigationController();
    if (screen && nav && !screen->navigationController()) {
        nav->pushViewController(screen, ui::Animated::Yes);
    }
}

void IMController::showChatWithCard(const fnd::Value& cardInfo) {
    auto info = cardInfo.asDictionary();
    std::shared_ptr<baseCard> card;
    if (info) {
        if (const fnd::Value& v = info->objectForKey("userid"); !v.isNull()) {
            card = getuserid(v.intValue());
        } else if (const fnd::Value& g = info->objectForKey("groupid"); !g.isNull()) {
            card = findChatGroup(g.intValue());
        } else if (const fnd::Value& r = info->objectForKey("roomid"); !r.isNull()) {
            card = findChatRoom(r.intValue());
        } else if (const fnd::Value& p = info->objectForKey("phone"); !p.isNull()) {
            card = getunknown(p.stringValue());
        }
    }
    if (!card) {
        ZLOG(Warn, "messenger: the page asked for a chat with no known card: %s",
             fnd::logPreviewValue(cardInfo, fnd::kLogPreviewBytes));
        return;
    }
    showChatWithCard(card);
}

void IMController::manageChatGroup(int32_t groupId) {
    auto group = findChatGroup(groupId);
    if (!group) {
        ZLOG(Warn, "messenger: the page asked to manage an unknown chat group %d", static_cast<int>(groupId));
        return;
    }
    auto screen = screens_.groupMemberManager ? screens_.groupMemberManager(group) : nullptr;
    auto nav = navigationController();
    if (!screen || !nav) {
        ZLOG(Warn, "messenger: no member management screen or navigation for chat group %d", static_cast<int>(groupId));
        return;
    }
    nav->pushViewController(screen, ui::Animated::Yes);
    if (auto refreshable = std::dynamic_pointer_cast<RefreshableScreen>(screen)) {
        refreshable->refresh();
    }
}

void IMController::safePopToRootViewController() {
    if (inTransition_) {
        std::weak_ptr<IMController> weak = std::static_pointer_cast<IMController>(shared_from_this());
        fnd::RunLoop::main().performAfter(kPopRetryDelay, [weak] {
            if (auto self = weak.lock()) {
                self->safePopToRootViewController();
            }
        });
        return;
    }
    if (auto nav = navigationController()) {
        nav->popToRootViewControllerAnimated(ui::Animated::Yes);
    }
}

void IMController::safeReload() {
    std::call_once(reloadObserverAdded_, [this] {
        std::weak_ptr<IMController> weak = std::static_pointer_cast<IMController>(shared_from_this());
        reloadObserver_ = fnd::RunLoop::main().addPassObserver([weak] {
            auto self = weak.lock();
            if (self && self->reloadPending_.exchange(false)) {
                self->reloadInternal();
            }
        });
    });
    if (!reloadPending_.exchange(true) && !fnd::RunLoop::main().isCurrent()) {
        // An empty task makes the main loop run a pass, whose end runs the reload.
        onMain([] {});
    }
}

void IMController::setTableEditing(const std::shared_ptr<ui::View>& view) {
    if (!view) {
        return;
    }
    if (auto table = std::dynamic_pointer_cast<ui::TableView>(view)) {
        table->setEditing(true, ui::Animated::Yes);
        table->setEditing(false, ui::Animated::Yes);
    }
    for (const auto& sub : view->subviews()) {
        setTableEditing(sub);
    }
}

void IMController::sessionKeyUpdated() {
    auto delegate = delegate_.lock();
    if (!delegate || !delegate->sessionKey()) {
        return;
    }
    // A new session answers nothing asked on the old one.
    setMiniblogRequestCount(0);
    miniblogRequestCounts() = ZIntArray();
    send(fnd::Value::array({kSessionCommand}));
    safeReload();
}

} // namespace zelvan
