// Slider value handling, thumb geometry, drag tracking and its drawn look.
#include "platform/ui/slider.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"

namespace ui {

namespace {

double finiteOr(double v, double fallback) {
    return std::isfinite(v) ? v : fallback;
}

} // namespace

void Slider::setValue(double value, Animated) {
    const double clamped = std::clamp(finiteOr(value, minimum_), minimum_, std::max(minimum_, maximum_));
    if (clamped == value_) {
        return;
    }
    value_ = clamped;
    setNeedsDisplay();
}

void Slider::setMinimumValue(double value) {
    minimum_ = finiteOr(value, 0);
    maximum_ = std::max(maximum_, minimum_);
    setValue(value_);
    setNeedsDisplay();
}

void Slider::setMaximumValue(double value) {
    maximum_ = finiteOr(value, 1);
    minimum_ = std::min(minimum_, maximum_);
    setValue(value_);
    setNeedsDisplay();
}

gfx::ImagePtr Slider::lookup(const ImageMap& map, ControlState state) {
    auto it = map.find(static_cast<uint32_t>(state));
    if (it == map.end()) {
        it = map.find(static_cast<uint32_t>(ControlState::Normal));
    }
    return it == map.end() ? nullptr : it->second;
}

void Slider::setThumbImage(gfx::ImagePtr image, ControlState state) {
    thumbImages_[static_cast<uint32_t>(state)] = std::move(image);
    setNeedsDisplay();
}

void Slider::setMinimumTrackImage(gfx::ImagePtr image, ControlState state) {
    minimumTrackImages_[static_cast<uint32_t>(state)] = std::move(image);
    setNeedsDisplay();
}

void Slider::setMaximumTrackImage(gfx::ImagePtr image, ControlState state) {
    maximumTrackImages_[static_cast<uint32_t>(state)] = std::move(image);
    setNeedsDisplay();
}

gfx::ImagePtr Slider::thumbImageForState(ControlState state) const {
    return lookup(thumbImages_, state);
}

gfx::ImagePtr Slider::minimumTrackImageForState(ControlState state) const {
    return lookup(minimumTrackImages_, state);
}

gfx::ImagePtr Slider::maximumTrackImageForState(ControlState state) const {
    return lookup(maximumTrackImages_, state);
}

gfx::Size Slider::thumbSize() const {
    const auto image = currentThumbImage();
    return image ? image->size() : gfx::Size{kThumbSize, kThumbSize};
}

gfx::Rect Slider::thumbRect() const {
    const gfx::Rect b = bounds();
    const gfx::Size thumb = thumbSize();
    const double span = std::max(0.0, b.width() - thumb.width);
    const double range = maximum_ - minimum_;
    const double fraction = range > 0 ? (value_ - minimum_) / range : 0;
    return gfx::Rect(b.minX() + std::round(span * fraction), b.minY() + std::floor((b.height() - thumb.height) / 2),
                     thumb.width, thumb.height);
}

double Slider::valueForThumbCentre(double x) const {
    const gfx::Rect b = bounds();
    const gfx::Size thumb = thumbSize();
    const double span = b.width() - thumb.width;
    if (span <= 0) {
        return minimum_;
    }
    const double fraction = std::clamp((x - b.minX() - thumb.width / 2) / span, 0.0, 1.0);
    return minimum_ + fraction * (maximum_ - minimum_);
}

gfx::Size Slider::sizeThatFits(gfx::Size) const {
    return {bounds().width(), std::max(kThumbSize, thumbSize().height)};
}

bool Slider::beginTrackingWithTouch(const Touch& touch, const Event*) {
    const gfx::Point p = touch.locationInView(this);
    const gfx::Rect thumb = thumbRect();
    if (!thumb.insetBy(-10, -10).containsPoint(p)) {
        return false;
    }
    grabOffset_ = p.x - thumb.midX();
    valueAtBegin_ = value_;
    return true;
}

bool Slider::continueTrackingWithTouch(const Touch& touch, const Event* event) {
    const double before = value_;
    setValue(valueForThumbCentre(touch.locationInView(this).x - grabOffset_));
    if (continuous_ && value_ != before) {
        sendActions(ControlEvents::ValueChanged, event);
    }
    return true;
}

void Slider::endTrackingWithTouch(const Touch& touch, const Event* event) {
    const double before = value_;
    setValue(valueForThumbCentre(touch.locationInView(this).x - grabOffset_));
    const bool changed = continuous_ ? value_ != before : value_ != valueAtBegin_;
    if (changed) {
        sendActions(ControlEvents::ValueChanged, event);
    }
}

void Slider::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const gfx::Rect thumb = thumbRect();
    const double trackHeight = 9;
    const double trackY = b.minY() + std::floor((b.height() - trackHeight) / 2);
    const gfx::Rect minTrack(b.minX(), trackY, std::max(0.0, thumb.midX() - b.minX()), trackHeight);
    const gfx::Rect maxTrack(thumb.midX(), trackY, std::max(0.0, b.maxX() - thumb.midX()), trackHeight);
    if (const auto image = minimumTrackImageForState(state())) {
        image->drawInRect(minTrack);
    } else {
        ctx->setFillColor(gfx::Color(0.15, 0.4, 0.85, 1));
        ctx->fillRect(minTrack);
    }
    if (const auto image = maximumTrackImageForState(state())) {
        image->drawInRect(maxTrack);
    } else {
        ctx->setFillColor(gfx::Color::white(0.85, 1));
        ctx->fillRect(maxTrack);
    }
    if (const auto image = currentThumbImage()) {
        image->drawInRect(thumb);
    } else {
        ctx->setFillColor(isHighlighted() ? gfx::Color::white(0.85, 1) : gfx::Color::white());
        ctx->beginPath();
        ctx->addArc(gfx::Point{thumb.midX(), thumb.midY()}, thumb.width() / 2 - 0.5, 0, 2 * M_PI, gfx::Clockwise::No);
        ctx->fillPath();
        ctx->setStrokeColor(gfx::Color::white(0.5, 1));
        ctx->setLineWidth(1);
        ctx->beginPath();
        ctx->addArc(gfx::Point{thumb.midX(), thumb.midY()}, thumb.width() / 2 - 0.5, 0, 2 * M_PI, gfx::Clockwise::No);
        ctx->strokePath();
    }
}

} // namespace ui
