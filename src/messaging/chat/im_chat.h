// IMChat: one open conversation with one card - its lines (at most 99, oldest first), the unread
// count, the call flag and the bubble colours - and IMChatDelegate, through which the chat window
// hears of every change.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>

#include "core/int_collections.h"
#include "messaging/chat/im_message.h"
#include "messaging/model/base_card.h"
#include "platform/foundation/date.h"
#include "platform/foundation/object.h"
#include "platform/graphics/color.h"

namespace zelvan {

class IMChat;

class IMChatDelegate {
public:
    virtual ~IMChatDelegate() = default;
    // After every added line.
    virtual void messagesUpdated(IMChat& chat) = 0;
    // After the call flag was cleared.
    virtual void callStatusUpdated() = 0;
};

class IMChat : public fnd::Object {
public:
    static constexpr size_t kMaxMessages = 99;
    // Bubble colours cycle through this many indices.
    static constexpr int32_t kColorCount = 6;
    // Layout width and style font of chat lines and of system lines.
    static constexpr double kChatLineWidth = 200;
    static constexpr int kChatLineFont = 6;
    static constexpr double kSystemLineWidth = 310;
    static constexpr int kSystemLineFont = 8;
    // Style font of a room administrator's name.
    static constexpr int kAdminNameFont = 7;

    static std::shared_ptr<IMChat> create() { return std::make_shared<IMChat>(); }

    IMChat();

    std::string className() const override { return "IMChat"; }

    // Adds a line from `card` (null for the user's own line). A room, group or private-chat sender
    // gets a bubble colour on its first line and, when it has a name, a "<name>: " header (an
    // administrator's in its own font and green). "[Picture http://...]" becomes a picture line
    // whose url runs from "http" up to the closing bracket. The line is measured, the oldest line
    // goes past 99, and the delegate hears messagesUpdated. A chat or system line longer than
    // kReceivedTextUnits is cut first (capReceivedText).
    void addChatMessage(std::string_view text, const std::shared_ptr<baseCard>& card);
    // Adds a system line (without a sender), optionally starting with a colour token.
    void addSystemMessage(std::string_view text);
    void addSystemMessage(std::string_view text, gfx::Color color);

    // The bubble colour for lines of `card`: a room, group or private-chat sender's own entry in the
    // colour map (kIntNotFound before its first line), otherwise the chat's colorId.
    int32_t colorIndexWithCard(const baseCard& card) const;
    // Clears the call flag and tells the delegate callStatusUpdated.
    void clearCallingStatus();

    // The other party. The card's back link to this chat is weak, so it lapses when the chat goes.
    const std::shared_ptr<baseCard>& card() const { return card_; }
    void setCard(std::shared_ptr<baseCard> card) { card_ = std::move(card); }
    // The lines, oldest first.
    const std::deque<std::shared_ptr<IMMessage>>& messages() const { return messages_; }
    fnd::Date startDate() const { return startDate_; }
    // Unread lines, kept by the chat window.
    int32_t unread() const { return unread_; }
    void setUnread(int32_t unread) { unread_ = unread; }
    bool inCall() const { return inCall_; }
    void setInCall(bool inCall) { inCall_ = inCall; }
    // Bubble colour of a one-to-one chat, 0 to 5; -1 until the chat window sets it.
    int32_t colorId() const { return colorId_; }
    void setColorId(int32_t colorId) { colorId_ = colorId; }
    // Not retained: a delegate that is gone is skipped.
    std::shared_ptr<IMChatDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<IMChatDelegate>& delegate) { delegate_ = delegate; }

private:
    // Measures the message, appends it, drops the oldest line past the cap and tells the delegate.
    void addMessage(const std::shared_ptr<IMMessage>& message, double width, int fontNumber);

    std::shared_ptr<baseCard> card_;
    std::deque<std::shared_ptr<IMMessage>> messages_;
    fnd::Date startDate_;
    int32_t unread_ = 0;
    bool inCall_ = false;
    int32_t colorId_ = -1;
    ZIntMap colorMap_;
    std::weak_ptr<IMChatDelegate> delegate_;
};

} // namespace zelvan
