// Layer tree, geometry, model key-path values and rendering into y-down contexts.
#include "platform/ui/layer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/log.h"

namespace ui {

void renderTransparencyGroup(gfx::Context& context, double alpha, const std::function<void(gfx::Context&)>& draw) {
    alpha = std::isnan(alpha) ? 0 : std::clamp(alpha, 0.0, 1.0);
    if (alpha <= 0) {
        return;
    }
    if (alpha >= 1) {
        draw(context);
        return;
    }
    std::shared_ptr<gfx::Context> scratch = gfx::Context::createView(context.width(), context.height());
    if (!scratch) {
        return;
    }
    // A fresh view context's CTM is the y-flip F; prepending ctm * F^-1 (F is its own inverse)
    // makes the scratch CTM equal the target's.
    gfx::AffineTransform ctm = context.getCTM();
    gfx::AffineTransform flip = scratch->getCTM();
    scratch->concatCTM(ctm.concat(flip.invert()));
    draw(*scratch);
    std::shared_ptr<gfx::Image> pixels = scratch->makeImage();
    if (!pixels) {
        return;
    }
    // With the CTM reset to the identity, user space is the y-up base space, where drawImage puts
    // the image's top row at the top of the surface.
    gfx::StateSaver saver(context);
    context.concatCTM(ctm.invert());
    context.setAlpha(alpha);
    context.drawImage(gfx::Rect(0, 0, context.width(), context.height()), *pixels);
}

LayerPtr Layer::create() {
    return std::make_shared<Layer>();
}

Layer::Layer() = default;

// --- Tree ---

bool Layer::isSelfOrAncestor(const Layer* layer) const {
    for (LayerPtr up = superlayer(); up; up = up->superlayer()) {
        if (up.get() == layer) {
            return true;
        }
    }
    return layer == this;
}

void Layer::addSublayer(const LayerPtr& layer) {
    insertSublayer(layer, sublayers_.size() + 1);
}

void Layer::insertSublayer(const LayerPtr& layer, size_t index) {
    if (!layer) {
        return;
    }
    if (isSelfOrAncestor(layer.get())) {
        ZLOG(Warn, "Layer: refusing to add a layer inside itself");
        return;
    }
    LayerPtr keep = layer;
    keep->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->superlayer_ = std::static_pointer_cast<Layer>(shared_from_this());
}

void Layer::removeFromSuperlayer() {
    LayerPtr parent = superlayer_.lock();
    superlayer_.reset();
    if (!parent) {
        return;
    }
    auto& siblings = parent->sublayers_;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const LayerPtr& l) { return l.get() == this; });
    if (it != siblings.end()) {
        siblings.erase(it); // may release this layer: nothing touches it afterwards
    }
}

// --- Geometry ---

gfx::AffineTransform Layer::transformToSuperlayer() const {
    double ax = bounds_.origin.x + anchorPoint_.x * bounds_.size.width;
    double ay = bounds_.origin.y + anchorPoint_.y * bounds_.size.height;
    return gfx::AffineTransform::makeTranslation(-ax, -ay)
        .concat(transform_.affine())
        .concat(gfx::AffineTransform::makeTranslation(position_.x, position_.y));
}

gfx::Rect Layer::frame() const {
    return transformToSuperlayer().applyToRect(bounds_);
}

void Layer::setFrame(gfx::Rect frame) {
    frame = frame.standardized();
    gfx::AffineTransform linear = transform_.affine();
    linear.tx = 0;
    linear.ty = 0;
    gfx::Size size = frame.size;
    if (!linear.isIdentity()) {
        gfx::Size inverse = linear.invert().applyToSize(size);
        size = {std::abs(inverse.width), std::abs(inverse.height)};
    }
    bounds_.size = size;
    // The frame's centre is the bounds centre mapped through the transform; the position is the
    // anchor mapped the same way.
    gfx::Point offset =
        linear.applyToPoint({(anchorPoint_.x - 0.5) * size.width, (anchorPoint_.y - 0.5) * size.height});
    position_ = {frame.midX() + offset.x, frame.midY() + offset.y};
}

std::optional<AnimationValue> Layer::valueForKeyPath(std::string_view keyPath) const {
    const gfx::AffineTransform t = transform_.affine();
    if (keyPath == "opacity") {
        return opacity_;
    }
    if (keyPath == "position") {
        return position_;
    }
    if (keyPath == "position.x") {
        return position_.x;
    }
    if (keyPath == "position.y") {
        return position_.y;
    }
    if (keyPath == "bounds") {
        return bounds_;
    }
    if (keyPath == "bounds.size") {
        return bounds_.size;
    }
    if (keyPath == "bounds.origin") {
        return bounds_.origin;
    }
    if (keyPath == "anchorPoint") {
        return anchorPoint_;
    }
    if (keyPath == "transform") {
        return transform_;
    }
    if (keyPath == "transform.scale" || keyPath == "transform.scale.x") {
        return std::hypot(t.a, t.b);
    }
    if (keyPath == "transform.scale.y") {
        return std::hypot(t.c, t.d);
    }
    if (keyPath == "transform.rotation" || keyPath == "transform.rotation.z") {
        return std::atan2(t.b, t.a);
    }
    if (keyPath == "transform.translation.x") {
        return t.tx;
    }
    if (keyPath == "transform.translation.y") {
        return t.ty;
    }
    if (keyPath == "backgroundColor") {
        return backgroundColor_;
    }
    if (keyPath == "borderColor") {
        return borderColor_;
    }
    if (keyPath == "cornerRadius") {
        return cornerRadius_;
    }
    if (keyPath == "borderWidth") {
        return borderWidth_;
    }
    return std::nullopt;
}

// --- Rendering ---

void Layer::addRoundedBoundsPath(gfx::Context& context) const {
    context.beginPath();
    if (cornerRadius_ > 0) {
        context.addRoundedRect(bounds_, cornerRadius_);
    } else {
        context.addRect(bounds_);
    }
}

void Layer::renderInContext(gfx::Context& context) {
    if (hidden_ || std::isnan(opacity_) || opacity_ <= 0) {
        return;
    }
    gfx::StateSaver saver(context);
    context.concatCTM(transformToSuperlayer());
    renderTransparencyGroup(context, opacity_, [this](gfx::Context& ctx) {
        if (backgroundColor_.a > 0) {
            gfx::StateSaver background(ctx);
            ctx.setFillColor(backgroundColor_);
            addRoundedBoundsPath(ctx);
            ctx.fillPath();
        }
        {
            gfx::StateSaver clipped(ctx);
            if (masksToBounds_) {
                addRoundedBoundsPath(ctx);
                ctx.clip();
            }
            drawInContext(ctx);
            renderSublayersInContext(ctx);
        }
        if (borderWidth_ > 0 && borderColor_.a > 0) {
            gfx::StateSaver border(ctx);
            ctx.setStrokeColor(borderColor_);
            ctx.setLineWidth(borderWidth_);
            double half = borderWidth_ / 2;
            gfx::Rect inner = bounds_.standardized().insetBy(half, half);
            ctx.beginPath();
            if (cornerRadius_ > 0) {
                ctx.addRoundedRect(inner, std::max(cornerRadius_ - half, 0.0));
            } else {
                ctx.addRect(inner);
            }
            ctx.strokePath();
        }
    });
}

void Layer::renderSublayersInContext(gfx::Context& context) {
    // A copy, so a drawInContext override that edits the tree cannot invalidate the walk.
    std::vector<LayerPtr> layers = sublayers_;
    for (const LayerPtr& layer : layers) {
        layer->renderInContext(context);
    }
}

void Layer::drawInContext(gfx::Context& context) {
    if (!contents_) {
        return;
    }
    gfx::ImagePtr upright =
        contents_->orientation() == gfx::ImageOrientation::Up ? contents_ : contents_->uprightCopy();
    if (!upright) {
        return;
    }
    gfx::Rect area = bounds_.standardized();
    gfx::Size image = upright->size();
    if (image.width <= 0 || image.height <= 0 || area.isEmpty()) {
        return;
    }
    gfx::Size size = image;
    switch (contentsGravity_) {
    case ContentsGravity::Resize:
        size = area.size;
        break;
    case ContentsGravity::ResizeAspect:
    case ContentsGravity::ResizeAspectFill: {
        double sx = area.width() / image.width;
        double sy = area.height() / image.height;
        double s = contentsGravity_ == ContentsGravity::ResizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        size = {image.width * s, image.height * s};
        break;
    }
    default:
        break;
    }
    // Horizontal and vertical placement: -1 start, 0 centre, 1 end (y down: start is the top).
    int h = 0;
    int v = 0;
    switch (contentsGravity_) {
    case ContentsGravity::Top:
        v = -1;
        break;
    case ContentsGravity::Bottom:
        v = 1;
        break;
    case ContentsGravity::Left:
        h = -1;
        break;
    case ContentsGravity::Right:
        h = 1;
        break;
    case ContentsGravity::TopLeft:
        h = -1;
        v = -1;
        break;
    case ContentsGravity::TopRight:
        h = 1;
        v = -1;
        break;
    case ContentsGravity::BottomLeft:
        h = -1;
        v = 1;
        break;
    case ContentsGravity::BottomRight:
        h = 1;
        v = 1;
        break;
    default:
        break;
    }
    double x = h < 0 ? area.minX() : h > 0 ? area.maxX() - size.width : area.midX() - size.width / 2;
    double y = v < 0 ? area.minY() : v > 0 ? area.maxY() - size.height : area.midY() - size.height / 2;
    gfx::Rect dest(x, y, size.width, size.height);
    // drawImage puts the top row at the maximum y; flipping about the rect's centre line puts it at
    // the minimum y, which is the top in this y-down space.
    gfx::StateSaver saver(context);
    context.translateCTM(0, dest.minY() + dest.maxY());
    context.scaleCTM(1, -1);
    context.drawImage(dest, *upright);
}

} // namespace ui
