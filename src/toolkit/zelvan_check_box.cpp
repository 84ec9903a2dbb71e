// The check box's selection changes (by touch or by code, each change announced once) and its look:
// a white box with a tint border, and a tick in the tint colour while selected.
#include "toolkit/zelvan_check_box.h"

#include <algorithm>
#include <cmath>

#include "core/zelvan_style.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/touch.h"

namespace zelvan {

std::shared_ptr<ZelvanCheckBox> ZelvanCheckBox::initWithFrame(gfx::Rect frame, std::optional<gfx::Color> tintColor,
                                                              int style) {
    auto box = ui::View::create<ZelvanCheckBox>(frame);
    box->tint_ = tintColor.value_or(ZelvanStyle::shared()->navigationBarTintColor());
    box->style_ = style == kStyleRound ? kStyleRound : kStyleSquare;
    box->setBackgroundColor(gfx::Color::clear());
    box->setOpaque(false);
    return box;
}

void ZelvanCheckBox::setSelected(bool selected) {
    changeSelection(selected, nullptr);
}

void ZelvanCheckBox::changeSelection(bool selected, const ui::Event* event) {
    if (selected == isSelected()) {
        return;
    }
    ui::Control::setSelected(selected);
    sendActions(ui::ControlEvents::ValueChanged, event);
}

void ZelvanCheckBox::endTrackingWithTouch(const ui::Touch& touch, const ui::Event* event) {
    if (!isInsideTrackingArea(touch.locationInView(this))) {
        return;
    }
    changeSelection(!isSelected(), event);
}

void ZelvanCheckBox::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const double side = std::floor(std::min(b.width(), b.height())) - 2;
    if (side <= 2) {
        return;
    }
    const gfx::Rect box(std::floor(b.midX() - side / 2), std::floor(b.midY() - side / 2), side, side);
    const double radius = style_ == kStyleRound ? side / 2 : std::max(2.0, side / 6);
    const double line = std::max(1.0, std::round(side / 12));
    const gfx::Rect stroked = box.insetBy(line / 2, line / 2);

    ctx->setFillColor(isEnabled() ? gfx::Color::white() : gfx::Color::white(0.9, 1));
    ctx->beginPath();
    ctx->addRoundedRect(stroked, radius);
    ctx->fillPath();
    ctx->setStrokeColor(isHighlighted() ? tint_.withAlphaComponent(0.6) : tint_);
    ctx->setLineWidth(line);
    ctx->beginPath();
    ctx->addRoundedRect(stroked, radius);
    ctx->strokePath();

    if (!isSelected()) {
        return;
    }
    // The tick: a short stroke down to the lower left third, then a long one up to the right.
    ctx->setStrokeColor(tint_);
    ctx->setLineWidth(std::max(2.0, std::round(side / 7)));
    ctx->setLineCap(gfx::LineCap::Round);
    ctx->setLineJoin(gfx::LineJoin::Round);
    ctx->beginPath();
    ctx->moveToPoint(box.minX() + side * 0.24, box.minY() + side * 0.52);
    ctx->addLineToPoint(box.minX() + side * 0.42, box.minY() + side * 0.72);
    ctx->addLineToPoint(box.minX() + side * 0.78, box.minY() + side * 0.28);
    ctx->strokePath();
}

} // namespace zelvan
