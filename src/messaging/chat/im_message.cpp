// IMMessage's tokenizer and token list.
#include "messaging/chat/im_message.h"

#include "messaging/chat/chat_segment.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

void IMMessage::extractTokens(std::string_view text, std::vector<MessageToken>& container) {
    for (ChatSegment& segment : ChatSegment::segmentsOfText(text)) {
        if (segment.type == ChatSegment::kTypeEmoticon) {
            // A missing image is logged by the widget kit; the line goes on without it.
            if (gfx::ImagePtr image = ZelvanWidget::imageFromResource(segment.text, true)) {
                container.emplace_back(std::move(image));
            }
        } else {
            container.emplace_back(std::move(segment.text));
        }
    }
}

void IMMessage::appendMessage(std::string_view text) {
    extractTokens(text, tokens_);
}

void IMMessage::addToken(MessageToken token) {
    if (const auto* image = std::get_if<gfx::ImagePtr>(&token); image != nullptr && !*image) {
        return;
    }
    if (const auto* font = std::get_if<std::shared_ptr<gfx::Font>>(&token); font != nullptr && !*font) {
        return;
    }
    tokens_.push_back(std::move(token));
}

} // namespace zelvan
