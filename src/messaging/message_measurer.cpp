// The registry's message measurer and the simple word-flow measurer.
#include "messaging/message_measurer.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/zelvan_app_delegate.h"
#include "platform/graphics/text_layout.h"

namespace zelvan {
namespace {

// Bytes of the UTF-8 sequence starting with `lead`, clamped to what is left (ill-formed bytes count
// one each; the text measurement reads them as U+FFFD).
size_t sequenceLength(unsigned char lead, size_t left) {
    size_t n = 1;
    if (lead >= 0xF0 && lead < 0xF8) {
        n = 4;
    } else if (lead >= 0xE0) {
        n = lead < 0xF0 ? 3 : 1;
    } else if (lead >= 0xC0) {
        n = 2;
    }
    return std::min(n, left);
}

// The running state of one layout: the pen position, the current line and the finished ones.
class Flow {
public:
    Flow(double width, std::shared_ptr<gfx::Font> font) : width_(width), startFont_(font), font_(std::move(font)) {}

    void setFont(const std::shared_ptr<gfx::Font>& font) { font_ = font; }
    void restoreFont() { font_ = startFont_; }

    void addImage(const gfx::Image& image) {
        const gfx::Size size = image.size();
        place(size.width, size.width, size.height);
    }

    void addText(std::string_view text) {
        size_t begin = 0;
        while (begin <= text.size()) {
            const size_t feed = text.find('\n', begin);
            const size_t end = feed == std::string_view::npos ? text.size() : feed;
            addParagraph(text.substr(begin, end - begin));
            if (feed == std::string_view::npos) {
                break;
            }
            lineHeight_ = std::max(lineHeight_, fontLineHeight());
            newLine();
            begin = feed + 1;
        }
    }

    gfx::Size finish() {
        if (x_ > 0 || lineHeight_ > 0) {
            newLine();
        }
        return gfx::Size{std::ceil(widest_), std::ceil(height_)};
    }

private:
    double fontLineHeight() const { return font_ ? font_->lineHeight() : 0; }
    double measure(std::string_view text) const { return font_ ? gfx::sizeWithFont(text, font_).width : 0; }

    void addParagraph(std::string_view text) {
        size_t at = 0;
        while (at < text.size()) {
            // A word is a run of non-blanks with the blanks after it; the blanks may hang past the edge.
            size_t wordEnd = at;
            while (wordEnd < text.size() && text[wordEnd] != ' ') {
                ++wordEnd;
            }
            size_t blanksEnd = wordEnd;
            while (blanksEnd < text.size() && text[blanksEnd] == ' ') {
                ++blanksEnd;
            }
            const std::string_view word = text.substr(at, wordEnd - at);
            const double inkWidth = measure(word);
            if (inkWidth > width_) {
                addCharacters(word);
                const std::string_view blanks = text.substr(wordEnd, blanksEnd - wordEnd);
                place(0, measure(blanks), fontLineHeight());
            } else {
                place(inkWidth, measure(text.substr(at, blanksEnd - at)), fontLineHeight());
            }
            at = blanksEnd;
        }
    }

    void addCharacters(std::string_view word) {
        size_t at = 0;
        while (at < word.size()) {
            const size_t n = sequenceLength(static_cast<unsigned char>(word[at]), word.size() - at);
            const double w = measure(word.substr(at, n));
            place(w, w, fontLineHeight());
            at += n;
        }
    }

    // Puts a piece `inkWidth` wide that moves the pen by `advance`, starting a new line when it does
    // not fit after what the line already holds.
    void place(double inkWidth, double advance, double height) {
        if (x_ > 0 && x_ + inkWidth > width_) {
            newLine();
        }
        lineWidth_ = std::max(lineWidth_, x_ + inkWidth);
        x_ += advance;
        lineHeight_ = std::max(lineHeight_, height);
    }

    void newLine() {
        widest_ = std::max(widest_, lineWidth_);
        height_ += lineHeight_;
        x_ = 0;
        lineWidth_ = 0;
        lineHeight_ = 0;
    }

    double width_;
    std::shared_ptr<gfx::Font> startFont_;
    std::shared_ptr<gfx::Font> font_;
    double x_ = 0;
    double lineWidth_ = 0;
    double lineHeight_ = 0;
    double widest_ = 0;
    double height_ = 0;
};

} // namespace

std::shared_ptr<MessageMeasurer> MessageMeasurer::installed() {
    auto delegate = zelvanAppDelegate::current();
    if (auto measurer = delegate ? delegate->messageMeasurer() : nullptr) {
        return measurer;
    }
    // Stateless, so one serves every caller.
    static const std::shared_ptr<MessageMeasurer> simple = std::make_shared<SimpleMessageMeasurer>();
    return simple;
}

gfx::Size SimpleMessageMeasurer::calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                                      const std::shared_ptr<gfx::Font>& font,
                                                      std::optional<gfx::Color> /*textColor*/) const {
    Flow flow(std::max(width, 0.0), font);
    for (const MessageToken& token : tokens) {
        if (const auto* text = std::get_if<std::string>(&token)) {
            flow.addText(*text);
        } else if (const auto* image = std::get_if<gfx::ImagePtr>(&token)) {
            if (*image) {
                flow.addImage(**image);
            }
        } else if (const auto* newFont = std::get_if<std::shared_ptr<gfx::Font>>(&token)) {
            if (*newFont) {
                flow.setFont(*newFont);
            }
        } else if (std::holds_alternative<NullMarker>(token)) {
            flow.restoreFont();
        }
    }
    return flow.finish();
}

} // namespace zelvan
