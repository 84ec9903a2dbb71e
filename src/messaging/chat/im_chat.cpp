// IMChat: adding chat, picture and system lines, bubble colours and the call flag.
#include "messaging/chat/im_chat.h"

#include "core/localization.h"
#include "core/zelvan_style.h"
#include "messaging/chat/message_measurer.h"
#include "messaging/model/basic_card.h"
#include "messaging/model/received_text.h"
#include "platform/foundation/utf16.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

constexpr std::string_view kPicturePrefix = "[Picture http://";
// Where the address starts: just after "[Picture ".
constexpr size_t kPictureUrlStart = 9;

// The address of a picture line "[Picture http://...]": from "http" up to the closing bracket, with
// the blanks before the bracket left off. Nullopt when the text is not a picture line.
std::optional<std::string> pictureUrl(std::string_view text) {
    if (!text.starts_with(kPicturePrefix) || !text.ends_with(']')) {
        return std::nullopt;
    }
    std::string_view url = text.substr(kPictureUrlStart, text.size() - 1 - kPictureUrlStart);
    while (!url.empty() && (url.back() == ' ' || url.back() == '\t')) {
        url.remove_suffix(1);
    }
    // Outside bytes: any ill-formed UTF-8 in the address reads as U+FFFD.
    return fnd::fromUtf16(fnd::toUtf16(url));
}

} // namespace

IMChat::IMChat() : startDate_(fnd::Date::now()) {}

void IMChat::addChatMessage(std::string_view received, const std::shared_ptr<baseCard>& card) {
    const std::string text = capReceivedText(received, "chat line");
    auto message = IMMessage::create();
    message->setCard(card);

    if (const auto* sender = dynamic_cast<const BasicCard*>(card.get())) {
        if (!colorMap_.containsKey(sender->userId())) {
            colorMap_.setIntValue(static_cast<int32_t>(colorMap_.count() % kColorCount), sender->userId());
        }
        if (!sender->name().empty()) {
            if (sender->admin()) {
                message->addToken(ZelvanStyle::shared()->font(kAdminNameFont));
                message->addToken(gfx::Color::green());
            } else {
                message->addToken(gfx::Color::darkGray());
            }
            message->addToken(sender->name());
            message->addToken(std::string(": "));
            message->addToken(NullMarker{});
        }
    }

    if (std::optional<std::string> url = pictureUrl(text)) {
        message->addToken(ZLS("Just sent a picture."));
        message->setUrl(std::move(url));
        message->setType(IMMessage::kTypePicture);
        message->addToken(ZelvanWidget::imageFromResource("photo_placeholder", true));
        message->addToken(ZLS(" Click on the icon to see the picture"));
    } else {
        message->appendMessage(text);
        message->setType(IMMessage::kTypeChat);
    }
    addMessage(message, kChatLineWidth, kChatLineFont);
}

void IMChat::addSystemMessage(std::string_view text) {
    auto message = IMMessage::create();
    message->appendMessage(capReceivedText(text, "system line"));
    message->setType(IMMessage::kTypeSystem);
    addMessage(message, kSystemLineWidth, kSystemLineFont);
}

void IMChat::addSystemMessage(std::string_view text, gfx::Color color) {
    auto message = IMMessage::create();
    message->addToken(color);
    message->appendMessage(capReceivedText(text, "system line"));
    message->setType(IMMessage::kTypeSystem);
    addMessage(message, kSystemLineWidth, kSystemLineFont);
}

int32_t IMChat::colorIndexWithCard(const baseCard& card) const {
    if (const auto* sender = dynamic_cast<const BasicCard*>(&card)) {
        return colorMap_.valueForKey(sender->userId());
    }
    return colorId_;
}

void IMChat::clearCallingStatus() {
    inCall_ = false;
    if (auto delegate = delegate_.lock()) {
        delegate->callStatusUpdated();
    }
}

void IMChat::addMessage(const std::shared_ptr<IMMessage>& message, double width, int fontNumber) {
    messages_.push_back(message);
    message->setSize(MessageMeasurer::installed()->calculateContentSize(
        width, message->tokens(), ZelvanStyle::shared()->font(fontNumber), std::nullopt));
    while (messages_.size() > kMaxMessages) {
        messages_.pop_front();
    }
    if (auto delegate = delegate_.lock()) {
        // Keeps this chat alive while the delegate runs, should the delegate let go of it.
        auto self = weak_from_this().lock();
        delegate->messagesUpdated(*this);
    }
}

} // namespace zelvan
