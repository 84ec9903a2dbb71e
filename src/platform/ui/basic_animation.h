// Layer animations: the shared timing of Animation, BasicAnimation (one key path from a value to a
// value), AnimationGroup (several animations on one timeline) and Transition (a fade of the whole
// layer), with the delegate that hears when an animation starts and stops.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/object.h"
#include "platform/ui/animation_value.h"

namespace ui {

class Animation;
using AnimationPtr = std::shared_ptr<Animation>;

// Which values show outside the active time: Forwards keeps the end value afterwards (only while
// the animation stays attached, i.e. with removedOnCompletion false), Backwards shows the start
// value before beginTime.
enum class FillMode { Removed, Forwards, Backwards, Both };

class AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStart(const AnimationPtr& /*animation*/) {}
    virtual void animationDidStop(const AnimationPtr& /*animation*/, bool /*finished*/) {}
};

class Animation : public fnd::Object {
public:
    // The duration used when none is set.
    static constexpr double kDefaultDuration = 0.25;

    std::string className() const override { return "Animation"; }

    // Seconds of one pass; 0 (or less, or not a number) means kDefaultDuration.
    double duration() const { return duration_; }
    void setDuration(double seconds) { duration_ = seconds; }
    // Seconds after being added to a layer (or, inside a group, after the group's start) at which
    // the animation begins.
    double beginTime() const { return beginTime_; }
    void setBeginTime(double seconds) { beginTime_ = seconds; }
    // Shifts the animation's local time: it starts this many seconds into its cycle.
    double timeOffset() const { return timeOffset_; }
    void setTimeOffset(double seconds) { timeOffset_ = seconds; }
    // Passes; 0 means one; fractions allowed; infinity repeats forever.
    double repeatCount() const { return repeatCount_; }
    void setRepeatCount(double count) { repeatCount_ = count; }
    // Each pass runs forwards and then backwards.
    bool autoreverses() const { return autoreverses_; }
    void setAutoreverses(bool autoreverses) { autoreverses_ = autoreverses; }
    // A speed of 0 or less counts as 1.
    double speed() const { return speed_; }
    void setSpeed(double speed) { speed_ = speed; }
    bool isRemovedOnCompletion() const { return removedOnCompletion_; }
    void setRemovedOnCompletion(bool removed) { removedOnCompletion_ = removed; }
    FillMode fillMode() const { return fillMode_; }
    void setFillMode(FillMode mode) { fillMode_ = mode; }
    TimingFunction timingFunction() const { return timingFunction_; }
    void setTimingFunction(TimingFunction function) { timingFunction_ = function; }
    // Held weakly; a delegate that has died hears nothing.
    std::shared_ptr<AnimationDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<AnimationDelegate> delegate) { delegate_ = std::move(delegate); }

    // Derived timing. `fallback` is the duration used when none is set: kDefaultDuration for an
    // animation added to a layer, the group's duration for an animation inside a group.
    double effectiveDuration(double fallback = kDefaultDuration) const;
    double effectiveSpeed() const;
    // Seconds from begin to the end of every pass, in the parent's time: duration x max(repeatCount,
    // 1) x (autoreverses ? 2 : 1) / speed; infinite when it repeats forever.
    double activeDuration(double fallback = kDefaultDuration) const;
    // The pass progress (0...1, paced by the timing function) at `elapsed` seconds of the parent's
    // time since the begin, or nullopt when the animation shows nothing then (before its begin or
    // after its end without the matching fill mode).
    std::optional<double> progressAt(double elapsed, double fallback = kDefaultDuration) const;
    // The same moment as seconds into the current pass (0...effectiveDuration, before pacing).
    std::optional<double> passTimeAt(double elapsed, double fallback = kDefaultDuration) const;

    // The value this animation gives `keyPath` at `elapsed` seconds of the parent's time since the
    // animation's begin (negative before it); `model` is the layer's model value. Nullopt when the
    // animation does not touch the key path then. `fallback` as for effectiveDuration.
    virtual std::optional<AnimationValue> valueAt(const std::string& keyPath, double elapsed,
                                                  const std::optional<AnimationValue>& model,
                                                  double fallback = kDefaultDuration) const = 0;

private:
    double duration_ = 0;
    double beginTime_ = 0;
    double timeOffset_ = 0;
    double repeatCount_ = 0;
    bool autoreverses_ = false;
    double speed_ = 1;
    bool removedOnCompletion_ = true;
    FillMode fillMode_ = FillMode::Removed;
    TimingFunction timingFunction_ = TimingFunction::Default;
    std::weak_ptr<AnimationDelegate> delegate_;
};

class BasicAnimation : public Animation {
public:
    static std::shared_ptr<BasicAnimation> animationWithKeyPath(std::string keyPath);

    std::string className() const override { return "BasicAnimation"; }

    const std::string& keyPath() const { return keyPath_; }
    void setKeyPath(std::string keyPath) { keyPath_ = std::move(keyPath); }
    // A missing from or to value stands for the layer's model value.
    const std::optional<AnimationValue>& fromValue() const { return fromValue_; }
    void setFromValue(std::optional<AnimationValue> value) { fromValue_ = std::move(value); }
    const std::optional<AnimationValue>& toValue() const { return toValue_; }
    void setToValue(std::optional<AnimationValue> value) { toValue_ = std::move(value); }

    std::optional<AnimationValue> valueAt(const std::string& keyPath, double elapsed,
                                          const std::optional<AnimationValue>& model,
                                          double fallback = kDefaultDuration) const override;

private:
    std::string keyPath_;
    std::optional<AnimationValue> fromValue_;
    std::optional<AnimationValue> toValue_;
};

// Its animations run on the group's timeline (their beginTime counts from the group's start), take
// the group's duration when they have none, and are cut off at the end of the group's pass. Only the group's delegate
// hears callbacks.
class AnimationGroup : public Animation {
public:
    static std::shared_ptr<AnimationGroup> animation();

    std::string className() const override { return "AnimationGroup"; }

    const std::vector<AnimationPtr>& animations() const { return animations_; }
    void setAnimations(std::vector<AnimationPtr> animations) { animations_ = std::move(animations); }

    std::optional<AnimationValue> valueAt(const std::string& keyPath, double elapsed,
                                          const std::optional<AnimationValue>& model,
                                          double fallback = kDefaultDuration) const override;

private:
    std::vector<AnimationPtr> animations_;
};

enum class TransitionType { Fade, MoveIn, Push, Reveal };
// The side the new appearance comes from (MoveIn, Push) or the old one leaves towards (Reveal).
enum class TransitionSubtype { FromLeft, FromRight, FromTop, FromBottom };

// A transition between the layer's old and new appearance. Headless rendering shows the new
// appearance at once; the transition is timed and logged like any animation.
class Transition : public Animation {
public:
    static std::shared_ptr<Transition> animation();

    std::string className() const override { return "Transition"; }

    TransitionType type() const { return type_; }
    void setType(TransitionType type) { type_ = type; }
    // None by default.
    std::optional<TransitionSubtype> subtype() const { return subtype_; }
    void setSubtype(std::optional<TransitionSubtype> subtype) { subtype_ = subtype; }

    std::optional<AnimationValue> valueAt(const std::string& keyPath, double elapsed,
                                          const std::optional<AnimationValue>& model,
                                          double fallback = kDefaultDuration) const override;

private:
    TransitionType type_ = TransitionType::Fade;
    std::optional<TransitionSubtype> subtype_;
};

} // namespace ui
