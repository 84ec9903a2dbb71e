// ui::Label: a view that draws text - font, colours, shadow, alignment, line breaking, a line limit
// and shrinking the font to fit its width - centred vertically in its bounds.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_drawing.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/view.h"

namespace ui {

using TextAlignment = gfx::TextAlignment;
using LineBreakMode = gfx::LineBreakMode;

class Label : public View {
public:
    // White background, black system-17 text, one line, tail truncation, no user interaction.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "Label"; }

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // Never null: setting null restores system 17.
    const std::shared_ptr<gfx::Font>& font() const { return font_; }
    void setFont(std::shared_ptr<gfx::Font> font);
    gfx::Color textColor() const { return textColor_; }
    void setTextColor(const gfx::Color& color);
    // Used while highlighted, when set.
    const std::optional<gfx::Color>& highlightedTextColor() const { return highlightedTextColor_; }
    void setHighlightedTextColor(std::optional<gfx::Color> color);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    // The text is drawn once more behind itself, offset by shadowOffset, when a colour is set.
    const std::optional<gfx::Color>& shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<gfx::Color> color);
    gfx::Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(gfx::Size offset);
    // A disabled label draws its text at half its alpha.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment);
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(LineBreakMode mode);
    // 0 means no limit.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    // One-line labels step their font down (to minimumFontSize at least) until the text fits.
    bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    double minimumFontSize() const { return minimumFontSize_; }
    void setMinimumFontSize(double size);

    // One line when numberOfLines == 1; otherwise the text wrapped within the current width,
    // limited to numberOfLines lines.
    gfx::Size sizeThatFits(gfx::Size size) const override;

    // The rect the text is drawn in: the laid-out text centred vertically in `bounds`.
    gfx::Rect textRectForBounds(gfx::Rect bounds) const;

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    // The font drawing uses: the label's font, shrunk when it adjusts to fit the width.
    std::shared_ptr<gfx::Font> drawingFont(double width) const;
    // The height the line limit allows (unbounded when numberOfLines is 0).
    double maxTextHeight(const gfx::Font& font, double available) const;

    std::string text_;
    std::shared_ptr<gfx::Font> font_;
    gfx::Color textColor_ = gfx::Color::black();
    std::optional<gfx::Color> highlightedTextColor_;
    bool highlighted_ = false;
    std::optional<gfx::Color> shadowColor_;
    gfx::Size shadowOffset_{0, -1};
    bool enabled_ = true;
    TextAlignment alignment_ = TextAlignment::Left;
    LineBreakMode lineBreakMode_ = LineBreakMode::TailTruncation;
    int numberOfLines_ = 1;
    bool adjustsFontSize_ = false;
    double minimumFontSize_ = 0;
};

} // namespace ui
