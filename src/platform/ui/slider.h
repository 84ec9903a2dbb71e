// ui::Slider: a control choosing a value between a minimum and a maximum by dragging its thumb,
// with per-state thumb and track images; ValueChanged is sent while dragging or on release.
#pragma once

#include <map>

#include "platform/graphics/image.h"
#include "platform/ui/control.h"
#include "platform/ui/types.h"

namespace ui {

class Slider : public Control {
public:
    // The thumb's size when no thumb image is set, and the slider's natural height.
    static constexpr double kThumbSize = 23;

    std::string className() const override { return "Slider"; }

    double value() const { return value_; }
    // Clamped to the range; sends no event.
    void setValue(double value, Animated animated = Animated::No);
    double minimumValue() const { return minimum_; }
    void setMinimumValue(double value);
    double maximumValue() const { return maximum_; }
    void setMaximumValue(double value);
    // True: ValueChanged on every move that changes the value; false: once on release.
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }

    // Per-state images, falling back to Normal.
    void setThumbImage(gfx::ImagePtr image, ControlState state);
    void setMinimumTrackImage(gfx::ImagePtr image, ControlState state);
    void setMaximumTrackImage(gfx::ImagePtr image, ControlState state);
    gfx::ImagePtr thumbImageForState(ControlState state) const;
    gfx::ImagePtr minimumTrackImageForState(ControlState state) const;
    gfx::ImagePtr maximumTrackImageForState(ControlState state) const;
    gfx::ImagePtr currentThumbImage() const { return thumbImageForState(state()); }

    // The thumb's rect in the bounds for the current value; the track runs between the thumb's
    // centre at the minimum and at the maximum.
    gfx::Rect thumbRect() const;

    gfx::Size sizeThatFits(gfx::Size size) const override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    // Tracking starts only on the thumb; the thumb then follows the finger.
    bool beginTrackingWithTouch(const Touch& touch, const Event* event) override;
    bool continueTrackingWithTouch(const Touch& touch, const Event* event) override;
    void endTrackingWithTouch(const Touch& touch, const Event* event) override;

private:
    using ImageMap = std::map<uint32_t, gfx::ImagePtr>;
    static gfx::ImagePtr lookup(const ImageMap& map, ControlState state);
    gfx::Size thumbSize() const;
    // The value for a thumb centre at `x`.
    double valueForThumbCentre(double x) const;

    double value_ = 0;
    double minimum_ = 0;
    double maximum_ = 1;
    bool continuous_ = true;
    ImageMap thumbImages_;
    ImageMap minimumTrackImages_;
    ImageMap maximumTrackImages_;
    double grabOffset_ = 0;   // finger x minus thumb centre at touch down
    double valueAtBegin_ = 0; // for non-continuous sliders
};

} // namespace ui
