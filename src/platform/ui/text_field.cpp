// Text field editing: the delegate-guarded begin/end of editing, the typing calls the keyboard uses
// (with UTF-16 ranges that never split a surrogate pair), and the field's drawn look.
#include "platform/ui/text_field.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/utf16.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/keyboard.h"

namespace ui {

namespace {

constexpr double kDefaultFontSize = 12;
constexpr double kTextInset = 7;
const char* const kBullet = "\u2022";

bool answersYes(const std::optional<bool>& answer) {
    return answer.value_or(true);
}

} // namespace

void TextField::initWithFrame(gfx::Rect frame) {
    Control::initWithFrame(frame);
    font_ = gfx::Font::systemFontOfSize(kDefaultFontSize);
}

void TextField::setText(std::string text) {
    text_ = std::move(text);
    setNeedsDisplay();
}

void TextField::setPlaceholder(std::string placeholder) {
    placeholder_ = std::move(placeholder);
    setNeedsDisplay();
}

void TextField::setFont(std::shared_ptr<gfx::Font> font) {
    font_ = font ? std::move(font) : gfx::Font::systemFontOfSize(kDefaultFontSize);
    setNeedsDisplay();
}

void TextField::setTextColor(const gfx::Color& color) {
    textColor_ = color;
    setNeedsDisplay();
}

void TextField::setTextAlignment(gfx::TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style) {
    borderStyle_ = style;
    setNeedsDisplay();
}

void TextField::setBackground(gfx::ImagePtr image) {
    background_ = std::move(image);
    setNeedsDisplay();
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
    clearButtonMode_ = mode;
    setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure) {
    traits_.secureTextEntry = secure;
    setNeedsDisplay();
}

bool TextField::isClearButtonVisible() const {
    if (text_.empty()) {
        return false;
    }
    switch (clearButtonMode_) {
    case TextFieldViewMode::Never:
        return false;
    case TextFieldViewMode::WhileEditing:
        return editing_;
    case TextFieldViewMode::UnlessEditing:
        return !editing_;
    case TextFieldViewMode::Always:
        return true;
    }
    return false;
}

gfx::Rect TextField::clearButtonRect() const {
    const gfx::Rect b = bounds();
    return gfx::Rect(b.maxX() - kClearButtonSize - 4, b.minY() + std::floor((b.height() - kClearButtonSize) / 2),
                     kClearButtonSize, kClearButtonSize);
}

gfx::Rect TextField::textRectForBounds(gfx::Rect b) const {
    const double inset = borderStyle_ == TextBorderStyle::None ? 0 : kTextInset;
    double right = b.maxX() - inset;
    if (isClearButtonVisible()) {
        right = std::min(right, clearButtonRect().minX() - 2);
    }
    const double height = font_->lineHeight();
    double y = b.minY() + std::floor((b.height() - height) / 2);
    switch (contentVerticalAlignment()) {
    case ContentVerticalAlignment::Top:
    case ContentVerticalAlignment::Fill:
        y = b.minY() + (borderStyle_ == TextBorderStyle::None ? 0 : 2);
        break;
    case ContentVerticalAlignment::Bottom:
        y = b.maxY() - height - (borderStyle_ == TextBorderStyle::None ? 0 : 2);
        break;
    case ContentVerticalAlignment::Center:
        break;
    }
    return gfx::Rect(b.minX() + inset, y, std::max(0.0, right - b.minX() - inset), height);
}

bool TextField::becomeFirstResponder() {
    // The keyboard stays up while status passes from another text input to this one.
    KeyboardController::Handoff handoff;
    if (isFirstResponder()) {
        return true;
    }
    if (!canBecomeFirstResponder()) {
        return false;
    }
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate(); d && !answersYes(d->textFieldShouldBeginEditing(*this))) {
        return false;
    }
    if (!Control::becomeFirstResponder()) {
        return false;
    }
    editing_ = true;
    setNeedsDisplay();
    if (auto d = delegate()) {
        d->textFieldDidBeginEditing(*this);
    }
    sendActions(ControlEvents::EditingDidBegin, nullptr);
    return true;
}

bool TextField::resignFirstResponder() {
    if (!isFirstResponder()) {
        return Control::resignFirstResponder();
    }
    const std::shared_ptr<View> keepAlive = self();
    if (!Responder::resignIsForced()) {
        if (auto d = delegate(); d && !answersYes(d->textFieldShouldEndEditing(*this))) {
            return false;
        }
    }
    if (!Control::resignFirstResponder()) {
        return false;
    }
    editing_ = false;
    setNeedsDisplay();
    if (auto d = delegate()) {
        d->textFieldDidEndEditing(*this);
    }
    sendActions(ControlEvents::EditingDidEnd, nullptr);
    KeyboardController::shared().update();
    return true;
}

void TextField::replaceCharacters(fnd::Range range, const std::string& replacement) {
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate(); d && !answersYes(d->textFieldShouldChangeCharactersInRange(*this, range, replacement))) {
        return;
    }
    // The delegate may have changed the text; keep the range inside it.
    const size_t length = fnd::utf16Length(text_);
    const size_t start = std::min(range.location, length);
    const size_t end = std::min(range.end(), length);
    text_ = fnd::utf16SubstringSafe(text_, fnd::Range{0, start}) + replacement + fnd::utf16SubstringFrom(text_, end);
    setNeedsDisplay();
    sendActions(ControlEvents::EditingChanged, nullptr);
}

void TextField::insertText(const std::string& text) {
    if (text.empty()) {
        return;
    }
    replaceCharacters(fnd::Range{fnd::utf16Length(text_), 0}, text);
}

void TextField::deleteBackward() {
    const size_t length = fnd::utf16Length(text_);
    if (length == 0) {
        return;
    }
    // A trailing low surrogate takes its high surrogate with it.
    const char16_t last = fnd::utf16CharAt(text_, length - 1);
    size_t count = 1;
    if (last >= 0xDC00 && last <= 0xDFFF && length >= 2) {
        const char16_t before = fnd::utf16CharAt(text_, length - 2);
        if (before >= 0xD800 && before <= 0xDBFF) {
            count = 2;
        }
    }
    replaceCharacters(fnd::Range{length - count, count}, "");
}

void TextField::returnKeyPressed() {
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate(); d && !answersYes(d->textFieldShouldReturn(*this))) {
        return;
    }
    sendActions(ControlEvents::EditingDidEndOnExit, nullptr);
}

void TextField::clearButtonTapped() {
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate(); d && !answersYes(d->textFieldShouldClear(*this))) {
        return;
    }
    if (text_.empty()) {
        return;
    }
    text_.clear();
    setNeedsDisplay();
    sendActions(ControlEvents::EditingChanged, nullptr);
}

void TextField::endTrackingWithTouch(const Touch& touch, const Event*) {
    const gfx::Point p = touch.locationInView(this);
    if (!bounds().containsPoint(p)) {
        return;
    }
    if (isClearButtonVisible() && clearButtonRect().insetBy(-4, -4).containsPoint(p)) {
        clearButtonTapped();
        return;
    }
    if (!editing_) {
        becomeFirstResponder();
    }
}

std::string TextField::displayText() const {
    if (!traits_.secureTextEntry) {
        return text_;
    }
    // One bullet per character: count code points, not UTF-16 units.
    std::string bullets;
    for (const unsigned char c : text_) {
        if ((c & 0xC0) != 0x80) {
            bullets += kBullet;
        }
    }
    return bullets;
}

void TextField::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    if (background_) {
        background_->drawInRect(b);
    } else {
        switch (borderStyle_) {
        case TextBorderStyle::None:
            break;
        case TextBorderStyle::Line:
            ctx->setStrokeColor(gfx::Color::black());
            ctx->strokeRectWithWidth(b.insetBy(0.5, 0.5), 1);
            break;
        case TextBorderStyle::Bezel:
            ctx->setStrokeColor(gfx::Color::gray());
            ctx->strokeRectWithWidth(b.insetBy(1, 1), 2);
            break;
        case TextBorderStyle::RoundedRect:
            ctx->setFillColor(gfx::Color::white());
            ctx->beginPath();
            ctx->addRoundedRect(b.insetBy(0.5, 0.5), 6);
            ctx->fillPath();
            ctx->setStrokeColor(gfx::Color::white(0.6, 1));
            ctx->setLineWidth(1);
            ctx->beginPath();
            ctx->addRoundedRect(b.insetBy(0.5, 0.5), 6);
            ctx->strokePath();
            break;
        }
    }
    const gfx::Rect textRect = textRectForBounds(b);
    if (!text_.empty()) {
        ctx->setFillColor(isEnabled() ? textColor_ : textColor_.withAlphaComponent(textColor_.a * 0.5));
        gfx::drawInRect(displayText(), textRect, font_, gfx::LineBreakMode::Clip, alignment_);
    } else if (!placeholder_.empty()) {
        ctx->setFillColor(gfx::Color::white(0.7, 1));
        gfx::drawInRect(placeholder_, textRect, font_, gfx::LineBreakMode::TailTruncation, alignment_);
    }
    if (isClearButtonVisible()) {
        const gfx::Rect r = clearButtonRect();
        ctx->setFillColor(gfx::Color::white(0.7, 1));
        ctx->beginPath();
        ctx->addArc(gfx::Point{r.midX(), r.midY()}, r.width() / 2, 0, 2 * M_PI, gfx::Clockwise::No);
        ctx->fillPath();
        ctx->setStrokeColor(gfx::Color::white());
        ctx->setLineWidth(2);
        ctx->beginPath();
        ctx->moveToPoint(r.minX() + 6, r.minY() + 6);
        ctx->addLineToPoint(r.maxX() - 6, r.maxY() - 6);
        ctx->moveToPoint(r.maxX() - 6, r.minY() + 6);
        ctx->addLineToPoint(r.minX() + 6, r.maxY() - 6);
        ctx->strokePath();
    }
}

} // namespace ui
