// ui::KeyboardController: the on-screen keyboard stand-in. It shows while a text field or text view
// is the first responder and hides when editing ends, posting the keyboard will/did show and hide
// notifications with its bounds, begin and end centres and animation duration.
#pragma once

#include <optional>
#include <string_view>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/application.h"

namespace ui {

class Responder;

inline constexpr std::string_view kKeyboardWillShowNotification = "KeyboardWillShowNotification";
inline constexpr std::string_view kKeyboardDidShowNotification = "KeyboardDidShowNotification";
inline constexpr std::string_view kKeyboardWillHideNotification = "KeyboardWillHideNotification";
inline constexpr std::string_view kKeyboardDidHideNotification = "KeyboardDidHideNotification";

// userInfo keys: the keyboard's bounds (a rect), its centre before and after the animation (points,
// in screen coordinates) and the animation's duration in seconds (a double). Rects and points are
// dictionaries of numbers ("x", "y", "width", "height"); rectFromValue / pointFromValue read them.
inline constexpr std::string_view kKeyboardBoundsUserInfoKey = "KeyboardBoundsUserInfoKey";
inline constexpr std::string_view kKeyboardCenterBeginUserInfoKey = "KeyboardCenterBeginUserInfoKey";
inline constexpr std::string_view kKeyboardCenterEndUserInfoKey = "KeyboardCenterEndUserInfoKey";
inline constexpr std::string_view kKeyboardAnimationDurationUserInfoKey = "KeyboardAnimationDurationUserInfoKey";

class KeyboardController {
public:
    static constexpr double kAnimationDuration = 0.3;
    static constexpr double kPortraitHeight = 216;
    static constexpr double kLandscapeHeight = 162;

    // The keyboard of the main thread.
    static KeyboardController& shared();

    // Shown (from will-show until will-hide).
    bool isVisible() const { return visible_; }
    // The frame the keyboard takes on screen for the status bar's orientation:
    // (0, 264, 320, 216) in portrait, (0, 158, 480, 162) in landscape.
    gfx::Rect frame() const;
    static gfx::Rect frameForOrientation(InterfaceOrientation orientation);

    // The text field or text view being edited (the first responder when it is one), or null.
    static std::shared_ptr<Responder> textInput();

    // Shows or hides the keyboard to match whether a text input is the first responder. Text
    // fields and views call it when they begin and end editing; inside a Handoff it waits for the
    // handoff's end.
    void update();

    // Held while first-responder status passes from one text input to another, so the keyboard
    // stays up instead of hiding and showing again. Handoffs nest; the outermost one's end updates.
    class Handoff {
    public:
        Handoff();
        ~Handoff();
        Handoff(const Handoff&) = delete;
        Handoff& operator=(const Handoff&) = delete;
    };

    static fnd::Value valueFromRect(gfx::Rect rect);
    static fnd::Value valueFromPoint(gfx::Point point);
    static std::optional<gfx::Rect> rectFromValue(const fnd::Value& value);
    static std::optional<gfx::Point> pointFromValue(const fnd::Value& value);

private:
    KeyboardController() = default;
    void show();
    void hide();
    // Posts a pending did-show or did-hide now (a new animation starts before it was due).
    void completePending();
    fnd::Value userInfo(bool showing) const;

    bool visible_ = false;
    int handoffDepth_ = 0;
    // The frame the last show used, so hiding leaves from where the keyboard is.
    gfx::Rect shownFrame_;
    fnd::PerformHandle pendingDid_;
    std::string_view pendingName_;
    fnd::Value pendingInfo_;
};

} // namespace ui
