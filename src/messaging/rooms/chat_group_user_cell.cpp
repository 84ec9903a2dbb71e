// The member row of a chat group's list: views made on the first reload and refilled per member, and
// the home button's trip to the member's page on the home tab.
#include "messaging/rooms/chat_group_user_cell.h"

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/messaging_context.h"
#include "messaging/model/chat_group_user.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::shared_ptr<ChatGroupUserCell> ChatGroupUserCell::create(const std::string& reuseIdentifier) {
    return ui::TableViewCell::initWithStyle<ChatGroupUserCell>(ui::TableViewCellStyle::Default, reuseIdentifier);
}

void ChatGroupUserCell::buildViews() {
    if (headView_) {
        return;
    }
    const auto& style = *ZelvanStyle::shared();
    const auto& content = contentView();
    // The accessory button sits outside the content view, on the cell's own background.
    setBackgroundColor(style.viewBackgroundColor());
    content->setBackgroundColor(style.viewBackgroundColor());

    headView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, kHeadSide, kHeadSide));
    content->addSubview(headView_);

    nameLabel_ = ui::View::create<ui::Label>(gfx::Rect(kHeadSide, 0, kTextWidth, kLineHeight));
    nameLabel_->setBackgroundColor(content->backgroundColor());
    nameLabel_->setFont(style.font(1));
    content->addSubview(nameLabel_);

    adminView_ = ui::View::create<ui::Label>(gfx::Rect(kHeadSide, nameLabel_->frame().maxY(), kTextWidth, kLineHeight));
    adminView_->setBackgroundColor(content->backgroundColor());
    adminView_->setTextColor(gfx::Color::gray());
    adminView_->setText(ZLS("Administrator"));
    adminView_->setFont(style.font(2));
    content->addSubview(adminView_);

    btn_ = ZelvanWidget::newWhiteButton();
    btn_->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", 12));
    btn_->setImage(ZelvanWidget::newImageFromResource("btn_home", true), ui::ControlState::Normal);
    btn_->setTitle(ZLS("home"), ui::ControlState::Normal);
    btn_->setFrame(gfx::Rect(0, 0, kButtonWidth, kButtonHeight));
    btn_->setShowsTouchWhenHighlighted(true);
    btn_->addTarget(std::static_pointer_cast<ChatGroupUserCell>(shared_from_this()), &ChatGroupUserCell::showHome,
                    ui::ControlEvents::TouchUpInside);
    setAccessoryView(btn_);
}

void ChatGroupUserCell::reloadWithUser(const ChatGroupUser& user) {
    buildViews();
    btn_->setTag(user.userId());
    auto avatars = currentAvatarManager();
    headView_->setImage(avatars ? avatars->newImageAvatarHead(user.userId(), !user.online()) : nullptr);
    adminView_->setHidden(!user.admin());
    nameLabel_->setText(user.name());
}

void ChatGroupUserCell::showHome() {
    auto app = messaging::context();
    if (!app || !btn_) {
        return;
    }
    const auto uid = static_cast<int32_t>(btn_->tag());
    app->switchTab(zelvanAppDelegate::TabHome, ui::Animated::Yes);
    std::weak_ptr<zelvanAppDelegate> weak = app;
    fnd::RunLoop::main().performAfter(kShowHomeDelay, [weak, uid] {
        auto delegate = weak.lock();
        if (auto homes = delegate ? delegate->homes() : nullptr) {
            homes->openUrl(fnd::format("zelvan://slidenewpage?%@?uid=%d", ZLS("static_home"), uid));
        }
    });
}

} // namespace zelvan
