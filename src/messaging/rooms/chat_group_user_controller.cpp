// The member list of a chat group: the member request and its reply through the reply router, the
// loading view while waiting, the rows and head picture updates.
#include "messaging/rooms/chat_group_user_controller.h"

#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_group_user.h"
#include "messaging/rooms/chat_group_user_cell.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "protocol/packet_reader.h"
#include "toolkit/widget_layout.h"
#include "toolkit/z_simple_loading_view.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// Element 2 of a member reply is not a member (the request's 0 comes back there); records follow.
constexpr size_t kFirstRecord = 2;

} // namespace

std::shared_ptr<ChatGroupUserController> ChatGroupUserController::create(std::weak_ptr<zelvanAppDelegate> app,
                                                                         std::shared_ptr<ChatGroupReplyRouter> router,
                                                                         std::shared_ptr<ChatGroupCard> group) {
    auto controller = std::make_shared<ChatGroupUserController>(app, std::move(router));
    controller->setGroup(std::move(group));
    if (auto delegate = app.lock()) {
        if (auto avatars = std::dynamic_pointer_cast<AvatarFinder>(delegate->avatarManager())) {
            avatars->addDelegate(controller);
        }
    }
    return controller;
}

ChatGroupUserController::ChatGroupUserController(std::weak_ptr<zelvanAppDelegate> app,
                                                 std::shared_ptr<ChatGroupReplyRouter> router)
    : app_(std::move(app)), router_(std::move(router)) {}

ChatGroupUserController::~ChatGroupUserController() {
    // The avatar manager holds this screen weakly and drops it by itself.
    if (router_) {
        router_->unsubscribeAll(this);
    }
}

void ChatGroupUserController::refresh() {
    if (!group_) {
        return;
    }
    auto app = app_.lock();
    if (!router_ || !app) {
        ZLOG(Warn, "chat groups: no connection to ask for the members of group %d", group_->groupId());
        return;
    }
    // Subscribed before sending, so that even an instant reply finds this screen waiting.
    router_->subscribe(kMembersCommand, std::static_pointer_cast<ChatGroupUserController>(shared_from_this()));
    app->send(fnd::Value::array({kMembersCommand, group_->groupId(), 0}));
    waiting_ = true;
    showLoading();
}

fnd::Result<std::shared_ptr<ChatGroupUser>> ChatGroupUserController::memberFromRecord(const fnd::Value& record) {
    const PacketReader fields(record);
    TRY(fields.wholeNumber(0));
    std::string name = TRY(fields.text(1));
    const int64_t online = TRY(fields.wholeNumber(2));
    const int64_t admin = TRY(fields.wholeNumber(3));
    auto user = ChatGroupUser::create();
    user->setUserId(fields.intValue(0));
    user->setName(std::move(name));
    user->setOnline(online > 0);
    user->setAdmin(admin == 1);
    return user;
}

void ChatGroupUserController::groupReplyReceived(int cmd, const fnd::Value& packet) {
    auto items = packet.asArray();
    if (cmd != kMembersCommand || !group_ || !items || items->count() < 2 || !items->objectAtIndex(1).isInt() ||
        items->objectAtIndex(1).longLongValue() != group_->groupId()) {
        return;
    }
    users_.clear();
    for (size_t i = kFirstRecord; i < items->count(); ++i) {
        const fnd::Value& element = items->objectAtIndex(i);
        if (i == kFirstRecord && !element.isArray()) {
            continue;
        }
        if (auto user = memberFromRecord(element)) {
            users_.push_back(*user);
        } else {
            PacketReader::warn(
                "chat groups: a malformed member record was skipped:", PacketReader::reasonOf(user.error()), element);
        }
    }
    if (router_) {
        router_->unsubscribe(kMembersCommand, this);
    }
    waiting_ = false;
    hideLoading();
    if (tableView_) {
        tableView_->reloadData();
    }
}

void ChatGroupUserController::avatarUpdated(int32_t /*userId*/, int32_t type, int32_t /*version*/) {
    if (type == kHeadAvatarType && tableView_) {
        tableView_->reloadData();
    }
}

void ChatGroupUserController::loadView() {
    setView(ZelvanWidget::newContentViewForViewController());
    if (!tableView_) {
        const auto& style = *ZelvanStyle::shared();
        tableView_ = ui::View::create<ui::TableView>(widgetGetMainFrame(), ui::TableViewStyle::Plain);
        tableView_->setRowHeight(kRowHeight);
        tableView_->setSeparatorColor(style.tableViewSeparatorColor());
        tableView_->setBackgroundColor(style.tableViewBackgroundColor());
        tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::SingleLine);
        auto self = std::static_pointer_cast<ChatGroupUserController>(shared_from_this());
        tableView_->setDelegate(self);
        tableView_->setDataSource(self);
    }
    view()->addSubview(tableView_);
    if (!loadingView_) {
        loadingView_ = ZSimpleLoadingView::create();
    }
    if (waiting_) {
        showLoading();
    }
}

void ChatGroupUserController::showLoading() {
    auto host = viewIfLoaded();
    if (loadingView_ && host && !loadingView_->superview()) {
        loadingView_->showInView(host);
    }
}

void ChatGroupUserController::hideLoading() {
    if (loadingView_) {
        loadingView_->hide();
    }
}

int ChatGroupUserController::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(users_.size());
}

std::shared_ptr<ui::TableViewCell>
ChatGroupUserController::tableViewCellForRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<ChatGroupUserCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell = ChatGroupUserCell::create(kCellIdentifier);
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    }
    if (indexPath.row >= 0 && static_cast<size_t>(indexPath.row) < users_.size()) {
        cell->reloadWithUser(*users_[static_cast<size_t>(indexPath.row)]);
    }
    return cell;
}

} // namespace zelvan
