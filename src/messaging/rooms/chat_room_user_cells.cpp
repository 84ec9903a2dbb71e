// The member rows of the chat room screens: views built on the first fill and updated in place, the
// chat and home buttons, and the removal check box that writes the member's mark.
#include "messaging/rooms/chat_room_user_cells.h"

#include <optional>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/model/chat_room_user.h"
#include "messaging/rooms/chat_room_members_screen.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/font.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

// The kit's white button with a picture and a localised title, highlighted while touched.
std::shared_ptr<ui::Button> rowButton(const char* picture, const char* titleKey, double x) {
    auto button = ZelvanWidget::newWhiteButton();
    button->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", ChatRoomMemberRow::kButtonFontSize));
    button->setImage(ZelvanWidget::imageFromResource(picture, true), ui::ControlState::Normal);
    button->setTitle(ZLS(titleKey), ui::ControlState::Normal);
    button->setFrame(gfx::Rect(x, 0, ChatRoomMemberRow::kButtonWidth, ChatRoomMemberRow::kButtonHeight));
    button->setCenter(gfx::Point(button->center().x, ChatRoomMemberRow::kButtonCenterY));
    button->setShowsTouchWhenHighlighted(true);
    return button;
}

std::shared_ptr<ui::Label> rowLabel(gfx::Rect frame, int font) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setFont(ZelvanStyle::shared()->font(font));
    label->setBackgroundColor(gfx::Color::clear());
    return label;
}

} // namespace

// --- Shared ---

void ChatRoomMemberRow::showHome(const std::shared_ptr<zelvanAppDelegate>& app, int32_t userId) {
    if (!app) {
        return;
    }
    app->switchTab(zelvanAppDelegate::TabHome, ui::Animated::Yes);
    std::weak_ptr<zelvanAppDelegate> weak = app;
    fnd::RunLoop::main().performAfter(kShowHomeDelay, [weak, userId] {
        auto strong = weak.lock();
        if (auto homes = strong ? strong->homes() : nullptr) {
            homes->openUrl(fnd::format("zelvan://slidenewpage?%@?uid=%d", ZLS("static_home"), userId));
        }
    });
}

void ChatRoomMemberRow::buildButtons(ui::View& content, const std::weak_ptr<const void>& owner) {
    btnChat_ = rowButton("btn_chat", "chat", kButtonX);
    btnChat_->addTarget(
        owner,
        [this](ui::Control& button, const ui::Event*) {
            if (auto screen = screen_.lock()) {
                screen->showChat(button.tag());
            }
        },
        ui::ControlEvents::TouchUpInside);
    content.addSubview(btnChat_);

    btnHome_ = rowButton("btn_home", "home", btnChat_->frame().maxX());
    btnHome_->addTarget(
        owner,
        [this](ui::Control& button, const ui::Event*) {
            auto screen = screen_.lock();
            showHome(screen ? screen->app() : nullptr, button.tag());
        },
        ui::ControlEvents::TouchUpInside);
    content.addSubview(btnHome_);
}

void ChatRoomMemberRow::fillShared(const std::shared_ptr<ChatRoomUser>& user, int row,
                                   const ChatRoomMembersScreen& screen) {
    // The card picture rule gives a room member its head picture in colour.
    headView_->setImage(ZelvanWidget::newStatusImageForCard(fnd::Value(user)));
    btnHome_->setTag(user->userId());
    btnChat_->setTag(row);
    btnChat_->setHidden(user->userId() == screen.signedInUserId());
    btnHome_->setHidden(false);
}

void ChatRoomMemberRow::clearRow() {
    headView_->setImage(nullptr);
    nameLabel_->setText("");
    btnChat_->setHidden(true);
    btnHome_->setHidden(true);
}

// --- ChatRoomUserCell ---

void ChatRoomUserCell::buildViews() {
    if (headView_) {
        return;
    }
    const auto& content = contentView();
    content->setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());
    headView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, kHeadSide, kHeadSide));
    content->addSubview(headView_);
    nameLabel_ = rowLabel(gfx::Rect(kHeadSide, 0, kLabelWidth, kLabelHeight), 1);
    content->addSubview(nameLabel_);
    friendLabel_ = rowLabel(gfx::Rect(kHeadSide, nameLabel_->frame().maxY(), kLabelWidth, kLabelHeight), 2);
    friendLabel_->setTextColor(gfx::Color::gray());
    content->addSubview(friendLabel_);
    buildButtons(*content, self<ChatRoomUserCell>());
}

void ChatRoomUserCell::reloadWithUser(const std::shared_ptr<ChatRoomUser>& user, int row, int32_t mode,
                                      const std::shared_ptr<ChatRoomMembersScreen>& controller) {
    buildViews();
    screen_ = controller;
    mode_ = mode;
    if (!user || !controller) {
        clearRow();
        friendLabel_->setText("");
        return;
    }
    fillShared(user, row, *controller);
    if (user->userId() == controller->signedInUserId()) {
        friendLabel_->setText(ZLS("You"));
    } else if (user->myfriend()) {
        friendLabel_->setText(ZLS("Friend"));
    } else {
        friendLabel_->setText("");
    }
    nameLabel_->setText(user->name());
    nameLabel_->setTextColor(user->admin() ? gfx::Color::red() : gfx::Color::black());
}

// --- ChatRoomUserCheckCell ---

void ChatRoomUserCheckCell::buildViews() {
    if (headView_) {
        return;
    }
    const auto& content = contentView();
    // The box is tinted in the cell's background colour. The plain cell is white (or clear), and a box
    // tinted so would not show at all on it: then the box keeps its default tint.
    const gfx::Color background = backgroundColor();
    const bool plain = background.a == 0 || background == gfx::Color::white();
    const auto tint = plain ? std::nullopt : std::optional<gfx::Color>(background);
    checkBox_ = ZelvanCheckBox::initWithFrame(gfx::Rect(kCheckBoxX, 0, kCheckBoxSide, kCheckBoxSide), tint,
                                              ZelvanCheckBox::kStyleRound);
    checkBox_->setCenter(gfx::Point(checkBox_->center().x, kCheckBoxCenterY));
    checkBox_->addTarget(
        self<ChatRoomUserCheckCell>(),
        [this](ui::Control& box, const ui::Event*) { checkBoxChanged(static_cast<ZelvanCheckBox&>(box)); },
        ui::ControlEvents::ValueChanged);
    content->addSubview(checkBox_);
    headView_ =
        ui::View::create<ui::ImageView>(gfx::Rect(checkBox_->frame().maxX() + kHeadGap, 0, kHeadSide, kHeadSide));
    content->addSubview(headView_);
    nameLabel_ = rowLabel(gfx::Rect(headView_->frame().maxX(), 0, kLabelWidth, kLabelHeight), 1);
    content->addSubview(nameLabel_);
    adminView_ =
        rowLabel(gfx::Rect(nameLabel_->frame().minX(), nameLabel_->frame().maxY(), kLabelWidth, kLabelHeight), 2);
    adminView_->setTextColor(gfx::Color::gray());
    adminView_->setText(ZLS("Administrator"));
    content->addSubview(adminView_);
    buildButtons(*content, self<ChatRoomUserCheckCell>());
}

void ChatRoomUserCheckCell::reloadWithUser(const std::shared_ptr<ChatRoomUser>& user, int row,
                                           const std::shared_ptr<ChatRoomMembersScreen>& controller) {
    buildViews();
    screen_ = controller;
    // The box lets go of its previous member first, so setting its state below marks nobody.
    checkBox_->setData(fnd::Value());
    if (!user || !controller) {
        clearRow();
        checkBox_->setHidden(true);
        adminView_->setHidden(true);
        return;
    }
    checkBox_->setTag(user->userId());
    const bool marked = user->checkAttr(ChatRoomUser::kAttrMarkedForRemoval);
    if (checkBox_->isSelected() != marked) {
        checkBox_->setSelected(marked);
    }
    checkBox_->setData(fnd::Value(user));
    checkBox_->setHidden(user->admin());
    fillShared(user, row, *controller);
    adminView_->setHidden(!user->admin());
    nameLabel_->setText(user->name());
}

void ChatRoomUserCheckCell::checkBoxChanged(ZelvanCheckBox& checkBox) {
    if (auto user = checkBox.data().asObject<ChatRoomUser>()) {
        user->setAttr(ChatRoomUser::kAttrMarkedForRemoval, checkBox.isSelected());
    }
}

} // namespace zelvan
