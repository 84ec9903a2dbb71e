// KeyframeAnimation: key-time validation and the value shown at a moment, found by locating the
// segment between two key times and pacing it with that segment's timing function.
#include "platform/ui/keyframe_animation.h"

#include <cmath>

namespace ui {

std::shared_ptr<KeyframeAnimation> KeyframeAnimation::animationWithKeyPath(std::string keyPath) {
    auto animation = std::make_shared<KeyframeAnimation>();
    animation->setKeyPath(std::move(keyPath));
    return animation;
}

bool KeyframeAnimation::hasValidKeyTimes() const {
    if (keyTimes_.empty()) {
        return true;
    }
    if (keyTimes_.size() != values_.size()) {
        return false;
    }
    double previous = 0;
    for (double t : keyTimes_) {
        if (!(t >= 0 && t <= 1) || t < previous) {
            return false;
        }
        previous = t;
    }
    return true;
}

std::optional<AnimationValue> KeyframeAnimation::valueAt(const std::string& keyPath, double elapsed,
                                                         const std::optional<AnimationValue>&, double fallback) const {
    if (keyPath != keyPath_ || values_.empty() || !hasValidKeyTimes()) {
        return std::nullopt;
    }
    std::optional<double> progress = progressAt(elapsed, fallback);
    if (!progress) {
        return std::nullopt;
    }
    size_t count = values_.size();
    auto keyTime = [&](size_t i) {
        return keyTimes_.empty() ? (count == 1 ? 0.0 : double(i) / double(count - 1)) : keyTimes_[i];
    };
    double p = *progress;
    if (count == 1 || p <= keyTime(0)) {
        return values_.front();
    }
    for (size_t i = 0; i + 1 < count; ++i) {
        double t0 = keyTime(i), t1 = keyTime(i + 1);
        if (p > t1) {
            continue;
        }
        double local = t1 > t0 ? (p - t0) / (t1 - t0) : 1;
        TimingFunction pace = i < timingFunctions_.size() ? timingFunctions_[i] : TimingFunction::Linear;
        return interpolate(values_[i], values_[i + 1], curveProgress(pace, local));
    }
    return values_.back();
}

} // namespace ui
