// Layer animations attached to a layer: timing fixed when added, did-start and did-stop delivered
// as run-loop events on the main loop (so the process clock drives them), replacement and removal
// giving did-stop(false) on the next pass, and the log entry written when an animation is added.
#include <cmath>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/keyframe_animation.h"
#include "platform/ui/layer.h"

namespace ui {
namespace {

uint64_t nextSerial() {
    static uint64_t serial = 0;
    return ++serial;
}

void notifyStopped(const AnimationPtr& animation, bool finished) {
    if (std::shared_ptr<AnimationDelegate> delegate = animation->delegate()) {
        delegate->animationDidStop(animation, finished);
    }
}

// Posts did-stop(false) for the next pass. The captured animation stays alive until then.
void postInterrupted(const AnimationPtr& animation) {
    fnd::RunLoop::main().performAfter(0, [animation] { notifyStopped(animation, false); });
}

void describe(const Layer& layer, const Animation& animation, std::vector<AnimatedProperty>& out,
              const std::weak_ptr<fnd::Object>& target) {
    if (auto basic = dynamic_cast<const BasicAnimation*>(&animation)) {
        std::optional<AnimationValue> model = layer.valueForKeyPath(basic->keyPath());
        out.push_back({target, basic->keyPath(), basic->fromValue() ? basic->fromValue() : model,
                       basic->toValue() ? basic->toValue() : model});
    } else if (auto keyframes = dynamic_cast<const KeyframeAnimation*>(&animation)) {
        const std::vector<AnimationValue>& values = keyframes->values();
        std::optional<AnimationValue> first, last;
        if (!values.empty()) {
            first = values.front(), last = values.back();
        }
        out.push_back({target, keyframes->keyPath(), first, last});
    } else if (auto group = dynamic_cast<const AnimationGroup*>(&animation)) {
        for (const AnimationPtr& child : group->animations()) {
            if (child) {
                describe(layer, *child, out, target);
            }
        }
    }
}

// Whether every keyframe animation in `animation` (or in its groups) has usable key times.
bool keyTimesUsable(const Animation& animation) {
    if (auto keyframes = dynamic_cast<const KeyframeAnimation*>(&animation)) {
        return keyframes->hasValidKeyTimes();
    }
    if (auto group = dynamic_cast<const AnimationGroup*>(&animation)) {
        for (const AnimationPtr& child : group->animations()) {
            if (child && !keyTimesUsable(*child)) {
                return false;
            }
        }
    }
    return true;
}

const char* transitionName(TransitionType type) {
    switch (type) {
    case TransitionType::Fade:
        return "fade";
    case TransitionType::MoveIn:
        return "moveIn";
    case TransitionType::Push:
        return "push";
    case TransitionType::Reveal:
        return "reveal";
    }
    return "";
}

const char* subtypeName(TransitionSubtype subtype) {
    switch (subtype) {
    case TransitionSubtype::FromLeft:
        return "fromLeft";
    case TransitionSubtype::FromRight:
        return "fromRight";
    case TransitionSubtype::FromTop:
        return "fromTop";
    case TransitionSubtype::FromBottom:
        return "fromBottom";
    }
    return "";
}

} // namespace

Layer::~Layer() {
    for (AttachedAnimation& attached : animations_) {
        attached.startPerform.cancel();
        attached.stopPerform.cancel();
        if (!attached.stopped) {
            postInterrupted(attached.animation);
        }
    }
}

void Layer::addAnimation(const AnimationPtr& animation, const std::string& key) {
    if (!animation) {
        ZLOG(Warn, "Layer: ignoring a null animation for key '%s'", key);
        return;
    }
    if (!keyTimesUsable(*animation)) {
        ZLOG(Warn, "Layer: refusing animation '%s': key times outside 0...1, decreasing or not one per value", key);
        return;
    }
    if (!key.empty()) {
        for (size_t i = 0; i < animations_.size(); ++i) {
            if (animations_[i].key == key) {
                detachAnimation(i);
                break;
            }
        }
    }
    double now = fnd::Clock::monotonic();
    double begin = std::isfinite(animation->beginTime()) ? animation->beginTime() : 0;
    AttachedAnimation attached;
    attached.key = key;
    attached.animation = animation;
    attached.addedAt = now;
    attached.beginAt = now + begin;
    attached.endAt = attached.beginAt + animation->activeDuration();
    attached.serial = nextSerial();

    std::weak_ptr<Layer> weak = std::static_pointer_cast<Layer>(shared_from_this());
    uint64_t serial = attached.serial;
    fnd::RunLoop& loop = fnd::RunLoop::main();
    attached.startPerform = loop.performAfter(std::max(begin, 0.0), [weak, serial] {
        if (LayerPtr layer = weak.lock()) {
            layer->startAnimation(serial);
        }
    });
    if (std::isfinite(attached.endAt)) {
        attached.stopPerform = loop.performAfter(std::max(attached.endAt - now, 0.0), [weak, serial] {
            if (LayerPtr layer = weak.lock()) {
                layer->finishAnimation(serial);
            }
        });
    }
    animations_.push_back(std::move(attached));

    AnimationLogEntry entry;
    entry.kind = AnimationLogEntry::Kind::LayerAnimation;
    entry.name = key;
    entry.time = now;
    entry.duration = animation->effectiveDuration();
    entry.delay = begin;
    entry.timingFunction = animation->timingFunction();
    entry.animationClass = animation->className();
    entry.repeatCount = animation->repeatCount();
    entry.autoreverses = animation->autoreverses();
    entry.speed = animation->effectiveSpeed();
    if (auto transition = dynamic_cast<const Transition*>(animation.get())) {
        entry.transition = transitionName(transition->type());
        if (transition->subtype()) {
            entry.transitionSubtype = subtypeName(*transition->subtype());
        }
    }
    describe(*this, *animation, entry.properties, weak_from_this());
    AnimationLog::append(std::move(entry));
}

void Layer::startAnimation(uint64_t serial) {
    for (const AttachedAnimation& attached : animations_) {
        if (attached.serial == serial) {
            AnimationPtr animation = attached.animation;
            if (std::shared_ptr<AnimationDelegate> delegate = animation->delegate()) {
                delegate->animationDidStart(animation);
            }
            return;
        }
    }
}

void Layer::finishAnimation(uint64_t serial) {
    for (size_t i = 0; i < animations_.size(); ++i) {
        if (animations_[i].serial != serial) {
            continue;
        }
        AnimationPtr animation = animations_[i].animation;
        if (animation->isRemovedOnCompletion()) {
            animations_.erase(animations_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            animations_[i].stopped = true;
        }
        // The delegate may add or remove animations, or drop the last reference to this layer.
        LayerPtr keep = std::static_pointer_cast<Layer>(shared_from_this());
        notifyStopped(animation, true);
        return;
    }
}

void Layer::detachAnimation(size_t index) {
    AttachedAnimation attached = std::move(animations_[index]);
    animations_.erase(animations_.begin() + static_cast<std::ptrdiff_t>(index));
    attached.startPerform.cancel();
    attached.stopPerform.cancel();
    if (!attached.stopped) {
        postInterrupted(attached.animation);
    }
}

void Layer::removeAnimationForKey(const std::string& key) {
    if (key.empty()) {
        return;
    }
    for (size_t i = 0; i < animations_.size(); ++i) {
        if (animations_[i].key == key) {
            detachAnimation(i);
            return;
        }
    }
}

void Layer::removeAllAnimations() {
    while (!animations_.empty()) {
        detachAnimation(0);
    }
}

AnimationPtr Layer::animationForKey(const std::string& key) const {
    if (key.empty()) {
        return nullptr;
    }
    for (const AttachedAnimation& attached : animations_) {
        if (attached.key == key) {
            return attached.animation;
        }
    }
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    for (const AttachedAnimation& attached : animations_) {
        if (!attached.key.empty()) {
            keys.push_back(attached.key);
        }
    }
    return keys;
}

} // namespace ui
