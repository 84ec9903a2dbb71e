// MNSprite: layer placement and removal, the sorted child cache, bounds from the children's frames
// and the touch callbacks that make the sprite's shapes interactive.
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_log_channel.h"
#include "ads/marlin/animation/mn_shape.h"

namespace zelvan::marlin {

MNSprite::MNSprite(std::string instanceKey) : MNCharacter(std::string(), std::move(instanceKey)) {}

std::shared_ptr<MNSprite> MNSprite::create(gfx::Rect /*frame*/, std::string instanceKey) {
    return std::make_shared<MNSprite>(std::move(instanceKey));
}

void MNSprite::placeObj(const std::shared_ptr<MNCharacter>& object, unsigned layer) {
    if (object == nullptr) {
        return;
    }
    // A sprite inside its own subtree would make every walk of the tree endless.
    for (std::shared_ptr<MNCharacter> up = shared_from_this(); up != nullptr; up = up->supersprite()) {
        if (up == object) {
            ZLOG_TO(kMarlinLog, Warn, "MNSprite: %s cannot be placed inside itself", object->description());
            return;
        }
    }
    // A character lives in one sprite at a time: leaving its old place first keeps that sprite's
    // later removal from clearing the supersprite it gets here.
    if (auto old = object->supersprite()) {
        old->removeObject(object);
    }
    removeObjectAtLayer(layer);
    object->setLayerNumber(layer);
    characters_[layer] = object;
    object->insertedIntoSupersprite(std::static_pointer_cast<MNSprite>(shared_from_this()));
    sortedValid_ = false;
    setNeedsUpdatedBounds();
    updateSubshapeUserInteraction();
}

void MNSprite::placeClippingObj(const std::shared_ptr<MNCharacter>& object, unsigned location, unsigned length) {
    if (object == nullptr) {
        return;
    }
    object->setClipDepth(length);
    placeObj(object, location);
    hasClipping_ = true;
}

std::shared_ptr<MNCharacter> MNSprite::objectAtLayer(unsigned layer) const {
    auto it = characters_.find(layer);
    return it != characters_.end() ? it->second : nullptr;
}

void MNSprite::removeObjectAtLayer(unsigned layer) {
    auto it = characters_.find(layer);
    if (it != characters_.end()) {
        std::shared_ptr<MNCharacter> occupant = it->second;
        occupant->setLayerNumber(std::nullopt);
        characters_.erase(it);
        occupant->removedFromSupersprite(std::static_pointer_cast<MNSprite>(shared_from_this()));
    }
    sortedValid_ = false;
    setNeedsUpdatedBounds();
}

void MNSprite::removeObject(const std::shared_ptr<MNCharacter>& object) {
    for (const auto& [layer, child] : characters_) {
        if (child == object) {
            removeObjectAtLayer(layer);
            return;
        }
    }
}

const std::vector<std::shared_ptr<MNCharacter>>& MNSprite::sortedCharacters() {
    if (!sortedValid_) {
        sortedCharacters_.clear();
        sortedCharacters_.reserve(characters_.size());
        for (const auto& entry : characters_) {
            sortedCharacters_.push_back(entry.second);
        }
        sortedValid_ = true;
    }
    return sortedCharacters_;
}

gfx::Rect MNSprite::bounds() {
    if (needsUpdatedBounds_ && !characters_.empty()) {
        gfx::Rect united;
        bool first = true;
        for (const auto& entry : characters_) {
            const gfx::Rect childFrame = entry.second->frame();
            united = first ? childFrame : united.unionRect(childFrame);
            first = false;
        }
        bounds_ = united;
        needsUpdatedBounds_ = false;
    }
    return bounds_;
}

void MNSprite::setNeedsUpdatedBounds() {
    for (std::shared_ptr<MNSprite> sprite = std::static_pointer_cast<MNSprite>(shared_from_this()); sprite != nullptr;
         sprite = sprite->supersprite()) {
        sprite->needsUpdatedBounds_ = true;
    }
}

void MNSprite::setTouchBeganCallback(std::optional<std::string> callback) {
    touchBeganCallback_ = std::move(callback);
    updateSubshapeUserInteraction();
}

void MNSprite::setTouchMovedCallback(std::optional<std::string> callback) {
    touchMovedCallback_ = std::move(callback);
    updateSubshapeUserInteraction();
}

void MNSprite::setTouchEndedCallback(std::optional<std::string> callback) {
    touchEndedCallback_ = std::move(callback);
    updateSubshapeUserInteraction();
}

void MNSprite::updateSubshapeUserInteraction() {
    const bool enabled = hasTouchCallback();
    // A copy: enabling a child reaches up through the responder trees, never into this table.
    const auto children = characters_;
    for (const auto& entry : children) {
        if (dynamic_cast<MNShape*>(entry.second.get()) != nullptr) {
            entry.second->setUserInteractionEnabled(enabled);
        }
    }
}

void MNSprite::printSceneGraphWithDepth(int depth) const {
    for (const auto& entry : characters_) {
        entry.second->printSceneGraphWithDepth(depth + 1);
    }
}

} // namespace zelvan::marlin
