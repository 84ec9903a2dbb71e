// The begin/commit view animation blocks behind View's static animation calls: the open blocks
// (they nest), the changes View's setters record into them, and the will-start / did-stop
// callbacks scheduled on the main run loop at commit, so the process clock drives them.
//
// View declares, and view_animations.cpp defines:
//   static void beginAnimations(const std::string& name, void* context = nullptr);
//   static void commitAnimations();
//   static void setAnimationDuration(double seconds);  // 0.2 by default
//   static void setAnimationDelay(double seconds);     // 0 by default
//   static void setAnimationCurve(AnimationCurve curve); // EaseInOut by default
//   static void setAnimationBeginsFromCurrentState(bool fromCurrent);
//   static void setAnimationDelegate(std::weak_ptr<void> delegate);
//   static void setAnimationWillStartSelector(AnimationWillStartSelector selector);
//   static void setAnimationDidStopSelector(AnimationDidStopSelector selector);
//   static void setAnimationTransition(ViewAnimationTransition transition, View& view, bool cache);
//   static void setAnimationsEnabled(bool enabled);
//   static bool areAnimationsEnabled();
// The setters apply to the innermost open block and are ignored outside one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/animation_value.h"

namespace ui {

class View;

enum class ViewAnimationTransition { None = 0, FlipFromLeft = 1, FlipFromRight = 2, CurlUp = 3, CurlDown = 4 };

using AnimationWillStartSelector = std::function<void(const std::string& name, void* context)>;
using AnimationDidStopSelector = std::function<void(const std::string& name, bool finished, void* context)>;

class ViewAnimations {
public:
    // Called by View's animatable setters ("frame", "bounds", "center", "transform", "alpha",
    // "backgroundColor") after the model value has changed. Inside an open block the change is
    // recorded in the innermost block (a property changed twice keeps its first `from`); outside
    // one it is not animated and nothing is recorded.
    static void recordChange(View& view, std::string_view property, AnimationValue from, AnimationValue to);

    // Whether a begin/commit block is open.
    static bool isRecording();

    // The value an in-flight view animation shows for `property` of `view` at monotonic time `t`
    // (its from value before it starts, its to value once it has ended); nullopt when no committed,
    // unfinished animation covers that property.
    static std::optional<AnimationValue> presentationValue(const View& view, std::string_view property, double t);
};

} // namespace ui
