// ui::Control: the base of buttons, sliders, switches and the other controls - enabled, selected and
// highlighted state, content alignments, target/action per control event, and the touch tracking
// that turns touches into control events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/touch.h"
#include "platform/ui/view.h"

namespace ui {

enum class ControlEvents : uint32_t {
    None = 0,
    TouchDown = 1,
    TouchDownRepeat = 2,
    TouchDragInside = 4,
    TouchDragOutside = 8,
    TouchDragEnter = 16,
    TouchDragExit = 32,
    TouchUpInside = 64,
    TouchUpOutside = 128,
    TouchCancel = 256,
    ValueChanged = 4096,
    EditingDidBegin = 65536,
    EditingChanged = 131072,
    EditingDidEnd = 262144,
    EditingDidEndOnExit = 524288,
    AllTouchEvents = 0x00000FFF,
    AllEditingEvents = 0x000F0000,
    AllEvents = 0xFFFFFFFF,
};
constexpr ControlEvents operator|(ControlEvents a, ControlEvents b) {
    return static_cast<ControlEvents>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr ControlEvents operator&(ControlEvents a, ControlEvents b) {
    return static_cast<ControlEvents>(static_cast<uint32_t>(a) & static_cast<uint32_t>(b));
}
constexpr bool hasEvent(ControlEvents set, ControlEvents e) {
    return (static_cast<uint32_t>(set) & static_cast<uint32_t>(e)) != 0;
}

enum class ControlState : uint32_t { Normal = 0, Highlighted = 1, Disabled = 2, Selected = 4 };
constexpr ControlState operator|(ControlState a, ControlState b) {
    return static_cast<ControlState>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool hasState(ControlState set, ControlState s) {
    return (static_cast<uint32_t>(set) & static_cast<uint32_t>(s)) != 0;
}

enum class ContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class Control : public View {
public:
    using ActionFn = std::function<void(Control&, const Event*)>;

    // How far outside its bounds a tracked touch still counts as inside.
    static constexpr double kTrackingMargin = 70.0;

    // Controls draw for their current size: they redraw whenever their size changes.
    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "Control"; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    ControlState state() const;

    ContentHorizontalAlignment contentHorizontalAlignment() const { return horizontalAlignment_; }
    void setContentHorizontalAlignment(ContentHorizontalAlignment alignment);
    ContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
    void setContentVerticalAlignment(ContentVerticalAlignment alignment);

    // Registers `fn` for `events`. `owner` guards liveness: once it has died its actions are skipped
    // (an empty owner is never skipped). Actions run in registration order.
    void addTarget(std::weak_ptr<const void> owner, ActionFn fn, ControlEvents events);
    // Calls `method` on `target` for `events` while the target lives, never after it is gone; the
    // target is not kept alive and counts as the owner for removeTarget.
    template <class T>
    void addTarget(std::type_identity_t<std::weak_ptr<T>> target, void (T::*method)(), ControlEvents events) {
        addTarget(
            target,
            [target, method](Control&, const Event*) {
                if (auto live = target.lock()) {
                    (live.get()->*method)();
                }
            },
            events);
    }
    // The same for a method that reads the control that sent the action.
    template <class T>
    void addTarget(std::type_identity_t<std::weak_ptr<T>> target, void (T::*method)(Control&), ControlEvents events) {
        addTarget(
            target,
            [target, method](Control& sender, const Event*) {
                if (auto live = target.lock()) {
                    (live.get()->*method)(sender);
                }
            },
            events);
    }
    // Drops `events` from the actions registered by `owner` (every action when `owner` is empty);
    // an action left with no events is removed.
    void removeTarget(const std::weak_ptr<const void>& owner, ControlEvents events);
    // The events some action is registered for.
    ControlEvents allControlEvents() const;
    void sendActionsForControlEvents(ControlEvents events);

    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }

    // A disabled control takes no touches, so they reach what lies behind it.
    std::shared_ptr<View> hitTest(gfx::Point point, const Event* event) override;

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;

protected:
    // Runs the actions registered for any of `events`, passing the event being delivered.
    void sendActions(ControlEvents events, const Event* event);

    // Tracking hooks for subclasses, called after the base has updated the highlight and before it
    // sends the touch's events. Returning false from begin or continue stops tracking the touch.
    virtual bool beginTrackingWithTouch(const Touch& /*touch*/, const Event* /*event*/) { return true; }
    virtual bool continueTrackingWithTouch(const Touch& /*touch*/, const Event* /*event*/) { return true; }
    virtual void endTrackingWithTouch(const Touch& /*touch*/, const Event* /*event*/) {}
    virtual void cancelTrackingWithEvent(const Event* /*event*/) {}

    // Called after enabled, selected or highlighted changes (the default redraws).
    virtual void stateDidChange() { setNeedsDisplay(); }

    // Whether a point (in this view's space) counts as inside for tracking.
    bool isInsideTrackingArea(gfx::Point point) const;

private:
    struct Target {
        std::weak_ptr<const void> owner;
        bool guarded = false; // whether an owner was given at all
        ActionFn fn;
        ControlEvents events = ControlEvents::None;
    };

    // The touch this control tracks among `touches`, or null.
    std::shared_ptr<Touch> trackedTouch(const TouchSet& touches) const;
    void endTracking();

    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    ContentHorizontalAlignment horizontalAlignment_ = ContentHorizontalAlignment::Center;
    ContentVerticalAlignment verticalAlignment_ = ContentVerticalAlignment::Center;
    std::vector<Target> targets_;

    std::weak_ptr<Touch> touch_;
    bool tracking_ = false;
    bool touchInside_ = false;
};

} // namespace ui
