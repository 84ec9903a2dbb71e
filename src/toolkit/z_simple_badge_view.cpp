// The badge: its size from the text's width in the badge font, and the drawing of the red pill with
// the text centred on it.
#include "toolkit/z_simple_badge_view.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/graphics/text_layout.h"
#include "toolkit/widget_layout.h"

namespace zelvan {

std::shared_ptr<ZSimpleBadgeView> ZSimpleBadgeView::create(gfx::Point origin) {
    return View::create<ZSimpleBadgeView>(gfx::Rect(origin.x, origin.y, 0, 0));
}

void ZSimpleBadgeView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setOpaque(false);
    setBackgroundColor(gfx::Color::clear());
    setUserInteractionEnabled(false);
    setContentMode(ui::ContentMode::Redraw);
    setHidden(!value_);
}

gfx::Color ZSimpleBadgeView::badgeColor() {
    return gfx::Color::fromRgbHex(0xe02424);
}

std::shared_ptr<gfx::Font> ZSimpleBadgeView::badgeFont() {
    return gfx::Font::boldSystemFontOfSize(13);
}

void ZSimpleBadgeView::updateBadgeValue(const std::optional<std::string>& value) {
    if (value && !value->empty()) {
        value_ = value;
    } else {
        value_.reset();
    }
    const gfx::Rect old = frame();
    const gfx::Size size = sizeThatFits(gfx::Size());
    setFrame(gfx::Rect(old.minX(), old.minY(), size.width, size.height));
    setHidden(!value_);
    setNeedsDisplay();
}

gfx::Size ZSimpleBadgeView::sizeThatFits(gfx::Size /*size*/) const {
    if (!value_) {
        return {0, 0};
    }
    const double textWidth = gfx::sizeWithFont(*value_, badgeFont()).width;
    return {std::max(kHeight, std::ceil(textWidth + 2 * kTextPadding)), kHeight};
}

void ZSimpleBadgeView::drawRect(gfx::Rect /*rect*/) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx || !value_) {
        return;
    }
    const gfx::Rect box(0, 0, bounds().width(), bounds().height());
    gfx::StateSaver saver(*ctx);
    ctx->setFillColor(badgeColor());
    ctx->beginPath();
    CGContextAddRoundedRect(*ctx, box.minX(), box.minY(), box.width(), box.height(), box.height() / 2);
    ctx->fillPath();
    ctx->setFillColor(gfx::Color::white());
    const auto font = badgeFont();
    const double lineHeight = gfx::sizeWithFont(*value_, font).height;
    gfx::drawInRect(*value_, gfx::Rect(0, std::round((box.height() - lineHeight) / 2), box.width(), lineHeight), font,
                    gfx::LineBreakMode::Clip, gfx::TextAlignment::Center);
}

} // namespace zelvan
