// ui::KeyframeAnimation: one key path through a list of values, each reached at its key time, with
// a timing function per segment.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/basic_animation.h"

namespace ui {

class KeyframeAnimation : public Animation {
public:
    static std::shared_ptr<KeyframeAnimation> animationWithKeyPath(std::string keyPath);

    std::string className() const override { return "KeyframeAnimation"; }

    const std::string& keyPath() const { return keyPath_; }
    void setKeyPath(std::string keyPath) { keyPath_ = std::move(keyPath); }
    const std::vector<AnimationValue>& values() const { return values_; }
    void setValues(std::vector<AnimationValue> values) { values_ = std::move(values); }
    // Fractions of the pass (0...1, non-decreasing) at which each value is reached; empty spaces the
    // values evenly.
    const std::vector<double>& keyTimes() const { return keyTimes_; }
    void setKeyTimes(std::vector<double> keyTimes) { keyTimes_ = std::move(keyTimes); }
    // One per segment between values; a segment without one is linear.
    const std::vector<TimingFunction>& timingFunctions() const { return timingFunctions_; }
    void setTimingFunctions(std::vector<TimingFunction> functions) { timingFunctions_ = std::move(functions); }

    // Whether the key times can be used: empty, or one per value, each within 0...1 and none
    // smaller than the one before. Layers refuse an animation whose key times are not.
    bool hasValidKeyTimes() const;

    std::optional<AnimationValue> valueAt(const std::string& keyPath, double elapsed,
                                          const std::optional<AnimationValue>& model,
                                          double fallback = kDefaultDuration) const override;

private:
    std::string keyPath_;
    std::vector<AnimationValue> values_;
    std::vector<double> keyTimes_;
    std::vector<TimingFunction> timingFunctions_;
};

} // namespace ui
