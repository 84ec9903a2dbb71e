// The ordinary member's list of a chat room: its view and its rows.
#include "messaging/rooms/chat_room_user_controller.h"

#include "messaging/model/chat_room_user.h"
#include "messaging/rooms/chat_room_user_cells.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::shared_ptr<ChatRoomUserController> ChatRoomUserController::create(std::weak_ptr<zelvanAppDelegate> app,
                                                                       std::weak_ptr<ContactManage> messenger) {
    auto screen = std::make_shared<ChatRoomUserController>(std::move(app), std::move(messenger));
    screen->listenForAvatars();
    return screen;
}

void ChatRoomUserController::loadView() {
    auto view = ZelvanWidget::newContentViewForViewController();
    setView(view);
    addTable(view->bounds());
    finishLoadView();
}

std::shared_ptr<ui::TableViewCell>
ChatRoomUserController::tableViewCellForRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<ChatRoomUserCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle<ChatRoomUserCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    }
    cell->reloadWithUser(userAt(indexPath.row), indexPath.row, mode_, selfAs<ChatRoomMembersScreen>());
    return cell;
}

} // namespace zelvan
