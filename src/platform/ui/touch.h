// ui::Touch (one object per finger, stable across its phases) and ui::Event (the touches of one
// delivery). Touches begin with a hit test that fixes their view, count repeated taps, and report
// their locations in any view's coordinates.
#pragma once

#include <memory>
#include <vector>

#include "platform/foundation/object.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/responder.h"

namespace ui {

class View;
class Window;

enum class TouchPhase { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

class Touch : public fnd::Object {
public:
    // A repeated tap counts when it begins within this time of the previous tap's end and this
    // distance of where it ended.
    static constexpr double kTapInterval = 0.35;
    static constexpr double kTapDistance = 10.0;

    // Starts a touch at `pointInWindow`, stamped with the clock: hit-tests the window to fix the
    // receiving view (null when nothing takes it, or when the view already has a touch and does
    // not accept several) and counts the tap. Main thread.
    static std::shared_ptr<Touch> begin(const std::shared_ptr<Window>& window, gfx::Point pointInWindow);

    std::string className() const override { return "Touch"; }

    gfx::Point locationInView(const View* view) const;
    gfx::Point previousLocationInView(const View* view) const;
    std::shared_ptr<View> view() const { return view_.lock(); }
    std::shared_ptr<Window> window() const { return window_.lock(); }
    double timestamp() const { return timestamp_; }
    TouchPhase phase() const { return phase_; }
    int tapCount() const { return tapCount_; }

    // Event sources (the touch driver) move the touch through its phases; each stamps the clock.
    void moveTo(gfx::Point pointInWindow);
    void setStationary();
    void end();
    void cancel();

private:
    friend class Window;
    Touch() = default;
    void stamp();
    // Drops the view (for the rest of the touch) once it has left the window's tree.
    void detachFromView() { view_.reset(); }

    std::weak_ptr<View> view_;
    std::weak_ptr<Window> window_;
    gfx::Point location_;
    gfx::Point previous_;
    double timestamp_ = 0;
    TouchPhase phase_ = TouchPhase::Began;
    int tapCount_ = 1;
};

// The touches delivered together. Touches keep insertion order.
class Event {
public:
    Event() = default;
    explicit Event(TouchSet touches, double timestamp) : touches_(std::move(touches)), timestamp_(timestamp) {}

    const TouchSet& allTouches() const { return touches_; }
    TouchSet touchesForView(const View* view) const;
    TouchSet touchesForWindow(const Window* window) const;
    double timestamp() const { return timestamp_; }

private:
    TouchSet touches_;
    double timestamp_ = 0;
};

} // namespace ui
