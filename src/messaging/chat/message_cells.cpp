// Geometry of the chat rows: avatars 40 points square at the row's bottom, bubbles around the
// measured message with their stretchable pictures shared through the widget kit's image cache.
#include "messaging/chat/message_cells.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/zelvan_app_delegate.h"
#include "core/zelvan_style.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/chat/im_chat.h"
#include "messaging/messaging_context.h"
#include "platform/foundation/format.h"
#include "platform/graphics/graphics_stack.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

constexpr double kBubbleX = 55;
constexpr double kBubbleAlpha = 0.4;
constexpr double kFriendBubbleGap = 6;
// The message sits this far above the bubble's centre, clear of the bubble's tail.
constexpr double kMessageLift = 4;
constexpr double kSystemLineX = 5;

// The stretchable bubble picture `name`, made once and then shared through the widget kit's cache.
gfx::ImagePtr bubbleImage(const std::string& name, int leftCap, int topCap) {
    if (auto cached = ZelvanWidget::cachedImageForName(name)) {
        return cached;
    }
    const auto image = ZelvanWidget::imageFromResource(name, false);
    if (!image) {
        return nullptr;
    }
    auto stretchable = image->stretchableImageWithLeftCapWidth(leftCap, topCap);
    ZelvanWidget::addImageCache(stretchable, name);
    return stretchable;
}

std::shared_ptr<IMMessageView> newMessageView(int fontNumber, gfx::Color color) {
    auto view = ui::View::create<IMMessageView>(gfx::Rect{});
    view->setTextFont(ZelvanStyle::shared()->font(fontNumber));
    view->setTextColor(color);
    view->setAutoresizingMask(ui::AutoresizingMask::None);
    return view;
}

ui::TableViewCellSelectionStyle selectionFor(const IMMessage& message) {
    return message.type() == IMMessage::kTypePicture ? ui::TableViewCellSelectionStyle::Gray
                                                     : ui::TableViewCellSelectionStyle::None;
}

} // namespace

void AvatarBorderView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(gfx::Color::clear());
    setOpaque(false);
    setUserInteractionEnabled(false);
}

void AvatarBorderView::drawRect(gfx::Rect /*rect*/) {
    const auto context = gfx::getCurrentContext();
    if (!context) {
        return;
    }
    context->setStrokeColor(ZelvanStyle::shared()->avatarBorderColor());
    context->strokeRectWithWidth(bounds().insetBy(1.0, 1.0), 2.0);
}

void MessageCell::reloadWithMessage(const std::shared_ptr<IMMessage>& /*message*/, double /*width*/,
                                    double /*height*/) {}

gfx::Size BubbleMessageCell::bubbleSize(gfx::Size size) {
    return {std::max(size.width + 32, 50.0), std::max(size.height + 24, 35.0)};
}

void BubbleMessageCell::buildViews(gfx::Rect avatarFrame, double rowHeight) {
    if (messageView_) {
        return;
    }
    avatarView_ = ui::View::create<ui::ImageView>(avatarFrame);
    avatarView_->setCenter({avatarView_->center().x, rowHeight / 2});
    avatarBorderView_ = ui::View::create<AvatarBorderView>(avatarView_->frame());
    bubbleView_ = ui::View::create<ui::ImageView>(gfx::Rect{});
    bubbleView_->setAlpha(kBubbleAlpha);
    messageView_ = newMessageView(IMChat::kChatLineFont, ZelvanStyle::shared()->chatMessageColor());
    messageView_->setBackgroundColor(gfx::Color::clear());
    messageView_->setOpaque(false);
    for (const std::shared_ptr<ui::View>& view :
         std::initializer_list<std::shared_ptr<ui::View>>{avatarView_, avatarBorderView_, bubbleView_, messageView_}) {
        contentView()->addSubview(view);
    }
}

void BubbleMessageCell::placeViews(const std::shared_ptr<IMMessage>& message, double bubbleX, double rowHeight) {
    const gfx::Size size = message->size();
    const gfx::Size bubble = bubbleSize(size);
    bubbleView_->setFrame(gfx::Rect{bubbleX, 0, bubble.width, bubble.height});

    messageView_->setTokens(message->tokens());
    messageView_->setFrame(gfx::Rect{0, 0, size.width, size.height});
    messageView_->setCenter({bubbleX + bubble.width / 2, bubble.height / 2 - kMessageLift});
    messageView_->setFrame(gfx::ceilRect(messageView_->frame()));
    messageView_->setNeedsDisplay();

    gfx::Rect avatar = avatarView_->frame();
    avatar.origin.y = rowHeight - kAvatarSide;
    avatarView_->setFrame(avatar);
    avatarBorderView_->setFrame(avatar);
    setSelectionStyle(selectionFor(*message));
}

void OwnMessageCell::reloadWithMessage(const std::shared_ptr<IMMessage>& message, double /*width*/, double height) {
    if (!message) {
        return;
    }
    message_ = message;
    if (!messageView_) {
        buildViews(gfx::Rect{kAvatarMargin, 0, kAvatarSide, kAvatarSide}, kAvatarSide);
        bubbleView_->setImage(bubbleImage("bubble-left-0", 60, 24));
    }
    const auto delegate = messaging::context();
    if (auto avatars = currentAvatarManager(); avatars && delegate) {
        auto head = avatars->newImageAvatarHead(delegate->userId());
        if (head != avatarView_->image()) {
            avatarView_->setImage(std::move(head));
        }
    }
    placeViews(message, kBubbleX, height);
}

void FriendMessageCell::reloadWithMessage(const std::shared_ptr<IMMessage>& message, double width, double height) {
    if (!message) {
        return;
    }
    message_ = message;
    if (!messageView_) {
        buildViews(gfx::Rect{width - kAvatarMargin - kAvatarSide, 0, kAvatarSide, kAvatarSide}, height);
        if (!bubbleView_->image()) {
            bubbleView_->setImage(bubbleImage("bubble-right-0", 38, 24));
        }
    }
    if (message->card()) {
        avatarView_->setImage(ZelvanWidget::newStatusImageForCard(fnd::Value(message->card())));
    }
    const double bubbleWidth = bubbleSize(message->size()).width;
    placeViews(message, width - avatarView_->frame().size.width - kFriendBubbleGap - bubbleWidth, height);
}

void FriendMessageCell::setBubbleColorIndex(int32_t index) {
    if (index < 0 || index >= kBubbleColors) {
        index = 0;
    }
    if (index == bubbleColorIndex_ && bubbleView_ && bubbleView_->image()) {
        return;
    }
    bubbleColorIndex_ = index;
    if (bubbleView_) {
        bubbleView_->setImage(bubbleImage(fnd::format("bubble-right-%d", index), 38, 24));
    }
}

void SystemMessageCell::reloadWithMessage(const std::shared_ptr<IMMessage>& message, double /*width*/, double height) {
    if (!messageView_) {
        messageView_ = newMessageView(IMChat::kSystemLineFont, ZelvanStyle::shared()->systemMessageColor());
        messageView_->setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());
        contentView()->addSubview(messageView_);
    }
    if (!message || message == message_) {
        return;
    }
    const gfx::Size size = message->size();
    messageView_->setTokens(message->tokens());
    messageView_->setFrame(gfx::Rect{kSystemLineX, 0, size.width, size.height});
    messageView_->setCenter({messageView_->center().x, height / 2});
    messageView_->setFrame(gfx::ceilRect(messageView_->frame()));
    messageView_->setNeedsDisplay();
    message_ = message;
}

} // namespace zelvan
