// The member screens' shared part: the copied member list, the table, the overlay, the back button,
// picture updates and the chat a member's chat button opens.
#include "messaging/rooms/chat_room_members_screen.h"

#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/model/contact_manage.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/rooms/chat_room_admin_controller.h"
#include "messaging/rooms/chat_room_user_controller.h"
#include "platform/foundation/log.h"
#include "platform/graphics/font.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

ChatRoomMembersScreen::ChatRoomMembersScreen(std::weak_ptr<zelvanAppDelegate> app,
                                             std::weak_ptr<ContactManage> messenger)
    : app_(std::move(app)), messenger_(std::move(messenger)) {}

std::shared_ptr<ChatRoomMembersScreen> ChatRoomMembersScreen::forRoom(std::weak_ptr<zelvanAppDelegate> app,
                                                                      std::weak_ptr<ContactManage> messenger,
                                                                      const std::shared_ptr<ChatRoomCard>& room) {
    if (!room) {
        return nullptr;
    }
    std::shared_ptr<ChatRoomMembersScreen> screen;
    if (room->admin()) {
        screen = ChatRoomAdminController::create(std::move(app), std::move(messenger));
    } else {
        screen = ChatRoomUserController::create(std::move(app), std::move(messenger));
    }
    screen->setRoom(room);
    return screen;
}

void ChatRoomMembersScreen::listenForAvatars() {
    auto app = app_.lock();
    if (auto avatars = app ? std::dynamic_pointer_cast<AvatarFinder>(app->avatarManager()) : nullptr) {
        avatars->addDelegate(selfAs<ChatRoomMembersScreen>());
    }
}

void ChatRoomMembersScreen::refresh() {
    if (!room_) {
        return;
    }
    users_ = std::make_shared<fnd::Array>(room_->users()->items());
    if (tableView_) {
        tableView_->reloadData();
    }
    setTitle(room_->name());
}

void ChatRoomMembersScreen::addTable(gfx::Rect frame) {
    const auto& style = *ZelvanStyle::shared();
    tableView_ = ui::View::create<ui::TableView>(frame, ui::TableViewStyle::Plain);
    tableView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    tableView_->setRowHeight(kRowHeight);
    tableView_->setSeparatorColor(style.tableViewSeparatorColor());
    tableView_->setBackgroundColor(style.tableViewBackgroundColor());
    tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::SingleLine);
    tableView_->setDataSource(selfAs<ChatRoomMembersScreen>());
    tableView_->setDelegate(selfAs<ChatRoomMembersScreen>());
    view()->addSubview(tableView_);
}

void ChatRoomMembersScreen::finishLoadView() {
    if (waiting_) {
        showLoading();
    }
    reloadLeftBarButton();
}

void ChatRoomMembersScreen::viewWillAppear(ui::Animated /*animated*/) {
    // A screen whose view loaded before it was pushed gets its back button now.
    reloadLeftBarButton();
}

void ChatRoomMembersScreen::reloadLeftBarButton() {
    auto nav = navigationController();
    if (!nav || nav->viewControllers().size() <= 1) {
        return;
    }
    const auto& stack = nav->viewControllers();
    auto below = stack[stack.size() - 2];
    auto back = ZelvanWidget::newBarBackButton();
    back->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
    back->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", kBackButtonFontSize));
    back->setTitle(below->title(), ui::ControlState::Normal);
    back->addTarget(selfAs<ChatRoomMembersScreen>(), &ChatRoomMembersScreen::backAction,
                    ui::ControlEvents::TouchUpInside);
    const gfx::Size natural = widgetGetButtonSize(*back, 2147483647.0);
    back->setFrame(gfx::Rect(0, 0, natural.width, kBackButtonHeight));
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::initWithCustomView(back), ui::Animated::Yes);
}

void ChatRoomMembersScreen::backAction() {
    auto nav = navigationController();
    if (!nav) {
        return;
    }
    const auto& stack = nav->viewControllers();
    for (size_t i = 1; i < stack.size(); ++i) {
        if (stack[i].get() == this) {
            nav->popToViewController(stack[i - 1], ui::Animated::Yes);
            return;
        }
    }
}

void ChatRoomMembersScreen::showLoading() {
    if (!loadingView_) {
        loadingView_ = ZSimpleLoadingView::create();
    }
    if (!loadingView_->superview()) {
        loadingView_->showInView(view());
    }
}

void ChatRoomMembersScreen::hideLoading() {
    if (loadingView_) {
        loadingView_->hide();
    }
}

void ChatRoomMembersScreen::avatarUpdated(int32_t /*userId*/, int32_t type, int32_t /*version*/) {
    if (type == kHeadPictureType && tableView_) {
        tableView_->reloadData();
    }
}

int32_t ChatRoomMembersScreen::signedInUserId() const {
    auto app = app_.lock();
    return app ? app->userId() : 0;
}

std::shared_ptr<ChatRoomUser> ChatRoomMembersScreen::userAt(int row) const {
    auto user = row >= 0 && static_cast<size_t>(row) < users_->count()
                    ? users_->objectAtIndex(static_cast<size_t>(row)).asObject<ChatRoomUser>()
                    : nullptr;
    if (!user) {
        ZLOG(Warn, "room members: row %d of %d holds no member", row, static_cast<int>(users_->count()));
    }
    return user;
}

int ChatRoomMembersScreen::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(users_->count());
}

void ChatRoomMembersScreen::showChat(int row) {
    auto member = userAt(row);
    auto messenger = messenger_.lock();
    auto window = messenger ? messenger->chat() : nullptr;
    if (!member || !window) {
        return;
    }
    if (auto contact = messenger->getuserid(member->userId())) {
        window->activateChatWithCard(contact);
    } else {
        auto partner = messenger->findPrivateChatCard(member->sid());
        if (!partner) {
            partner = PrivateChatCard::create();
            partner->setUserId(member->userId());
            partner->setSid(member->sid());
            partner->setName(member->name());
            messenger->privateChatUsers().push_back(partner);
        }
        // The member may write back to the user in this private chat.
        messenger->privateChatWhitelist().addValue(member->userId());
        window->activateChatWithCard(partner);
    }
    if (auto nav = navigationController()) {
        nav->popViewControllerAnimated(ui::Animated::Yes);
    }
}

} // namespace zelvan
