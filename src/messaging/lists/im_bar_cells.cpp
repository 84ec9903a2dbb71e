// The bar base (background, fold indicator, icon, title, button helpers), the folded bar of every
// section and the unfolded bars without buttons: open chats, private chats and chat rooms.
#include "messaging/lists/im_bar_cells.h"

#include "core/localization.h"
#include "core/zelvan_style.h"
#include "messaging/model/bar_counts.h"
#include "messaging/model/im_group.h"
#include "platform/foundation/format.h"
#include "platform/ui/control.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

void IMBaseBarCell::refreshTitleBar(bool minimized, const gfx::ImagePtr& icon, const std::string& title,
                                    double /*height*/) {
    const double barHeight = minimized ? kMinimizedHeight : kExpandedHeight;
    const char* indicatorName = minimized ? "im_minimize" : "im_expand";
    if (!barBackgroundView_) {
        const auto& content = contentView();
        content->setOpaque(true);
        content->setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());

        barBackgroundView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, kWidth, barHeight));
        barBackgroundView_->setImage(ZelvanWidget::imageFromResource("im-bar-background", true));
        barBackgroundView_->setUserInteractionEnabled(true);
        content->addSubview(barBackgroundView_);

        foldIndicator_ = ui::ImageView::initWithImage(ZelvanWidget::imageFromResource(indicatorName, true));
        foldIndicator_->setFrame(gfx::Rect(gfx::Point(10, 5), foldIndicator_->frame().size));
        content->addSubview(foldIndicator_);

        const double iconX = foldIndicator_->frame().maxX();
        iconView_ = ui::View::create<ui::ImageView>(gfx::Rect(iconX, 5, kIconSide, kIconSide));
        content->addSubview(iconView_);

        const double titleX = iconView_->frame().maxX();
        titleLabel_ = ui::View::create<ui::Label>(gfx::Rect(titleX, 5, kWidth - titleX, kIconSide));
        titleLabel_->setFont(ZelvanStyle::shared()->font(4));
        titleLabel_->setTextColor(gfx::Color::white());
        titleLabel_->setBackgroundColor(gfx::Color::clear());
        content->addSubview(titleLabel_);
        minimized_ = minimized;
    } else if (minimized_ != minimized) {
        minimized_ = minimized;
        foldIndicator_->setImage(ZelvanWidget::imageFromResource(indicatorName, true));
        barBackgroundView_->setFrame(gfx::Rect(0, 0, kWidth, barHeight));
    }
    if (iconView_->image() != icon) {
        iconView_->setImage(icon);
    }
    if (titleLabel_->text() != title) {
        titleLabel_->setText(title);
    }
}

std::shared_ptr<ui::Button> IMBaseBarCell::addBarButton(double x, HostAction action) {
    auto button = ZelvanWidget::newIMBarButton();
    button->setFrame(gfx::Rect(x, kButtonY, kButtonWidth, kButtonHeight));
    contentView()->addSubview(button);
    retarget(*button, std::move(action));
    return button;
}

void IMBaseBarCell::retarget(ui::Button& button, HostAction action) {
    const auto owner = actionOwner();
    button.removeTarget(owner, ui::ControlEvents::TouchUpInside);
    if (!action) {
        return;
    }
    button.addTarget(
        owner,
        [this, action = std::move(action)](ui::Control& control, const ui::Event*) {
            if (auto host = listHost()) {
                action(*host, static_cast<ui::Button&>(control));
            }
        },
        ui::ControlEvents::TouchUpInside);
}

void IMBaseBarCell::setButtonsHidden(const std::vector<std::shared_ptr<ui::Button>>& buttons, bool hidden) {
    for (const auto& button : buttons) {
        if (button && button->isHidden() != hidden) {
            button->setHidden(hidden);
        }
    }
}

std::string IMBaseBarCell::countedTitle(const char* key, size_t count) {
    return fnd::format(ZLS(key), static_cast<int64_t>(count));
}

void IMBaseBarCell::setTitle(ui::Button& button, const std::string& title) {
    if (button.titleForState(ui::ControlState::Normal) != title) {
        button.setTitle(title, ui::ControlState::Normal);
    }
}

// --- The folded bar ---

void IMMinimizedBarCell::reloadWithIMGroup(double height, const std::shared_ptr<imGroup>& group) {
    if (!group) {
        ZTRACE_WARN("no IM account for the folded account bar");
        return;
    }
    refreshTitleBar(true, accountIcon(*group), accountTitle(*group), height);
}

void IMMinimizedBarCell::reloadAB(double height) {
    refreshTitleBar(true, ZelvanWidget::imageFromResource("icon_contacts", true),
                    countedTitle("Non-Zelvan Contacts (%d)", BarCounts(listHost()).abContacts), height);
}

void IMMinimizedBarCell::reloadZelvanGroup(double height) {
    refreshTitleBar(true, ZelvanWidget::iconForIM(kIconZelvan, false),
                    countedTitle("Zelvan friends (%d)", BarCounts(listHost()).zelvanFriends), height);
}

void IMMinimizedBarCell::reloadChatRoom(double height) {
    refreshTitleBar(true, ZelvanWidget::iconForIM(kIconChatRoom, false),
                    countedTitle("Chat rooms (%d)", BarCounts(listHost()).chatRooms), height);
}

void IMMinimizedBarCell::reloadChatGroup(double height) {
    refreshTitleBar(true, ZelvanWidget::iconForIM(kIconChatGroup, false),
                    countedTitle("Chat groups (%d)", BarCounts(listHost()).chatGroups), height);
}

void IMMinimizedBarCell::reloadPrivateChat(double height) {
    // The folded private-chat bar wears the chat-group icon, the unfolded one the chat-room icon.
    refreshTitleBar(true, ZelvanWidget::iconForIM(kIconChatGroup, false),
                    countedTitle("Private chats (%d)", BarCounts(listHost()).privateChats), height);
}

void IMMinimizedBarCell::reloadChatting(double height) {
    refreshTitleBar(true, ZelvanWidget::imageFromResource("icon_chatting", true),
                    countedTitle("Chatting now (%d)", BarCounts(listHost()).chats), height);
}

// --- Unfolded bars without buttons ---

void IMChattingBarCell::reloadChatting(bool minimized, int32_t /*edit*/, double height) {
    refreshTitleBar(minimized, ZelvanWidget::imageFromResource("icon_chatting", true),
                    countedTitle("Chatting now (%d)", BarCounts(listHost()).chats), height);
}

void IMPrivateChatBarCell::reloadPrivateChat(bool minimized, int32_t /*edit*/, double height) {
    refreshTitleBar(minimized, ZelvanWidget::iconForIM(kIconChatRoom, false),
                    countedTitle("Private chats (%d)", BarCounts(listHost()).privateChats), height);
}

void IMChatRoomBarCell::reloadChatRoom(bool minimized, int32_t /*edit*/, double height) {
    refreshTitleBar(minimized, ZelvanWidget::iconForIM(kIconChatRoom, false),
                    countedTitle("Chat rooms (%d)", BarCounts(listHost()).chatRooms), height);
}

} // namespace zelvan
