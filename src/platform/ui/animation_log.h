// ui::AnimationLog: the record of every view animation block committed and every layer animation
// added (what a test or a person checks instead of watching frames), and the presentation values
// that in-flight animations show at a given time.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/object.h"
#include "platform/ui/animation_value.h"

namespace ui {

class Layer;
class View;

struct AnimatedProperty {
    // The view or layer animated (weak: the log keeps nothing alive).
    std::weak_ptr<fnd::Object> target;
    // A view property ("frame", "alpha", ...) or a layer key path ("opacity", "transform.scale", ...).
    std::string property;
    // A layer animation without a from or to value and no model value for its key path has none.
    std::optional<AnimationValue> from;
    std::optional<AnimationValue> to;
};

struct AnimationLogEntry {
    enum class Kind { ViewBlock, LayerAnimation };
    Kind kind = Kind::ViewBlock;
    // The block's name, or the key the layer animation was added under.
    std::string name;
    // Monotonic clock seconds at commit (or when added to the layer).
    double time = 0;
    // Seconds of one pass (a block's duration, 0 when animations were disabled).
    double duration = 0;
    // A block's delay, or a layer animation's beginTime.
    double delay = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;        // view blocks
    TimingFunction timingFunction = TimingFunction::Default; // layer animations
    bool beginsFromCurrentState = false;                     // view blocks
    // The animation's class for layer animations ("BasicAnimation", "KeyframeAnimation", "AnimationGroup",
    // "Transition").
    std::string animationClass;
    // The transition: "fade", "moveIn", "push" or "reveal" for layer transitions, "flipFromLeft",
    // "flipFromRight", "curlUp" or "curlDown" for view blocks; else empty.
    std::string transition;
    // A layer transition's side: "fromLeft", "fromRight", "fromTop" or "fromBottom"; else empty.
    std::string transitionSubtype;
    double repeatCount = 0;
    bool autoreverses = false;
    double speed = 1;
    std::vector<AnimatedProperty> properties;
};

// Main thread only.
class AnimationLog {
public:
    // The log keeps the newest entries up to this many, so a long-running process does not grow.
    static constexpr size_t kCapacity = 4096;

    // Oldest first.
    static std::vector<AnimationLogEntry> entries();
    static void clear();
    static void append(AnimationLogEntry entry);

    // What `layer` shows for `keyPath` at monotonic time `t`: the value of the last attached
    // animation that covers the key path then, else the model value; nullopt for a key path that
    // has neither.
    static std::optional<AnimationValue> presentationValue(const Layer& layer, std::string_view keyPath, double t);
    // What `view` shows for `property` at `t` (see ViewAnimations::presentationValue): nullopt when
    // no unfinished view animation covers it, in which case the model value shows.
    static std::optional<AnimationValue> presentationValue(const View& view, std::string_view property, double t);
};

} // namespace ui
