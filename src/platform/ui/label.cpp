// Label measuring and drawing through the gfx text layout, so the size a label reports and the
// text it draws always agree.
#include "platform/ui/label.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/graphics/graphics_stack.h"

namespace ui {

void Label::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
    font_ = gfx::Font::systemFontOfSize(gfx::Font::labelFontSize());
    setBackgroundColor(gfx::Color::white());
    setUserInteractionEnabled(false);
}

void Label::setText(std::string text) {
    if (text == text_) {
        return;
    }
    text_ = std::move(text);
    setNeedsDisplay();
}

void Label::setFont(std::shared_ptr<gfx::Font> font) {
    font_ = font ? std::move(font) : gfx::Font::systemFontOfSize(gfx::Font::labelFontSize());
    setNeedsDisplay();
}

void Label::setTextColor(const gfx::Color& color) {
    textColor_ = color;
    setNeedsDisplay();
}

void Label::setHighlightedTextColor(std::optional<gfx::Color> color) {
    highlightedTextColor_ = color;
    setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted) {
    highlighted_ = highlighted;
    setNeedsDisplay();
}

void Label::setShadowColor(std::optional<gfx::Color> color) {
    shadowColor_ = color;
    setNeedsDisplay();
}

void Label::setShadowOffset(gfx::Size offset) {
    shadowOffset_ = offset;
    setNeedsDisplay();
}

void Label::setEnabled(bool enabled) {
    enabled_ = enabled;
    setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void Label::setLineBreakMode(LineBreakMode mode) {
    lineBreakMode_ = mode;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
    numberOfLines_ = std::max(0, lines);
    setNeedsDisplay();
}

void Label::setAdjustsFontSizeToFitWidth(bool adjusts) {
    adjustsFontSize_ = adjusts;
    setNeedsDisplay();
}

void Label::setMinimumFontSize(double size) {
    minimumFontSize_ = std::isfinite(size) ? std::max(0.0, size) : 0.0;
    setNeedsDisplay();
}

std::shared_ptr<gfx::Font> Label::drawingFont(double width) const {
    if (!adjustsFontSize_ || numberOfLines_ != 1 || text_.empty()) {
        return font_;
    }
    const double size = gfx::fontSizeThatFits(text_, font_, width, minimumFontSize_);
    return size == font_->pointSize() ? font_ : font_->fontWithSize(size);
}

double Label::maxTextHeight(const gfx::Font& font, double available) const {
    if (numberOfLines_ == 0) {
        return available;
    }
    return std::min(available, numberOfLines_ * font.lineHeight());
}

gfx::Size Label::sizeThatFits(gfx::Size) const {
    if (numberOfLines_ == 1) {
        return gfx::sizeWithFont(text_, font_);
    }
    const double height = maxTextHeight(*font_, std::numeric_limits<double>::max());
    return gfx::sizeWithFont(text_, font_, gfx::Size{bounds().width(), height}, lineBreakMode_);
}

gfx::Rect Label::textRectForBounds(gfx::Rect rect) const {
    const auto font = drawingFont(rect.width());
    const double height = maxTextHeight(*font, rect.height());
    const gfx::TextLayout layout = gfx::layoutText(text_, font, gfx::Size{rect.width(), height}, lineBreakMode_);
    const double y = rect.minY() + std::floor((rect.height() - layout.size.height) / 2);
    return gfx::Rect(rect.minX(), y, rect.width(), layout.size.height);
}

void Label::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx || text_.empty()) {
        return;
    }
    const gfx::Rect b = bounds();
    const auto font = drawingFont(b.width());
    const gfx::Rect textRect = textRectForBounds(b);
    gfx::Color color = highlighted_ && highlightedTextColor_ ? *highlightedTextColor_ : textColor_;
    if (!enabled_) {
        color = color.withAlphaComponent(color.a * 0.5);
    }
    gfx::StateSaver saver(*ctx);
    if (shadowColor_) {
        ctx->setFillColor(*shadowColor_);
        gfx::drawInRect(text_, textRect.offsetBy(shadowOffset_.width, shadowOffset_.height), font, lineBreakMode_,
                        alignment_);
    }
    ctx->setFillColor(color);
    gfx::drawInRect(text_, textRect, font, lineBreakMode_, alignment_);
}

} // namespace ui
