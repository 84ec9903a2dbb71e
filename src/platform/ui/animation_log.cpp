// The animation log's storage and the presentation values of layers.
#include "platform/ui/animation_log.h"

#include <deque>

#include "platform/ui/basic_animation.h"
#include "platform/ui/layer.h"

namespace ui {
namespace {

std::deque<AnimationLogEntry>& storage() {
    static std::deque<AnimationLogEntry> entries;
    return entries;
}

} // namespace

std::vector<AnimationLogEntry> AnimationLog::entries() {
    return {storage().begin(), storage().end()};
}

void AnimationLog::clear() {
    storage().clear();
}

void AnimationLog::append(AnimationLogEntry entry) {
    auto& entries = storage();
    entries.push_back(std::move(entry));
    while (entries.size() > kCapacity) {
        entries.pop_front();
    }
}

std::optional<AnimationValue> AnimationLog::presentationValue(const Layer& layer, std::string_view keyPath, double t) {
    std::optional<AnimationValue> model = layer.valueForKeyPath(keyPath);
    std::optional<AnimationValue> value = model;
    std::string path(keyPath);
    for (const Layer::AttachedAnimation& attached : layer.attachedAnimations()) {
        std::optional<AnimationValue> v = attached.animation->valueAt(path, t - attached.beginAt, model);
        if (v) {
            value = std::move(v);
        }
    }
    return value;
}

} // namespace ui
