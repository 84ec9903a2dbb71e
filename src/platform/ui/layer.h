// ui::Layer: a node of the layer tree (one behind every view, plus standalone sublayers) with its
// geometry, appearance and contents, rendering itself and its sublayers into a y-down context, and
// holding the layer animations added to it (which never change its model values).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/object.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/color.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/ui/animation_value.h"
#include "platform/ui/transform3d.h"

namespace ui {

class Animation;
class Layer;
using LayerPtr = std::shared_ptr<Layer>;
using AnimationPtr = std::shared_ptr<Animation>;

// Where the contents image goes within the bounds. Top means the minimum y of the (y-down) bounds.
enum class ContentsGravity {
    Resize,           // scaled to fill the bounds (the default)
    ResizeAspect,     // scaled to fit, aspect kept, centred
    ResizeAspectFill, // scaled to cover, aspect kept, centred (clipped by masksToBounds only)
    Center,
    Top,
    Bottom,
    Left,
    Right,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// Draws `draw` as one group composited with `alpha` (clamped to 0...1), so overlapping parts of the
// group do not show through each other: the group renders into a scratch surface with the same
// transform, which is then drawn over the context with that alpha (inside the context's clip).
void renderTransparencyGroup(gfx::Context& context, double alpha, const std::function<void(gfx::Context&)>& draw);

class Layer : public fnd::Object {
public:
    static LayerPtr create();
    Layer();
    // Animations still attached hear animationDidStop(anim, false) on the next pass.
    ~Layer() override;

    std::string className() const override { return "Layer"; }

    // --- Tree ---
    // Appends `layer` (first removing it from its old superlayer). Adding a layer to itself or to
    // one of its own sublayers is refused with a log line.
    void addSublayer(const LayerPtr& layer);
    // Inserts at `index` (clamped to the number of sublayers).
    void insertSublayer(const LayerPtr& layer, size_t index);
    void removeFromSuperlayer();
    // Back to front.
    const std::vector<LayerPtr>& sublayers() const { return sublayers_; }
    LayerPtr superlayer() const { return superlayer_.lock(); }

    // --- Geometry ---
    // The frame is derived from position, anchorPoint, bounds size and the affine part of the
    // transform (the bounding box when transformed); setting it sets the bounds size and the
    // position through the inverse of the transform.
    gfx::Rect frame() const;
    void setFrame(gfx::Rect frame);
    gfx::Rect bounds() const { return bounds_; }
    void setBounds(gfx::Rect bounds) { bounds_ = bounds; }
    // In the superlayer's coordinates.
    gfx::Point position() const { return position_; }
    void setPosition(gfx::Point position) { position_ = position; }
    // In unit coordinates of the bounds; (0.5, 0.5) by default.
    gfx::Point anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(gfx::Point anchor) { anchorPoint_ = anchor; }
    const Transform3D& transform() const { return transform_; }
    void setTransform(const Transform3D& transform) { transform_ = transform; }
    gfx::AffineTransform affineTransform() const { return transform_.affine(); }
    void setAffineTransform(const gfx::AffineTransform& t) { transform_ = Transform3D::makeAffine(t); }
    // Maps points of this layer's bounds space to the superlayer's space.
    gfx::AffineTransform transformToSuperlayer() const;

    // --- Appearance ---
    // Clamped to 0...1 when rendering; stored as given.
    double opacity() const { return opacity_; }
    void setOpacity(double opacity) { opacity_ = opacity; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    // Clips contents and sublayers to the bounds (rounded by cornerRadius).
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
    // Clear by default.
    const gfx::Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const gfx::Color& color) { backgroundColor_ = color; }
    // Rounds the background and border always, and the contents and sublayers when masksToBounds.
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    // Drawn inside the bounds, above the contents and sublayers.
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width) { borderWidth_ = width; }
    // Opaque black by default.
    const gfx::Color& borderColor() const { return borderColor_; }
    void setBorderColor(const gfx::Color& color) { borderColor_ = color; }
    // Drawn upright, placed in the bounds by contentsGravity.
    const gfx::ImagePtr& contents() const { return contents_; }
    void setContents(gfx::ImagePtr image) { contents_ = std::move(image); }
    ContentsGravity contentsGravity() const { return contentsGravity_; }
    void setContentsGravity(ContentsGravity gravity) { contentsGravity_ = gravity; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // The model value at a key path ("opacity", "position", "position.x", "position.y", "bounds",
    // "bounds.size", "bounds.origin", "anchorPoint", "transform", "transform.scale" (x scale),
    // "transform.scale.x", "transform.scale.y", "transform.rotation" / "transform.rotation.z",
    // "transform.translation.x", "transform.translation.y", "backgroundColor", "borderColor",
    // "cornerRadius", "borderWidth"); nullopt for any other path.
    std::optional<AnimationValue> valueForKeyPath(std::string_view keyPath) const;

    // --- Rendering (y-down context; the CTM maps the superlayer's space) ---
    // This layer positioned by its frame and transform, with its opacity and clip: background,
    // contents (drawInContext), sublayers, border. Hidden layers and opacity 0 draw nothing.
    void renderInContext(gfx::Context& context);
    // Only the sublayers, in this layer's bounds space (the CTM already maps it): what a view uses
    // for its own layer after drawing its background and backing.
    void renderSublayersInContext(gfx::Context& context);
    // Only the own content (drawInContext: the contents image by default), in this layer's bounds
    // space: what a view draws for its own layer between its backing and the sublayers.
    void renderContentsInContext(gfx::Context& context) { drawInContext(context); }

    // --- Layer animations (layer_animations.cpp) ---
    // Adds `animation` under `key`; an animation already under a non-empty `key` is replaced and
    // hears animationDidStop(false) on the next pass. The empty key keeps every animation added
    // with it. The animation's timing is fixed at this call; it is written to the AnimationLog.
    void addAnimation(const AnimationPtr& animation, const std::string& key);
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();
    AnimationPtr animationForKey(const std::string& key) const;
    // Non-empty keys, in the order added.
    std::vector<std::string> animationKeys() const;

    // An animation attached to a layer, with its timing fixed when it was added (monotonic seconds).
    struct AttachedAnimation {
        std::string key;
        AnimationPtr animation;
        double addedAt = 0;
        double beginAt = 0; // addedAt + beginTime
        double endAt = 0;   // beginAt + effective duration (infinite when it repeats forever)
        uint64_t serial = 0;
        bool stopped = false; // did-stop has been delivered (it stays attached when not removed on completion)
        fnd::PerformHandle startPerform;
        fnd::PerformHandle stopPerform;
    };
    const std::vector<AttachedAnimation>& attachedAnimations() const { return animations_; }

protected:
    // Draws the layer's own content in its bounds space, after the background: the contents image
    // by default. Subclasses may draw other content.
    virtual void drawInContext(gfx::Context& context);

private:
    bool isSelfOrAncestor(const Layer* layer) const;
    void addRoundedBoundsPath(gfx::Context& context) const;
    void startAnimation(uint64_t serial);
    void finishAnimation(uint64_t serial);
    // Removes the animation at `index`; one not yet stopped hears did-stop(false) on the next pass.
    void detachAnimation(size_t index);

    std::weak_ptr<Layer> superlayer_;
    std::vector<LayerPtr> sublayers_;
    gfx::Rect bounds_;
    gfx::Point position_;
    gfx::Point anchorPoint_{0.5, 0.5};
    Transform3D transform_;
    double opacity_ = 1;
    bool hidden_ = false;
    bool masksToBounds_ = false;
    gfx::Color backgroundColor_ = gfx::Color::clear();
    double cornerRadius_ = 0;
    double borderWidth_ = 0;
    gfx::Color borderColor_ = gfx::Color(0, 0, 0, 1);
    gfx::ImagePtr contents_;
    ContentsGravity contentsGravity_ = ContentsGravity::Resize;
    std::string name_;
    std::vector<AttachedAnimation> animations_;
};

} // namespace ui
