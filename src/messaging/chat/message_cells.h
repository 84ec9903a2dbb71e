// The rows of a chat: the user's own lines in a bubble beside their head on the left, lines of
// others in a coloured bubble beside the sender's picture on the right, and system lines as plain
// text; plus the thin frame drawn over an avatar picture.
#pragma once

#include <memory>
#include <string>

#include "messaging/chat/im_message.h"
#include "messaging/chat/im_message_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan {

// A 2-point line in the style's avatar border colour along the bounds inset by 1 point; clear elsewhere.
class AvatarBorderView : public ui::View {
public:
    std::string className() const override { return "AvatarBorderView"; }
    void initWithFrame(gfx::Rect frame) override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }
};

class MessageCell : public ui::TableViewCell {
public:
    static constexpr double kAvatarSide = 40;
    static constexpr double kAvatarMargin = 9;

    using ui::TableViewCell::TableViewCell;
    std::string className() const override { return "MessageCell"; }

    // Lays the row out for `message` in a row of `width` x `height`; the base class does nothing.
    virtual void reloadWithMessage(const std::shared_ptr<IMMessage>& message, double width, double height);

    int32_t bubbleColorIndex() const { return bubbleColorIndex_; }
    virtual void setBubbleColorIndex(int32_t index) { bubbleColorIndex_ = index; }
    const std::shared_ptr<IMMessage>& message() const { return message_; }

protected:
    int32_t bubbleColorIndex_ = 0;
    std::shared_ptr<IMMessage> message_;
};

// What own and friend rows share: the avatar, its border, the bubble and the message inside it.
class BubbleMessageCell : public MessageCell {
public:
    using MessageCell::MessageCell;

    const std::shared_ptr<ui::ImageView>& avatarView() const { return avatarView_; }
    const std::shared_ptr<AvatarBorderView>& avatarBorderView() const { return avatarBorderView_; }
    const std::shared_ptr<ui::ImageView>& bubbleView() const { return bubbleView_; }
    const std::shared_ptr<IMMessageView>& messageView() const { return messageView_; }

    // The bubble around a message of `size`: max(w + 32, 50) x max(h + 24, 35).
    static gfx::Size bubbleSize(gfx::Size size);

protected:
    // Builds the four views on first use; `avatarFrame` places the avatar.
    void buildViews(gfx::Rect avatarFrame, double rowHeight);
    // Places the bubble at `bubbleOrigin`, the message inside it and the avatar at the row's bottom.
    void placeViews(const std::shared_ptr<IMMessage>& message, double bubbleX, double rowHeight);

    std::shared_ptr<ui::ImageView> avatarView_;
    std::shared_ptr<AvatarBorderView> avatarBorderView_;
    std::shared_ptr<ui::ImageView> bubbleView_;
    std::shared_ptr<IMMessageView> messageView_;
};

// The user's own line: their head at the left, a "bubble-left-0" bubble beside it.
class OwnMessageCell : public BubbleMessageCell {
public:
    using BubbleMessageCell::BubbleMessageCell;
    std::string className() const override { return "OwnMessageCell"; }
    void reloadWithMessage(const std::shared_ptr<IMMessage>& message, double width, double height) override;
};

// A line of another party: the sender's status picture at the right, a coloured bubble beside it.
class FriendMessageCell : public BubbleMessageCell {
public:
    static constexpr int32_t kBubbleColors = 6;

    using BubbleMessageCell::BubbleMessageCell;
    std::string className() const override { return "FriendMessageCell"; }
    void reloadWithMessage(const std::shared_ptr<IMMessage>& message, double width, double height) override;
    // Shows "bubble-right-<index>"; an index outside 0-5 (a chat or sender without a colour) shows 0.
    void setBubbleColorIndex(int32_t index) override;
};

// A system line: plain text on the chat's background, laid out again only when its message changes.
class SystemMessageCell : public MessageCell {
public:
    using MessageCell::MessageCell;
    std::string className() const override { return "SystemMessageCell"; }
    void reloadWithMessage(const std::shared_ptr<IMMessage>& message, double width, double height) override;

    const std::shared_ptr<IMMessageView>& messageView() const { return messageView_; }

private:
    std::shared_ptr<IMMessageView> messageView_;
};

} // namespace zelvan
