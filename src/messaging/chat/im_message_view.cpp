// The token layout of IMMessageView: text cut into pieces that fit the rest of the line, grown one
// character at a time; inline images as squares of the line height; colour and font tokens.
#include "messaging/chat/im_message_view.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "platform/foundation/utf16.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/graphics/text_layout.h"

namespace zelvan {
namespace {

constexpr double kMinImageSide = 21.0;
// How far a piece may overflow the rest of the line and still count as fitting.
constexpr double kFitTolerance = 0.5;

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
bool isAsciiLetterOrDigit(char16_t u) {
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// The running state of one layout pass: the pen, the current line, and drawing when asked.
class TokenLayout {
public:
    TokenLayout(double width, std::shared_ptr<gfx::Font> font, std::optional<gfx::Color> textColor, bool draw,
                std::shared_ptr<ui::Layer> layer)
        : width_(std::isfinite(width) ? std::max(width, 0.0) : 0.0), baseFont_(std::move(font)), font_(baseFont_),
          baseColor_(textColor), layer_(draw ? std::move(layer) : nullptr) {
        lineHeightBase_ = baseFont_ ? gfx::sizeWithFont("A", baseFont_).height : 0;
        imageSide_ = std::max(lineHeightBase_, kMinImageSide);
        lineHeight_ = lineHeightBase_;
        if (draw) {
            context_ = gfx::getCurrentContext();
        }
        setColor(baseColor_);
    }

    void add(const MessageToken& token) {
        if (const auto* text = std::get_if<std::string>(&token)) {
            addText(fnd::toUtf16(*text));
        } else if (const auto* image = std::get_if<gfx::ImagePtr>(&token)) {
            addImage(*image);
        } else if (const auto* color = std::get_if<gfx::Color>(&token)) {
            setColor(*color);
        } else if (const auto* font = std::get_if<std::shared_ptr<gfx::Font>>(&token)) {
            if (*font) {
                font_ = *font;
            }
        } else {
            setColor(baseColor_);
            font_ = baseFont_;
        }
    }

    gfx::Size result(bool anyTokens) const {
        if (!anyTokens) {
            return {0, lineHeightBase_};
        }
        if (y_ < 1.0) {
            return {x_, lineHeight_};
        }
        if (x_ < 1.0) {
            return {maxW_, y_};
        }
        return {maxW_, y_ + lineHeight_};
    }

private:
    double measure(std::u16string_view units) const {
        return font_ ? gfx::sizeWithFont(fnd::fromUtf16(units), font_).width : 0;
    }

    void drawPiece(std::u16string_view units) {
        if (context_ && font_) {
            gfx::drawAtPoint(fnd::fromUtf16(units), gfx::Point{x_, y_}, font_);
        }
    }

    void setColor(const std::optional<gfx::Color>& color) {
        if (context_ && color) {
            context_->setFillColor(*color);
        }
    }

    void endLine() {
        y_ += lineHeight_;
        lineHeight_ = lineHeightBase_;
        x_ = 0;
    }

    // Code units of the character starting at `at` (a whole surrogate pair counts as one).
    static size_t characterLength(std::u16string_view units, size_t at) {
        return isHighSurrogate(units[at]) && at + 1 < units.size() && isLowSurrogate(units[at + 1]) ? 2 : 1;
    }

    void addText(std::u16string_view units) {
        size_t i = 0;
        while (i < units.size()) {
            if (units[i] == u'\n') {
                maxW_ = std::max(maxW_, x_);
                endLine();
                ++i;
                continue;
            }
            // Grow the piece one character at a time until it overflows the rest of the line.
            const double room = width_ - x_;
            size_t end = i;
            size_t lastLength = 0;
            double w = 0;
            bool overflow = false;
            while (end < units.size() && units[end] != u'\n') {
                lastLength = characterLength(units, end);
                end += lastLength;
                w = measure(units.substr(i, end - i));
                if (w > room) {
                    overflow = true;
                    break;
                }
            }
            if (!overflow || w - room < kFitTolerance) {
                drawPiece(units.substr(i, end - i));
                x_ += w;
                maxW_ = std::max(maxW_, x_);
                i = end;
                continue;
            }
            const size_t cAt = end - lastLength;
            if (isAsciiLetterOrDigit(units[cAt])) {
                breakWord(units, i, cAt);
            } else {
                breakBefore(units, i, cAt, lastLength);
            }
        }
    }

    // The piece [i, c] overflows at the letter or digit c: the line ends after the piece's last
    // other character, or a word longer than a whole line is cut by characters.
    void breakWord(std::u16string_view units, size_t& i, size_t cAt) {
        size_t cut = cAt;
        while (cut > i && isAsciiLetterOrDigit(units[cut - 1])) {
            --cut;
        }
        if (cut > i) {
            finishLineWith(units.substr(i, cut - i));
            i = cut;
        } else if (x_ < 1.0) {
            // Nothing is on the line: cut the word here. A line narrower than the first character
            // still takes that character, so the layout always moves on.
            const size_t end = cAt > i ? cAt : cAt + 1;
            finishLineWith(units.substr(i, end - i));
            i = end;
        } else {
            endLine();
        }
    }

    // The piece [i, c] overflows at c, which is no letter or digit: everything before c goes on
    // this line and the next pass begins with c.
    void breakBefore(std::u16string_view units, size_t& i, size_t cAt, size_t cLength) {
        if (cAt == i) {
            if (x_ < 1.0) {
                // c alone is wider than a whole line: it takes the line, so the layout moves on.
                finishLineWith(units.substr(i, cLength));
                i += cLength;
            } else {
                maxW_ = std::max(maxW_, x_);
                endLine();
            }
            return;
        }
        const std::u16string_view piece = units.substr(i, cAt - i);
        drawPiece(piece);
        x_ += measure(piece);
        maxW_ = std::max(maxW_, x_);
        i = cAt;
    }

    void finishLineWith(std::u16string_view piece) {
        drawPiece(piece);
        maxW_ = std::max(maxW_, x_ + measure(piece));
        endLine();
    }

    void addImage(const gfx::ImagePtr& image) {
        if (imageSide_ > width_ - x_ && x_ >= 1.0) {
            // The image does not fit behind what the line holds: the line ends at its own height and
            // the image begins the next one, which is then image-high like every line holding one.
            // At the start of a line it stays there even when wider than the line, so no empty
            // line is left behind.
            maxW_ = std::max(maxW_, x_);
            endLine();
        }
        lineHeight_ = imageSide_;
        if (layer_ && image) {
            auto sublayer = ui::Layer::create();
            sublayer->setFrame(gfx::Rect{x_, y_, imageSide_, imageSide_});
            sublayer->setContents(image);
            layer_->addSublayer(sublayer);
        }
        x_ += imageSide_;
        maxW_ = std::max(maxW_, x_);
    }

    double width_;
    std::shared_ptr<gfx::Font> baseFont_;
    std::shared_ptr<gfx::Font> font_;
    std::optional<gfx::Color> baseColor_;
    std::shared_ptr<ui::Layer> layer_;
    std::shared_ptr<gfx::Context> context_;
    double lineHeightBase_ = 0;
    double imageSide_ = kMinImageSide;
    double x_ = 0;
    double y_ = 0;
    double maxW_ = 0;
    double lineHeight_ = 0;
};

} // namespace

void IMMessageView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    textFont_ = gfx::Font::withName("Helvetica", 12.0);
    textColor_ = gfx::Color::black();
}

gfx::Size IMMessageView::calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                              const std::shared_ptr<gfx::Font>& font,
                                              std::optional<gfx::Color> textColor, bool draw,
                                              const std::shared_ptr<ui::Layer>& layer) {
    TokenLayout layout(width, font, textColor, draw, layer);
    for (const MessageToken& token : tokens) {
        layout.add(token);
    }
    return layout.result(!tokens.empty());
}

gfx::Size IMMessageView::calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                              const std::shared_ptr<gfx::Font>& font,
                                              std::optional<gfx::Color> textColor, bool draw) {
    return calculateContentSize(width, tokens, font, textColor, draw, nullptr);
}

void IMMessageView::drawRect(gfx::Rect /*rect*/) {
    if (tokens_.empty()) {
        setBounds(gfx::Rect{bounds().origin.x, bounds().origin.y, frame().size.width, 0});
        return;
    }
    const auto own = layer();
    const std::vector<ui::LayerPtr> old = own->sublayers();
    for (const auto& sublayer : old) {
        sublayer->removeFromSuperlayer();
    }
    calculateContentSize(frame().size.width, tokens_, textFont_, textColor_, true, own);
}

void IMMessageView::setTokens(std::vector<MessageToken> tokens) {
    tokens_ = std::move(tokens);
    setNeedsDisplay();
}

void IMMessageView::setTextFont(std::shared_ptr<gfx::Font> font) {
    textFont_ = std::move(font);
    setNeedsDisplay();
}

void IMMessageView::setTextColor(gfx::Color color) {
    textColor_ = color;
    setNeedsDisplay();
}

gfx::Size MessageViewMeasurer::calculateContentSize(double width, const std::vector<MessageToken>& tokens,
                                                    const std::shared_ptr<gfx::Font>& font,
                                                    std::optional<gfx::Color> textColor) const {
    return IMMessageView::calculateContentSize(width, tokens, font, textColor, false);
}

} // namespace zelvan
