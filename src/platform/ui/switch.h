// ui::Switch: an on/off control of fixed size (94 x 27) that toggles when tapped and sends
// ValueChanged.
#pragma once

#include "platform/ui/control.h"
#include "platform/ui/types.h"

namespace ui {

class Switch : public Control {
public:
    static constexpr gfx::Size kSize{94, 27};

    // The frame keeps its origin and takes the switch's fixed size.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "Switch"; }

    bool isOn() const { return on_; }
    // Sends no event.
    void setOn(bool on, Animated animated = Animated::No);

    gfx::Size sizeThatFits(gfx::Size /*size*/) const override { return kSize; }
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    // A tap that ends inside toggles the switch and sends ValueChanged.
    void endTrackingWithTouch(const Touch& touch, const Event* event) override;

private:
    bool on_ = false;
};

} // namespace ui
