// The administrator's list of a chat room: its view with the removal button, its check box rows, the
// confirmation text naming the marked members, and the removals sent on "Yes".
#include "messaging/rooms/chat_room_admin_controller.h"

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/model/chat_room_user.h"
#include "messaging/rooms/chat_room_user_cells.h"
#include "platform/foundation/format.h"
#include "platform/foundation/utf16.h"
#include "platform/ui/label.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

// The marked members as the confirmation names them: quoted names joined by ", ", with no further
// names once the list has grown past the limit.
struct MarkedNames {
    std::string list;
    int count = 0;
    bool cut = false;
};

MarkedNames markedNames(const fnd::Array& users, size_t limit) {
    MarkedNames marked;
    for (const auto& entry : users) {
        auto user = entry.asObject<ChatRoomUser>();
        if (!user || !user->checkAttr(ChatRoomUser::kAttrMarkedForRemoval)) {
            continue;
        }
        ++marked.count;
        if (fnd::utf16Length(marked.list) <= limit) {
            if (marked.count > 1) {
                marked.list += ", ";
            }
            marked.list += "\"" + user->name() + "\"";
        } else {
            marked.cut = true;
        }
    }
    return marked;
}

} // namespace

std::shared_ptr<ChatRoomAdminController> ChatRoomAdminController::create(std::weak_ptr<zelvanAppDelegate> app,
                                                                         std::weak_ptr<ContactManage> messenger) {
    auto screen = std::make_shared<ChatRoomAdminController>(std::move(app), std::move(messenger));
    screen->listenForAvatars();
    return screen;
}

ChatRoomAdminController::~ChatRoomAdminController() {
    if (auto confirm = confirm_.lock()) {
        confirm->hide();
    }
}

void ChatRoomAdminController::loadView() {
    auto view = ZelvanWidget::newContentViewForViewController();
    setView(view);
    const double height = view->bounds().height();
    kickBtn_ = ZelvanWidget::newInputBarRedButton();
    kickBtn_->setTitle(ZLS("chatroom.kick"), ui::ControlState::Normal);
    kickBtn_->titleLabel()->setFont(ZelvanStyle::shared()->font(kKickButtonFont));
    kickBtn_->setFrame(gfx::Rect(kKickButtonMargin, height - kKickButtonRise, kKickButtonWidth, kKickButtonHeight));
    // The button keeps to the bottom when the navigation gives the view another height.
    kickBtn_->setAutoresizingMask(ui::AutoresizingMask::FlexibleTopMargin);
    kickBtn_->addTarget(selfAs<ChatRoomAdminController>(), &ChatRoomAdminController::btnKick,
                        ui::ControlEvents::TouchUpInside);
    view->addSubview(kickBtn_);
    addTable(gfx::Rect(0, 0, view->bounds().width(), kickBtn_->frame().minY()));
    finishLoadView();
}

std::shared_ptr<ui::TableViewCell>
ChatRoomAdminController::tableViewCellForRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<ChatRoomUserCheckCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell =
            ui::TableViewCell::initWithStyle<ChatRoomUserCheckCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    }
    cell->reloadWithUser(userAt(indexPath.row), indexPath.row, selfAs<ChatRoomMembersScreen>());
    return cell;
}

void ChatRoomAdminController::btnKick() {
    const MarkedNames marked = markedNames(*users(), kMaxNamesLength);
    const std::string roomName = room() ? room()->name() : std::string();
    if (marked.count == 0) {
        if (auto application = app()) {
            application->showInfo("", ZLS("chatroom.kickTip4"));
        }
        return;
    }
    if (marked.count == 1) {
        showConfirm(fnd::format(ZLS("chatroom.kickTip1%@%@"), marked.list, roomName));
        return;
    }
    const std::string key = marked.cut ? "chatroom.kickTip2%@%@" : "chatroom.kickTip3%@%@";
    showConfirm(fnd::format(ZLS(key), marked.list, marked.count, roomName));
}

void ChatRoomAdminController::showConfirm(const std::string& text) {
    auto alert = ZSimpleAlertView::create();
    alert->label()->setText(text);
    alert->setIcon(ZSimpleAlertView::kIconWarning);
    alert->addButtonWithTitle(ZLS("No"));
    alert->addButtonWithTitle(ZLS("Yes"));
    alert->setDelegate(selfAs<ChatRoomAdminController>());
    alert->showInView(view());
    confirm_ = alert;
}

void ChatRoomAdminController::buttonClickedFromAlert(ZSimpleAlertView& /*alert*/, const std::string& /*buttonTitle*/,
                                                     int buttonIndex) {
    if (buttonIndex != 1 || !room()) {
        return;
    }
    auto application = app();
    const auto& rows = *users();
    for (const auto& entry : rows) {
        auto user = entry.asObject<ChatRoomUser>();
        if (user && user->checkAttr(ChatRoomUser::kAttrMarkedForRemoval) && application) {
            application->send(fnd::Value::array({kCmdKick, room()->roomId(), user->userId()}));
        }
    }
    for (size_t i = rows.count(); i-- > 0;) {
        auto user = rows.objectAtIndex(i).asObject<ChatRoomUser>();
        if (user && user->checkAttr(ChatRoomUser::kAttrMarkedForRemoval)) {
            users()->removeObjectAtIndex(i);
        }
    }
    if (tableView()) {
        tableView()->reloadData();
    }
}

} // namespace zelvan
