// Shared fixture of the control tests: a manual clock, a visible window to put controls in, an
// event recorder for control actions, and ink measurement over screenshots.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/control.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::controls_test {

using ui::testing::TouchDriver;

// Names of the control events, for readable expectations.
inline std::string eventName(ControlEvents e) {
    switch (e) {
    case ControlEvents::TouchDown:
        return "TouchDown";
    case ControlEvents::TouchDownRepeat:
        return "TouchDownRepeat";
    case ControlEvents::TouchDragInside:
        return "DragInside";
    case ControlEvents::TouchDragOutside:
        return "DragOutside";
    case ControlEvents::TouchDragEnter:
        return "DragEnter";
    case ControlEvents::TouchDragExit:
        return "DragExit";
    case ControlEvents::TouchUpInside:
        return "UpInside";
    case ControlEvents::TouchUpOutside:
        return "UpOutside";
    case ControlEvents::TouchCancel:
        return "Cancel";
    case ControlEvents::ValueChanged:
        return "ValueChanged";
    case ControlEvents::EditingDidBegin:
        return "EditingDidBegin";
    case ControlEvents::EditingChanged:
        return "EditingChanged";
    case ControlEvents::EditingDidEnd:
        return "EditingDidEnd";
    case ControlEvents::EditingDidEndOnExit:
        return "EditingDidEndOnExit";
    default:
        return "?";
    }
}

// Registers one action per single event bit and records the names of the events heard, in order.
inline void recordEvents(Control& control, std::vector<std::string>& log) {
    static constexpr ControlEvents kEvents[] = {
        ControlEvents::TouchDown,        ControlEvents::TouchDownRepeat,    ControlEvents::TouchDragInside,
        ControlEvents::TouchDragOutside, ControlEvents::TouchDragEnter,     ControlEvents::TouchDragExit,
        ControlEvents::TouchUpInside,    ControlEvents::TouchUpOutside,     ControlEvents::TouchCancel,
        ControlEvents::ValueChanged,     ControlEvents::EditingDidBegin,    ControlEvents::EditingChanged,
        ControlEvents::EditingDidEnd,    ControlEvents::EditingDidEndOnExit};
    for (const ControlEvents e : kEvents) {
        control.addTarget(
            {}, [&log, e](Control&, const Event*) { log.push_back(eventName(e)); }, e);
    }
}

// Inclusive bounds of the pixels matching a predicate.
struct Ink {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    int pixels = 0;
    bool any() const { return pixels > 0; }
    int width() const { return any() ? maxX - minX + 1 : 0; }
};

template <class Pred>
Ink inkWhere(const gfx::Image& image, gfx::Rect area, Pred pred) {
    Ink ink;
    const int x0 = std::max(0, static_cast<int>(area.minX()));
    const int y0 = std::max(0, static_cast<int>(area.minY()));
    const int x1 = std::min(image.width(), static_cast<int>(area.maxX()));
    const int y1 = std::min(image.height(), static_cast<int>(area.maxY()));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (pred(image.pixelAt(x, y))) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
                ++ink.pixels;
            }
        }
    }
    return ink;
}

// Dark pixels (text drawn in black or a dark colour over a light ground).
inline bool isDark(gfx::Rgba8 p) {
    return p.a > 128 && p.r < 100 && p.g < 100 && p.b < 100;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
    }
    void TearDown() override {
        TouchDriver::reset();
        window_->endEditing(Force::Yes);
        window_->setHidden(true);
        // Let the keyboard's last slide finish, so no did-notification is left pending for the next test.
        fnd::RunLoop::main().advance(1);
        gfx::installTextMetrics(nullptr);
        fnd::Clock::install(nullptr);
    }
    // Exact, font-free widths for layout checks.
    static void useSyntheticMetrics() { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Window> window_;
};

} // namespace ui::controls_test
