// Timing of layer animations (passes, repeats, reversal, speed, fill) and the values basic
// animations and groups give their key paths over time.
#include "platform/ui/basic_animation.h"

#include <algorithm>
#include <cmath>

namespace ui {

double Animation::effectiveDuration(double fallback) const {
    return duration_ > 0 && std::isfinite(duration_) ? duration_ : fallback;
}

double Animation::effectiveSpeed() const {
    return speed_ > 0 && std::isfinite(speed_) ? speed_ : 1.0;
}

double Animation::activeDuration(double fallback) const {
    double repeats = std::isnan(repeatCount_) ? 1.0 : std::max(repeatCount_, 1.0);
    return effectiveDuration(fallback) * repeats * (autoreverses_ ? 2 : 1) / effectiveSpeed();
}

std::optional<double> Animation::passTimeAt(double elapsed, double fallback) const {
    if (std::isnan(elapsed)) {
        return std::nullopt;
    }
    double active = activeDuration(fallback);
    bool before = elapsed < 0;
    bool after = elapsed >= active;
    if (before && fillMode_ != FillMode::Backwards && fillMode_ != FillMode::Both) {
        return std::nullopt;
    }
    if (after && fillMode_ != FillMode::Forwards && fillMode_ != FillMode::Both) {
        return std::nullopt;
    }
    double d = effectiveDuration(fallback);
    double cycle = d * (autoreverses_ ? 2 : 1);
    double local = std::clamp(elapsed, 0.0, active) * effectiveSpeed() + timeOffset_;
    double phase = std::fmod(local, cycle);
    if (phase < 0) {
        phase += cycle;
    }
    // The end of a pass lands exactly on a cycle boundary: it shows the pass's last value, not the
    // first value of a pass that never runs.
    if (phase == 0 && after && local > 0) {
        phase = cycle;
    }
    if (phase > d) {
        phase = cycle - phase; // running backwards
    }
    return phase;
}

std::optional<double> Animation::progressAt(double elapsed, double fallback) const {
    std::optional<double> time = passTimeAt(elapsed, fallback);
    if (!time) {
        return std::nullopt;
    }
    return curveProgress(timingFunction_, *time / effectiveDuration(fallback));
}

std::shared_ptr<BasicAnimation> BasicAnimation::animationWithKeyPath(std::string keyPath) {
    auto animation = std::make_shared<BasicAnimation>();
    animation->setKeyPath(std::move(keyPath));
    return animation;
}

std::optional<AnimationValue> BasicAnimation::valueAt(const std::string& keyPath, double elapsed,
                                                      const std::optional<AnimationValue>& model,
                                                      double fallback) const {
    if (keyPath != keyPath_) {
        return std::nullopt;
    }
    std::optional<double> progress = progressAt(elapsed, fallback);
    const std::optional<AnimationValue>& from = fromValue_ ? fromValue_ : model;
    const std::optional<AnimationValue>& to = toValue_ ? toValue_ : model;
    if (!progress || !from || !to) {
        return std::nullopt;
    }
    return interpolate(*from, *to, *progress);
}

std::shared_ptr<AnimationGroup> AnimationGroup::animation() {
    return std::make_shared<AnimationGroup>();
}

std::optional<AnimationValue> AnimationGroup::valueAt(const std::string& keyPath, double elapsed,
                                                      const std::optional<AnimationValue>& model,
                                                      double fallback) const {
    std::optional<double> progress = progressAt(elapsed, fallback);
    if (!progress) {
        return std::nullopt;
    }
    // The group's pacing warps the time its animations see.
    double duration = effectiveDuration(fallback);
    double local = *progress * duration;
    std::optional<AnimationValue> value;
    for (const AnimationPtr& animation : animations_) {
        if (!animation) {
            continue;
        }
        std::optional<AnimationValue> v = animation->valueAt(keyPath, local - animation->beginTime(), model, duration);
        if (v) {
            value = std::move(v); // later animations win
        }
    }
    return value;
}

std::shared_ptr<Transition> Transition::animation() {
    return std::make_shared<Transition>();
}

std::optional<AnimationValue> Transition::valueAt(const std::string&, double, const std::optional<AnimationValue>&,
                                                  double) const {
    return std::nullopt;
}

} // namespace ui
