// The member management rows: their views, made once, and what each row shows for its entry - the
// label order "Administrator", "Member", "Invited", nothing (a friend), "inviteToJoin" (a ticked
// contact), else the contact's phone.
#include "messaging/rooms/chat_group_user_cells.h"

#include "core/localization.h"
#include "core/zelvan_style.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

void ChatGroupUserCheckCell::initViews(int style) {
    if (checkBox_) {
        return;
    }
    const auto& theme = *ZelvanStyle::shared();
    const auto& content = contentView();
    content->setBackgroundColor(theme.viewBackgroundColor());

    checkBox_ = ZelvanCheckBox::initWithFrame(gfx::Rect(10, 0, kCheckBoxSide, kCheckBoxSide), std::nullopt, style);
    checkBox_->setBackgroundColor(content->backgroundColor());
    checkBox_->setCenter({checkBox_->center().x, kRowHeight / 2});
    checkBox_->addTarget(self<ChatGroupUserCheckCell>(), &ChatGroupUserCheckCell::checkBoxChanged,
                         ui::ControlEvents::ValueChanged);
    content->addSubview(checkBox_);

    headView_ = ui::View::create<ui::ImageView>(gfx::Rect(checkBox_->frame().maxX() + 10, 0, kRowHeight, kRowHeight));
    content->addSubview(headView_);

    nameLabel_ = ui::View::create<ui::Label>(gfx::Rect(headView_->frame().maxX(), 0, kLabelWidth, kLineHeight));
    nameLabel_->setFont(theme.font(1));
    nameLabel_->setBackgroundColor(gfx::Color::clear());
    ZelvanWidget::enableFontAutoAdjust(*nameLabel_);
    content->addSubview(nameLabel_);

    adminView_ = ui::View::create<ui::Label>(
        gfx::Rect(nameLabel_->frame().minX(), nameLabel_->frame().maxY(), kLabelWidth, kLineHeight));
    adminView_->setTextColor(gfx::Color::gray());
    adminView_->setText(ZLS("Administrator"));
    adminView_->setFont(theme.font(2));
    adminView_->setBackgroundColor(gfx::Color::clear());
    content->addSubview(adminView_);
}

void ChatGroupUserCheckCell::checkBoxChanged() {
    if (auto entry = checkBox_->data().asObject<ChatGroupUser>()) {
        entry->setAttr(kGroupUserChecked, checkBox_->isSelected());
    }
}

void ChatGroupUserCheckCell::restoreSelection(const std::shared_ptr<ChatGroupUser>& entry) {
    checkBox_->setData(fnd::Value());
    const bool checked = entry->checkAttr(kGroupUserChecked);
    if (checkBox_->isSelected() != checked) {
        checkBox_->setSelected(checked);
    }
    checkBox_->setData(fnd::Value(std::static_pointer_cast<fnd::Object>(entry)));
}

void ChatGroupUserInviteCell::reloadWithUser(const std::shared_ptr<ChatGroupUser>& entry, bool isFriend) {
    if (!entry) {
        return;
    }
    initViews(ZelvanCheckBox::kStyleSquare);
    user_ = entry;
    friend_ = isFriend;
    checkBox()->setTag(entry->userId());
    checkBox()->setHidden(entry->checkAttr(kGroupUserMember | kGroupUserInvited));
    restoreSelection(entry);
    if (isFriend) {
        auto avatars = currentAvatarManager();
        headView()->setImage(avatars ? avatars->newImageAvatarHead(entry->userId(), false) : nullptr);
    } else {
        headView()->setImage(ZelvanWidget::imageFromResource("contacts", true));
    }
    std::string line;
    if (entry->admin()) {
        line = ZLS("Administrator");
    } else if (entry->checkAttr(kGroupUserMember)) {
        line = ZLS("Member");
    } else if (entry->checkAttr(kGroupUserInvited)) {
        line = ZLS("Invited");
    } else if (isFriend) {
        line.clear();
    } else if (checkBox()->isSelected()) {
        line = ZLS("inviteToJoin");
    } else {
        line = entry->phone();
    }
    adminView()->setText(line);
    nameLabel()->setText(entry->name());
}

void ChatGroupUserInviteCell::checkBoxChanged() {
    auto entry = checkBox()->data().asObject<ChatGroupUser>();
    ChatGroupUserCheckCell::checkBoxChanged();
    if (!entry) {
        return;
    }
    reloadWithUser(entry, friend_);
    if (!friend_) {
        if (auto host = host_.lock()) {
            host->contactCheckChanged(*entry);
        }
    }
}

void ChatGroupUserDeleteCell::reloadWithUser(const std::shared_ptr<ChatGroupUser>& entry) {
    if (!entry) {
        return;
    }
    initViews(ZelvanCheckBox::kStyleRound);
    checkBox()->setTag(entry->userId());
    restoreSelection(entry);
    checkBox()->setHidden(entry->admin());
    auto avatars = currentAvatarManager();
    headView()->setImage(avatars ? avatars->newImageAvatarHead(entry->userId(), false) : nullptr);
    adminView()->setText(ZLS(entry->admin() ? "Administrator" : "Member"));
    nameLabel()->setText(entry->name());
}

} // namespace zelvan
