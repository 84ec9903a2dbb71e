// zelvan::marlin::MNSprite: a container of the animation scene holding one child per numbered layer, with
// clipping children, bounds computed from the children and the script's three touch callbacks.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/marlin/animation/mn_character.h"

namespace zelvan::marlin {

class MNSprite : public MNCharacter {
public:
    // The frame is not kept: a sprite's bounds come from its children.
    static std::shared_ptr<MNSprite> create(gfx::Rect frame, std::string instanceKey);

    // Places `object` on `layer`, first removing whatever occupies that layer and taking the object
    // out of any sprite it was in. Placing a sprite inside itself or its own subtree is refused.
    void placeObj(const std::shared_ptr<MNCharacter>& object, unsigned layer);
    // Places a clipping object on the first layer of the range that masks the `length` layers above it.
    void placeClippingObj(const std::shared_ptr<MNCharacter>& object, unsigned location, unsigned length);
    std::shared_ptr<MNCharacter> objectAtLayer(unsigned layer) const;
    void removeObjectAtLayer(unsigned layer);
    void removeObject(const std::shared_ptr<MNCharacter>& object);

    // Layer -> child.
    const std::map<unsigned, std::shared_ptr<MNCharacter>>& characters() const { return characters_; }
    // The children in ascending layer order (cached until a child is placed or removed).
    const std::vector<std::shared_ptr<MNCharacter>>& sortedCharacters();

    gfx::Rect bounds() override;
    // Marks this sprite's bounds and every supersprite's as stale.
    void setNeedsUpdatedBounds();

    const std::optional<std::string>& touchBeganCallback() const { return touchBeganCallback_; }
    const std::optional<std::string>& touchMovedCallback() const { return touchMovedCallback_; }
    const std::optional<std::string>& touchEndedCallback() const { return touchEndedCallback_; }
    void setTouchBeganCallback(std::optional<std::string> callback);
    void setTouchMovedCallback(std::optional<std::string> callback);
    void setTouchEndedCallback(std::optional<std::string> callback);
    bool hasTouchCallback() const { return touchBeganCallback_ || touchMovedCallback_ || touchEndedCallback_; }

    bool usesPathChecking() const { return usePathChecking_; }
    void setUsePathChecking(bool use) { usePathChecking_ = use; }
    bool hasClipping() const { return hasClipping_; }

    // Enables or disables every child shape as a responder, by whether any callback is set.
    void updateSubshapeUserInteraction();

    void printSceneGraphWithDepth(int depth) const override;

    // Draws the children in layer order; clipping children mask the layers above them through the
    // depth buffer and are never drawn visibly.
    void render(gfx::Gles1Context& gl) override;

    explicit MNSprite(std::string instanceKey);

private:
    std::map<unsigned, std::shared_ptr<MNCharacter>> characters_;
    std::vector<std::shared_ptr<MNCharacter>> sortedCharacters_;
    bool sortedValid_ = false;
    std::optional<std::string> touchBeganCallback_;
    std::optional<std::string> touchMovedCallback_;
    std::optional<std::string> touchEndedCallback_;
    bool usePathChecking_ = false;
    bool needsUpdatedBounds_ = false;
    bool hasClipping_ = false;
    // Render-time scratch of the clipping pass, made on the first clipped render.
    std::vector<std::shared_ptr<MNCharacter>> activeClippingSet_;
    std::vector<std::shared_ptr<MNCharacter>> newClippingObjects_;
    std::vector<std::shared_ptr<MNCharacter>> oldClippingObjects_;
};

} // namespace zelvan::marlin
