// The animation scene's tree, one unit: zelvan::marlin::MNCharacter, one node of the scene (a sprite or a
// shape): its keys, layer, 2-D transform and its 4x4 form, opacity, bounds, hit testing, responder trees and
// touch callbacks; and zelvan::marlin::MNSprite, the node that holds others, one per numbered layer.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/responder.h"

namespace ui {
class Event;
}
namespace gfx {
class Gles1Context;
}

namespace zelvan::marlin {

class MNSceneHost;
class MNSprite;

class MNCharacter : public std::enable_shared_from_this<MNCharacter> {
public:
    virtual ~MNCharacter();

    // The view the character is shown in, seen through what the scene needs of it.
    std::shared_ptr<MNSceneHost> animationView() const { return animationView_.lock(); }
    void setAnimationView(const std::shared_ptr<MNSceneHost>& view) { animationView_ = view; }

    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }
    // The name when set, else the instance key.
    std::string description() const;

    const std::string& libraryKey() const { return libraryKey_; }
    const std::string& instanceKey() const { return instanceKey_; }

    unsigned clipDepth() const { return clipDepth_; }
    void setClipDepth(unsigned depth) { clipDepth_ = depth; }
    bool isClipping() const { return clipDepth_ != 0; }

    // The layer this character occupies in its supersprite; none while not placed.
    std::optional<unsigned> layerNumber() const { return layerNumber_; }
    void setLayerNumber(std::optional<unsigned> layer) { layerNumber_ = layer; }

    // None when not placed, or once the supersprite has gone.
    std::shared_ptr<MNSprite> supersprite() const { return supersprite_.lock(); }

    // The 2-D transform, and its 4x4 form (m11..m44 in order) handed to the renderer.
    const gfx::AffineTransform& transform() const { return transform2D_; }
    void setTransform(const gfx::AffineTransform& transform);
    const std::array<float, 16>& transform3D() const { return transform3D_; }

    float opacity() const { return opacity_; }
    void setOpacity(float opacity) { opacity_ = opacity; }

    // Bounds in the character's own coordinates; sprites compute theirs from their children.
    virtual gfx::Rect bounds();
    void setBounds(gfx::Rect bounds) { bounds_ = bounds; }
    // The bounds taken through the transform (their bounding box), in the supersprite's coordinates.
    gfx::Rect frame();

    // Half-open bounds test of a point in the character's own coordinates.
    virtual bool containsPoint(gfx::Point point);
    // The deepest interactive character under `point` (in the supersprite's coordinates), this one
    // when no child takes it, or null when the point is outside.
    std::shared_ptr<MNCharacter> hitTest(gfx::Point point);

    // The direct children below which an interactive shape lies, in the order they were added.
    std::vector<std::shared_ptr<MNCharacter>> responderTrees() const;
    std::vector<std::shared_ptr<MNCharacter>> hittableSubcharacters() const { return responderTrees(); }
    void addResponderTree(const std::shared_ptr<MNCharacter>& child);
    void removeResponderTree(const std::shared_ptr<MNCharacter>& child);

    virtual void insertedIntoSupersprite(const std::shared_ptr<MNSprite>& sprite);
    virtual void removedFromSupersprite(const std::shared_ptr<MNSprite>& sprite);

    // Not stored: tells the supersprite to add or drop this character as a responder tree.
    void setUserInteractionEnabled(bool enabled);
    virtual bool userInteractionEnabled() const { return userInteractionEnabled_; }

    // The script text for a touch callback: the callback as a template whose one "%s" receives the
    // touch count and, per touch, its location in this character and in the animation view. None for
    // a none callback.
    std::optional<std::string> callbackString(const std::optional<std::string>& callback,
                                              const ui::TouchSet& touches) const;

    // The transform from this character's coordinates up to (not including) `sprite`; to the top of
    // the tree when `sprite` is null.
    gfx::AffineTransform transformRelativeToSprite(const MNSprite* sprite) const;
    gfx::Point convertPointToSprite(gfx::Point point, const MNSprite* sprite) const;
    gfx::Point convertPointFromSprite(gfx::Point point, const MNSprite* sprite) const;
    gfx::Rect convertRectToSprite(gfx::Rect rect, const MNSprite* sprite) const;
    gfx::Rect convertRectFromSprite(gfx::Rect rect, const MNSprite* sprite) const;

    // Scene dumps for debugging; they have no effect.
    void printSceneGraph() const { printSceneGraphWithDepth(0); }
    virtual void printSceneGraphWithDepth(int depth) const;

    // Draws the character under its transform with its effective opacity (its own times every
    // ancestor's) as the current colour; a character whose effective opacity is 0 is skipped, subtree
    // and all. The view's context is current.
    void transformAndRender(gfx::Gles1Context& gl);
    // The opacity multiplied by every ancestor's.
    float effectiveOpacity() const;

    // Hooks the subclasses override; the base does nothing.
    virtual void render(gfx::Gles1Context& gl);
    virtual void touchesBegan(const ui::TouchSet& touches, const ui::Event* event);
    virtual void touchesMoved(const ui::TouchSet& touches, const ui::Event* event);
    virtual void touchesEnded(const ui::TouchSet& touches, const ui::Event* event);

protected:
    MNCharacter(std::string libraryKey, std::string instanceKey);

    std::weak_ptr<MNSceneHost> animationView_;
    std::optional<std::string> name_;
    unsigned clipDepth_ = 0;
    std::optional<unsigned> layerNumber_;
    std::weak_ptr<MNSprite> supersprite_;
    std::string libraryKey_;
    std::string instanceKey_;
    gfx::Rect bounds_;
    gfx::AffineTransform transform2D_;
    std::array<float, 16> transform3D_{};
    float opacity_ = 1.0f;
    bool userInteractionEnabled_ = false;
    // Held weakly: the layer tables own the children.
    std::vector<std::weak_ptr<MNCharacter>> responderTrees_;
};

// MNSprite: a container of the animation scene holding one child per numbered layer, with clipping
// children, bounds computed from the children and the script's three touch callbacks.
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
