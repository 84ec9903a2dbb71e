// The member management screen: its entries and panes, the tables, and the replies to its requests.
// The confirmation texts and the requests they lead to live in chat_group_member_requests.cpp.
#include "messaging/rooms/chat_group_config_member_controller.h"

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "protocol/packet_reader.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

constexpr const char* kCellIdentifier = "friend";
constexpr double kPaneWidth = 320;
constexpr double kButtonInset = 10;
constexpr double kButtonBottomGap = 50;
constexpr double kButtonHeight = 42;
constexpr int kButtonFont = 9;

std::shared_ptr<ChatGroupUser> entryFor(int32_t userId, const std::string& name) {
    auto entry = ChatGroupUser::create();
    entry->setUserId(userId);
    entry->setName(name);
    return entry;
}

// A member record [userId, name, online, admin] (a name of another kind reads as empty); the error
// names the element at fault when it is not one.
fnd::Result<std::shared_ptr<ChatGroupUser>> memberFromRecord(const fnd::Value& record) {
    const PacketReader fields(record);
    TRY(fields.element(3));
    TRY(fields.wholeNumber(0));
    const std::string* name = fields.optionalText(1);
    auto member = entryFor(fields.intValue(0), name != nullptr ? *name : std::string());
    member->setOnline(fields.intValue(2) > 0);
    member->setAdmin(fields.intValue(3) == 1);
    return member;
}

} // namespace

std::shared_ptr<ChatGroupConfigMemberController>
ChatGroupConfigMemberController::create(std::weak_ptr<zelvanAppDelegate> delegate,
                                        const std::shared_ptr<IMController>& messenger) {
    auto screen = std::make_shared<ChatGroupConfigMemberController>(std::move(delegate), messenger);
    if (auto avatars = currentAvatarManager()) {
        avatars->addDelegate(screen);
    }
    return screen;
}

ChatGroupConfigMemberController::ChatGroupConfigMemberController(std::weak_ptr<zelvanAppDelegate> delegate,
                                                                 const std::shared_ptr<IMController>& messenger)
    : delegate_(std::move(delegate)), messenger_(messenger) {
    if (!messenger) {
        return;
    }
    router_ = messenger->groupReplies();
    for (const auto& card : messenger->zelvanFriends()) {
        friends_.push_back(entryFor(card->userid(), card->getname()));
    }
    for (const auto& card : messenger->abContacts()) {
        auto entry = entryFor(card->contactid(), card->getname());
        const fnd::Value phone = card->getFirstTel();
        entry->setPhone(phone.isNull() ? std::string() : phone.stringValue());
        contacts_.push_back(std::move(entry));
    }
}

ChatGroupConfigMemberController::~ChatGroupConfigMemberController() {
    if (router_) {
        router_->unsubscribeAll(this);
    }
}

// --- Views ---

std::shared_ptr<ui::View> ChatGroupConfigMemberController::makePane(gfx::Rect frame,
                                                                    const std::shared_ptr<ui::Button>& button,
                                                                    const std::string& title,
                                                                    void (ChatGroupConfigMemberController::*action)(),
                                                                    std::shared_ptr<ui::TableView>& table) {
    const auto& style = *ZelvanStyle::shared();
    auto pane = ui::View::create<ui::View>(frame);
    pane->setBackgroundColor(view()->backgroundColor());
    button->setTitle(title, ui::ControlState::Normal);
    button->titleLabel()->setFont(style.font(kButtonFont));
    button->setFrame(
        gfx::Rect(kButtonInset, frame.height() - kButtonBottomGap, kPaneWidth - 2 * kButtonInset, kButtonHeight));
    button->addTarget(selfAs<ChatGroupConfigMemberController>(), action, ui::ControlEvents::TouchUpInside);
    table =
        ui::View::create<ui::TableView>(gfx::Rect(0, 0, kPaneWidth, button->frame().minY()), ui::TableViewStyle::Plain);
    table->setBackgroundColor(view()->backgroundColor());
    // Rows scrolled past the table's end do not show behind the button.
    table->setClipsToBounds(true);
    table->setRowHeight(ChatGroupUserCheckCell::kRowHeight);
    table->setSeparatorColor(style.tableViewSeparatorColor());
    table->setDataSource(selfAs<ChatGroupConfigMemberController>());
    table->setDelegate(selfAs<ChatGroupConfigMemberController>());
    pane->addSubview(table);
    pane->addSubview(button);
    return pane;
}

void ChatGroupConfigMemberController::loadView() {
    auto view = ZelvanWidget::newContentViewForViewController();
    setView(view);
    if (!tabBar_) {
        tabBar_ = ZelvanTabBarView::initWithFrame(gfx::Rect(0, 0, kPaneWidth, kTabBarHeight),
                                                  {ZLS("groupManageInviteFriends"), ZLS("groupManageDeleteMembers")});
        tabBar_->setDelegate(selfAs<ChatGroupConfigMemberController>());
    }
    view->addSubview(tabBar_);
    if (contentViews_.empty()) {
        const double top = tabBar_->frame().maxY();
        const gfx::Rect frame(0, top, kPaneWidth, view->bounds().height() - top);
        inviteBtn_ = ZelvanWidget::newInputBarLightBlueButton();
        contentViews_.push_back(
            makePane(frame, inviteBtn_, ZLS("Invite"), &ChatGroupConfigMemberController::btnInvite, inviteTableView_));
        deleteBtn_ = ZelvanWidget::newInputBarRedButton();
        contentViews_.push_back(
            makePane(frame, deleteBtn_, ZLS("Delete"), &ChatGroupConfigMemberController::btnDelete, deleteTableView_));
        contentViews_.back()->setHidden(true);
    }
    for (const auto& pane : contentViews_) {
        view->addSubview(pane);
    }
    if (!loadingView_) {
        loadingView_ = ZSimpleLoadingView::create();
    }
    setTitle(group_ ? group_->name() : std::string());
}

void ChatGroupConfigMemberController::tabSelected(ZelvanTabBarView& tabBar, int oldIndex) {
    const int count = static_cast<int>(contentViews_.size());
    if (oldIndex >= 0 && oldIndex < count) {
        contentViews_[static_cast<size_t>(oldIndex)]->setHidden(true);
    }
    if (const int active = tabBar.activeIndex(); active >= 0 && active < count) {
        contentViews_[static_cast<size_t>(active)]->setHidden(false);
    }
}

void ChatGroupConfigMemberController::showLoading() {
    if (!loadingView_) {
        loadingView_ = ZSimpleLoadingView::create();
    }
    if (!loadingView_->superview()) {
        loadingView_->showInView(view());
    }
}

void ChatGroupConfigMemberController::hideLoading() {
    if (loadingView_) {
        loadingView_->hide();
    }
}

void ChatGroupConfigMemberController::reloadTables() {
    if (inviteTableView_) {
        inviteTableView_->reloadData();
    }
    if (deleteTableView_) {
        deleteTableView_->reloadData();
    }
}

void ChatGroupConfigMemberController::avatarUpdated(int32_t, int32_t type, int32_t) {
    if (type == kAvatarHeadType) {
        reloadTables();
    }
}

// --- Tables ---

int ChatGroupConfigMemberController::numberOfSectionsInTableView(ui::TableView& tableView) {
    return &tableView == inviteTableView_.get() ? 2 : 1;
}

int ChatGroupConfigMemberController::tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) {
    if (&tableView == inviteTableView_.get()) {
        return static_cast<int>(section == 0 ? friends_.size() : section == 1 ? contacts_.size() : 0);
    }
    if (&tableView == deleteTableView_.get()) {
        return static_cast<int>(users_.size());
    }
    return 0;
}

std::shared_ptr<ui::TableViewCell>
ChatGroupConfigMemberController::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                const ui::IndexPath& indexPath) {
    const auto row = static_cast<size_t>(indexPath.row);
    auto reused = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (&tableView == inviteTableView_.get()) {
        auto cell = std::dynamic_pointer_cast<ChatGroupUserInviteCell>(reused);
        if (!cell) {
            cell = ui::TableViewCell::initWithStyle<ChatGroupUserInviteCell>(ui::TableViewCellStyle::Default,
                                                                             kCellIdentifier);
            cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Gray);
            cell->setHost(selfAs<ChatGroupConfigMemberController>());
        }
        const bool isFriend = indexPath.section == 0;
        const auto& list = isFriend ? friends_ : contacts_;
        if (row < list.size()) {
            cell->reloadWithUser(list[row], isFriend);
        }
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<ChatGroupUserDeleteCell>(reused);
    if (!cell) {
        cell =
            ui::TableViewCell::initWithStyle<ChatGroupUserDeleteCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Gray);
    }
    if (row < users_.size()) {
        cell->reloadWithUser(users_[row]);
    }
    return cell;
}

void ChatGroupConfigMemberController::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView,
                                                                       const ui::IndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
    auto cell = std::dynamic_pointer_cast<ChatGroupUserCheckCell>(tableView.cellForRowAtIndexPath(indexPath));
    if (cell && cell->checkBox() && !cell->checkBox()->isHidden()) {
        cell->checkBox()->setSelected(!cell->checkBox()->isSelected());
    }
    if (&tableView == deleteTableView_.get()) {
        tableView.reloadData();
    }
}

void ChatGroupConfigMemberController::contactCheckChanged(const ChatGroupUser& entry) {
    if (smsTipShown_) {
        return;
    }
    smsTipShown_ = true;
    showInfo(fnd::format(ZLS("SMSInviteTip"), entry.name()));
}

// --- Requests and replies ---

void ChatGroupConfigMemberController::send(const fnd::Value& packet) {
    if (auto delegate = delegate_.lock()) {
        delegate->send(packet);
    }
}

void ChatGroupConfigMemberController::showInfo(const std::string& message) {
    if (auto delegate = delegate_.lock()) {
        delegate->showInfo(std::string(), message);
    }
}

void ChatGroupConfigMemberController::showFailure(const std::string& message) {
    if (auto delegate = delegate_.lock()) {
        delegate->showAlert(std::string(), message);
    }
}

void ChatGroupConfigMemberController::request(int cmd, const fnd::Value& packet) {
    // Subscribed before the packet leaves, so an instant reply finds this screen waiting.
    if (router_) {
        router_->subscribe(cmd, std::static_pointer_cast<ChatGroupConfigMemberController>(shared_from_this()));
    } else {
        ZLOG(Warn, "chat group members: no reply router; the answer to %d will not be seen", cmd);
    }
    send(packet);
    showLoading();
}

void ChatGroupConfigMemberController::finishRequest(int cmd) {
    if (router_) {
        router_->unsubscribe(cmd, this);
    }
    hideLoading();
}

void ChatGroupConfigMemberController::refresh() {
    if (!group_) {
        return;
    }
    request(kMembersCommand, fnd::Value::array({kMembersCommand, group_->groupId(), 0}));
}

void ChatGroupConfigMemberController::groupReplyReceived(int cmd, const fnd::Value& packet) {
    auto items = packet.asArray();
    if (!group_ || !items || items->count() < 2) {
        return;
    }
    const fnd::Value& groupId = items->objectAtIndex(1);
    if (!groupId.isInt() || groupId.intValue() != group_->groupId()) {
        return;
    }
    if (cmd == kMembersCommand) {
        handleMembers(*items);
        return;
    }
    const bool hasStatus = items->count() > 2 && items->objectAtIndex(2).isInt();
    if (!hasStatus) {
        ZLOG(Warn, "chat group members: reply %d without a status counts as a failure: %s", cmd,
             fnd::logPreviewValue(packet, fnd::kLogPreviewBytes));
    }
    const int32_t status = hasStatus ? static_cast<int32_t>(items->objectAtIndex(2).intValue()) : -1;
    std::string message;
    if (items->count() > 3 && items->objectAtIndex(3).isString()) {
        message = items->objectAtIndex(3).stringValue();
    }
    switch (cmd) {
    case kDisbandCommand:
        handleDisband(status, message);
        break;
    case kInviteCommand:
        handleInvite(status, message);
        break;
    case kRemoveCommand:
        handleRemove(status, message);
        break;
    default:
        break;
    }
}

void ChatGroupConfigMemberController::handleMembers(const fnd::Array& items) {
    users_.clear();
    for (size_t i = 2; i < items.count(); ++i) {
        const fnd::Value& record = items.objectAtIndex(i);
        // The element after the group id may be a plain value rather than a record.
        if (i == 2 && !record.isArray()) {
            continue;
        }
        if (auto member = memberFromRecord(record)) {
            users_.push_back(std::move(*member));
        } else {
            PacketReader::warn("chat group members: a member record without an id was skipped:",
                               PacketReader::reasonOf(member.error()), record);
        }
    }
    refreshFriendMembership();
    finishRequest(kMembersCommand);
    reloadTables();
}

void ChatGroupConfigMemberController::refreshFriendMembership() {
    for (const auto& entry : friends_) {
        entry->setAttr(kGroupUserMember, false);
        for (const auto& member : users_) {
            if (member->userId() == entry->userId()) {
                entry->setAttr(kGroupUserMember, true);
                break;
            }
        }
    }
}

void ChatGroupConfigMemberController::handleDisband(int32_t status, const std::string& message) {
    finishRequest(kDisbandCommand);
    if (status != 0) {
        showFailure(message.empty() ? ZLS("disbandGroupFailed") : message);
        return;
    }
    if (auto messenger = messenger_.lock()) {
        messenger->deleteChatGroup(group_->groupId());
    }
    if (auto nav = navigationController()) {
        nav->popToRootViewControllerAnimated(ui::Animated::Yes);
    }
}

void ChatGroupConfigMemberController::handleInvite(int32_t status, const std::string& message) {
    finishRequest(kInviteCommand);
    if (status != 0) {
        showFailure(message.empty() ? ZLS("groupInviteFailed") : message);
        return;
    }
    showInfo(message.empty() ? ZLS("sendGroupInviteLetter") : message);
    for (const auto& entry : friends_) {
        if (entry->checkAttr(kGroupUserChecked)) {
            entry->setAttr(kGroupUserInvited, true);
            entry->setAttr(kGroupUserChecked, false);
        }
    }
    if (inviteTableView_) {
        inviteTableView_->reloadData();
    }
}

void ChatGroupConfigMemberController::handleRemove(int32_t status, const std::string& message) {
    finishRequest(kRemoveCommand);
    if (status != 0) {
        showFailure(message.empty() ? ZLS("groupDeleteMemberFailed") : message);
        return;
    }
    if (!message.empty()) {
        showInfo(message);
    }
    std::erase_if(users_, [](const auto& member) { return member->checkAttr(kGroupUserChecked); });
    refreshFriendMembership();
    reloadTables();
}

} // namespace zelvan
