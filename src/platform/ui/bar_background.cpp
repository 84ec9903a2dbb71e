// Bar background drawing.
#include "platform/ui/bar_background.h"

namespace ui {

void drawBarBackground(gfx::Context& ctx, gfx::Rect bounds, BarStyle style, const std::optional<gfx::Color>& tint,
                       BarEdge shadeEdge) {
    gfx::StateSaver saver(ctx);
    gfx::Color fill = style == BarStyle::Default ? gfx::Color(0.43, 0.52, 0.63, 1) : gfx::Color::black();
    if (style == BarStyle::BlackTranslucent) {
        fill = gfx::Color(0, 0, 0, 0.6);
    }
    if (tint) {
        fill = *tint;
    }
    ctx.setFillColor(fill);
    ctx.fillRect(bounds);
    ctx.setFillColor(gfx::Color::white(0, 0.35));
    double y = shadeEdge == BarEdge::Bottom ? bounds.maxY() - 1 : bounds.minY();
    ctx.fillRect(gfx::Rect(bounds.minX(), y, bounds.width(), 1));
}

} // namespace ui
