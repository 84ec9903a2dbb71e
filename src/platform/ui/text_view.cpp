// Text view editing through its delegate, typing, and drawing of the wrapped, scrolled text.
#include "platform/ui/text_view.h"

#include <limits>

#include "platform/foundation/utf16.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/touch.h"

namespace ui {

namespace {

constexpr double kDefaultFontSize = 12;
constexpr double kTextInset = 8;

} // namespace

void TextView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
    font_ = gfx::Font::systemFontOfSize(kDefaultFontSize);
    traits_.autocapitalizationType = AutocapitalizationType::Sentences;
    setBackgroundColor(gfx::Color::white());
}

void TextView::setText(std::string text) {
    text_ = std::move(text);
    setNeedsDisplay();
}

void TextView::setFont(std::shared_ptr<gfx::Font> font) {
    font_ = font ? std::move(font) : gfx::Font::systemFontOfSize(kDefaultFontSize);
    setNeedsDisplay();
}

void TextView::setTextColor(const gfx::Color& color) {
    textColor_ = color;
    setNeedsDisplay();
}

void TextView::setTextAlignment(gfx::TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void TextView::setEditable(bool editable) {
    editable_ = editable;
    if (!editable && isFirstResponder()) {
        resignFirstResponder();
    }
}

void TextView::setContentOffset(gfx::Point offset) {
    contentOffset_ = offset;
    setNeedsDisplay();
}

gfx::Size TextView::contentSize() const {
    const double width = std::max(0.0, bounds().width() - 2 * kTextInset);
    const gfx::Size text = gfx::sizeWithFont(text_, font_, gfx::Size{width, std::numeric_limits<double>::max()},
                                             gfx::LineBreakMode::WordWrap);
    return {bounds().width(), text.height + 2 * kTextInset};
}

bool TextView::becomeFirstResponder() {
    // The keyboard stays up while status passes from another text input to this one.
    KeyboardController::Handoff handoff;
    if (isFirstResponder()) {
        return true;
    }
    if (!canBecomeFirstResponder()) {
        return false;
    }
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate(); d && !d->textViewShouldBeginEditing(*this).value_or(true)) {
        return false;
    }
    if (!View::becomeFirstResponder()) {
        return false;
    }
    editing_ = true;
    if (auto d = delegate()) {
        d->textViewDidBeginEditing(*this);
    }
    return true;
}

bool TextView::resignFirstResponder() {
    if (!isFirstResponder()) {
        return View::resignFirstResponder();
    }
    const std::shared_ptr<View> keepAlive = self();
    if (!Responder::resignIsForced()) {
        if (auto d = delegate(); d && !d->textViewShouldEndEditing(*this).value_or(true)) {
            return false;
        }
    }
    if (!View::resignFirstResponder()) {
        return false;
    }
    editing_ = false;
    if (auto d = delegate()) {
        d->textViewDidEndEditing(*this);
    }
    KeyboardController::shared().update();
    return true;
}

void TextView::changed() {
    setNeedsDisplay();
    const std::shared_ptr<View> keepAlive = self();
    if (auto d = delegate()) {
        d->textViewDidChange(*this);
    }
}

void TextView::insertText(const std::string& text) {
    if (text.empty()) {
        return;
    }
    text_ += text;
    changed();
}

void TextView::deleteBackward() {
    const size_t length = fnd::utf16Length(text_);
    if (length == 0) {
        return;
    }
    size_t count = 1;
    const char16_t last = fnd::utf16CharAt(text_, length - 1);
    if (last >= 0xDC00 && last <= 0xDFFF && length >= 2) {
        const char16_t before = fnd::utf16CharAt(text_, length - 2);
        count = before >= 0xD800 && before <= 0xDBFF ? 2 : 1;
    }
    text_ = fnd::utf16SubstringSafe(text_, fnd::Range{0, length - count});
    changed();
}

void TextView::touchesBegan(const TouchSet&, const Event*) {}

void TextView::touchesEnded(const TouchSet& touches, const Event*) {
    if (touches.empty() || !editable_ || editing_) {
        return;
    }
    if (bounds().containsPoint(touches.front()->locationInView(this))) {
        becomeFirstResponder();
    }
}

void TextView::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx || text_.empty()) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const gfx::Size content = contentSize();
    ctx->setFillColor(textColor_);
    gfx::drawInRect(text_,
                    gfx::Rect(b.minX() + kTextInset - contentOffset_.x, b.minY() + kTextInset - contentOffset_.y,
                              std::max(0.0, b.width() - 2 * kTextInset), content.height),
                    font_, gfx::LineBreakMode::WordWrap, alignment_);
}

} // namespace ui
