// MNAnimationView: the libraries and the instance registries with their creation and replacement rules,
// and touch dispatch to the interactive shapes. Reading the library's files is in mn_library_files.cpp.
#include "ads/marlin/animation/mn_animation_view.h"

#include <algorithm>
#include <iterator>

#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_pattern.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/ui/touch.h"

namespace zelvan::marlin {

namespace {

std::vector<std::string> keysOf(const std::shared_ptr<fnd::Dictionary>& dict) {
    std::vector<std::string> keys;
    if (dict != nullptr) {
        keys.reserve(dict->count());
        for (const fnd::Key& key : dict->allKeys()) {
            keys.push_back(key.text());
        }
    }
    return keys;
}

} // namespace

std::shared_ptr<fnd::Dictionary> MNAnimationView::entryOf(const std::shared_ptr<fnd::Dictionary>& dict,
                                                          const std::string& key) {
    if (dict == nullptr) {
        return nullptr;
    }
    const fnd::Value* value = dict->find(fnd::Key(key));
    return value != nullptr ? value->asDictionary() : nullptr;
}

void MNAnimationView::initWithFrame(gfx::Rect frame) {
    MNEAGLView::initWithFrame(frame);
    reset();
}

void MNAnimationView::reset() {
    cancelLoads();
    setBackgroundColor(gfx::Color::clear());
    rootSprite_.reset();
    patternLibrary_.reset();
    shapeLibrary_.reset();
    activePatterns_ = {};
    activeCharacters_ = {};
    activePatterns_.reserve(kRegistryCapacity);
    activeCharacters_.reserve(kRegistryCapacity);
    rootSprite_ = MNSprite::create(bounds(), kRootKey);
    rootSprite_->setName(std::string(kRootKey));
    rootSprite_->setAnimationView(self<MNAnimationView>());
    activeCharacters_[kRootKey] = rootSprite_;
}

std::shared_ptr<fnd::Dictionary> MNAnimationView::patternPropertiesWithKey(const std::string& key) const {
    return entryOf(patternLibrary_, key);
}

std::shared_ptr<fnd::Dictionary> MNAnimationView::shapePropertiesWithKey(const std::string& key) const {
    return entryOf(shapeLibrary_, key);
}

std::vector<std::string> MNAnimationView::patternLibraryKeys() const {
    return keysOf(patternLibrary_);
}

std::vector<std::string> MNAnimationView::shapeLibraryKeys() const {
    return keysOf(shapeLibrary_);
}

std::shared_ptr<MNCharacter> MNAnimationView::characterInstanceWithKey(const std::string& key) const {
    auto it = activeCharacters_.find(key);
    return it != activeCharacters_.end() ? it->second : nullptr;
}

std::shared_ptr<MNPattern> MNAnimationView::patternInstanceWithKey(const std::string& key, const std::string& entry,
                                                                   bool createIfNecessary) {
    auto it = activePatterns_.find(key);
    if (it != activePatterns_.end()) {
        return it->second;
    }
    if (!createIfNecessary) {
        return nullptr;
    }
    auto pattern = MNPattern::create(entry, key, self<MNAnimationView>());
    activePatterns_[key] = pattern;
    return pattern;
}

std::shared_ptr<MNCharacter> MNAnimationView::shapeInstanceWithKey(const std::string& key, const std::string& entry,
                                                                   bool createIfNecessary) {
    auto existing = characterInstanceWithKey(key);
    if (dynamic_cast<MNShape*>(existing.get()) != nullptr || !createIfNecessary) {
        return existing;
    }
    auto shape = MNShape::create(entry, key, self<MNAnimationView>());
    activeCharacters_[key] = shape;
    return shape;
}

std::shared_ptr<MNShape> MNAnimationView::shapeInstanceWithKeyFromEntryOverrideFill(const std::string& key,
                                                                                    const std::string& entry,
                                                                                    const std::string& fillKey) {
    auto shape = MNShape::create(entry, key, self<MNAnimationView>(), fillKey, std::nullopt);
    activeCharacters_[key] = shape;
    return shape;
}

std::shared_ptr<MNCharacter> MNAnimationView::spriteInstanceWithKey(const std::string& key, bool createIfNecessary) {
    auto existing = characterInstanceWithKey(key);
    if (dynamic_cast<MNSprite*>(existing.get()) != nullptr || !createIfNecessary) {
        return existing;
    }
    auto sprite = MNSprite::create(gfx::Rect(0, 0, 1, 1), key);
    sprite->setName(key);
    sprite->setAnimationView(self<MNAnimationView>());
    activeCharacters_[key] = sprite;
    return sprite;
}

std::vector<std::pair<std::shared_ptr<MNCharacter>, ui::TouchSet>>
MNAnimationView::touchesForCharacters(const ui::TouchSet& touches, const std::shared_ptr<MNSprite>& rootSprite) const {
    std::vector<std::pair<std::shared_ptr<MNCharacter>, ui::TouchSet>> groups;
    if (rootSprite == nullptr) {
        return groups;
    }
    for (const auto& touch : touches) {
        const gfx::Point p = touch->locationInView(this);
        auto hit = rootSprite->hitTest(p);
        if (hit == nullptr || !hit->userInteractionEnabled()) {
            continue;
        }
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == hit; });
        if (group == groups.end()) {
            groups.emplace_back(hit, ui::TouchSet());
            groups.back().second.reserve(touches.size());
            group = std::prev(groups.end());
        }
        group->second.push_back(touch);
    }
    return groups;
}

void MNAnimationView::performSceneAction(const fnd::Value& script) {
    if (auto listener = delegate()) {
        listener->animationViewPerformedAction(*this, script);
    }
}

void MNAnimationView::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    for (const auto& [character, set] : touchesForCharacters(touches, rootSprite_)) {
        character->touchesBegan(set, event);
    }
}

void MNAnimationView::touchesMoved(const ui::TouchSet& touches, const ui::Event* event) {
    for (const auto& [character, set] : touchesForCharacters(touches, rootSprite_)) {
        character->touchesMoved(set, event);
    }
}

void MNAnimationView::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    for (const auto& [character, set] : touchesForCharacters(touches, rootSprite_)) {
        character->touchesEnded(set, event);
    }
}

} // namespace zelvan::marlin
