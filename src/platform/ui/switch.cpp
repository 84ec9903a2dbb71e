// Switch toggling by tap and its drawn look: a rounded track, ON or OFF, and the thumb.
#include "platform/ui/switch.h"

#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"

namespace ui {

void Switch::initWithFrame(gfx::Rect frame) {
    Control::initWithFrame(gfx::Rect(frame.origin, kSize));
}

void Switch::setOn(bool on, Animated) {
    if (on_ == on) {
        return;
    }
    on_ = on;
    setNeedsDisplay();
}

void Switch::endTrackingWithTouch(const Touch& touch, const Event* event) {
    if (!isInsideTrackingArea(touch.locationInView(this))) {
        return;
    }
    setOn(!on_, Animated::Yes);
    sendActions(ControlEvents::ValueChanged, event);
}

void Switch::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds().insetBy(0.5, 0.5);
    ctx->setFillColor(on_ ? gfx::Color(0.1, 0.45, 0.9, 1) : gfx::Color::white(0.93, 1));
    ctx->beginPath();
    ctx->addRoundedRect(b, 6);
    ctx->fillPath();
    ctx->setStrokeColor(gfx::Color::white(0.6, 1));
    ctx->setLineWidth(1);
    ctx->beginPath();
    ctx->addRoundedRect(b, 6);
    ctx->strokePath();

    const double half = std::floor(b.width() / 2);
    const gfx::Rect thumb = on_ ? gfx::Rect(b.maxX() - half + 2, b.minY(), half - 2, b.height())
                                : gfx::Rect(b.minX(), b.minY(), half - 2, b.height());
    const gfx::Rect label =
        on_ ? gfx::Rect(b.minX(), b.minY(), half, b.height()) : gfx::Rect(b.minX() + half, b.minY(), half, b.height());
    ctx->setFillColor(gfx::Color::white());
    ctx->beginPath();
    ctx->addRoundedRect(thumb, 6);
    ctx->fillPath();
    ctx->beginPath();
    ctx->addRoundedRect(thumb, 6);
    ctx->strokePath();

    const auto font = gfx::Font::boldSystemFontOfSize(14);
    const gfx::Rect textRect(label.minX(), label.minY() + std::floor((label.height() - font->lineHeight()) / 2),
                             label.width(), font->lineHeight());
    ctx->setFillColor(on_ ? gfx::Color::white() : gfx::Color::darkGray());
    gfx::drawInRect(on_ ? "ON" : "OFF", textRect, font, gfx::LineBreakMode::Clip, gfx::TextAlignment::Center);
}

} // namespace ui
