// MNCharacter: transforms, conversions, hit testing, responder trees and touch callback texts of a
// scene node. Supersprites are weak, so a child never reaches a sprite that has gone.
#include "ads/marlin/animation/mn_character.h"

#include <algorithm>
#include <climits>

#include "ads/marlin/animation/mn_scene_host.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/ui/touch.h"

namespace zelvan::marlin {

MNCharacter::MNCharacter(std::string libraryKey, std::string instanceKey)
    : libraryKey_(std::move(libraryKey)), instanceKey_(std::move(instanceKey)) {
    setTransform(gfx::AffineTransform::identity());
}

MNCharacter::~MNCharacter() = default;

std::string MNCharacter::description() const {
    return name_.value_or(instanceKey_);
}

void MNCharacter::setTransform(const gfx::AffineTransform& transform) {
    transform2D_ = transform;
    transform3D_.fill(0.0f);
    transform3D_[0] = static_cast<float>(transform.a);   // m11
    transform3D_[1] = static_cast<float>(transform.b);   // m12
    transform3D_[4] = static_cast<float>(transform.c);   // m21
    transform3D_[5] = static_cast<float>(transform.d);   // m22
    transform3D_[10] = 1.0f;                             // m33
    transform3D_[12] = static_cast<float>(transform.tx); // m41
    transform3D_[13] = static_cast<float>(transform.ty); // m42
    transform3D_[15] = 1.0f;                             // m44
}

gfx::Rect MNCharacter::bounds() {
    return bounds_;
}

gfx::Rect MNCharacter::frame() {
    return transform2D_.applyToRect(bounds());
}

bool MNCharacter::containsPoint(gfx::Point point) {
    const gfx::Rect b = bounds();
    return b.origin.x <= point.x && point.x < b.origin.x + b.size.width && b.origin.y <= point.y &&
           point.y < b.origin.y + b.size.height;
}

std::shared_ptr<MNCharacter> MNCharacter::hitTest(gfx::Point point) {
    // The point is mapped in double precision and kept as float, as the renderer's matrices are.
    const gfx::AffineTransform inverse = transform2D_.invert();
    const gfx::Point mapped(static_cast<float>(inverse.a * point.x + inverse.c * point.y + inverse.tx),
                            static_cast<float>(inverse.b * point.x + inverse.d * point.y + inverse.ty));
    if (!containsPoint(mapped)) {
        return nullptr;
    }
    std::shared_ptr<MNCharacter> best;
    int bestLayer = INT_MIN;
    for (const auto& child : hittableSubcharacters()) {
        std::shared_ptr<MNCharacter> hit = child->hitTest(mapped);
        const int layer = static_cast<int>(child->layerNumber().value_or(0));
        if (hit != nullptr && layer >= bestLayer) {
            best = std::move(hit);
            bestLayer = layer;
        }
    }
    return best != nullptr ? best : shared_from_this();
}

std::vector<std::shared_ptr<MNCharacter>> MNCharacter::responderTrees() const {
    std::vector<std::shared_ptr<MNCharacter>> out;
    out.reserve(responderTrees_.size());
    for (const auto& weak : responderTrees_) {
        if (auto child = weak.lock()) {
            out.push_back(std::move(child));
        }
    }
    return out;
}

void MNCharacter::addResponderTree(const std::shared_ptr<MNCharacter>& child) {
    if (child == nullptr) {
        return;
    }
    std::erase_if(responderTrees_, [](const std::weak_ptr<MNCharacter>& weak) { return weak.expired(); });
    const bool known = std::any_of(responderTrees_.begin(), responderTrees_.end(),
                                   [&](const std::weak_ptr<MNCharacter>& weak) { return weak.lock() == child; });
    if (!known) {
        responderTrees_.push_back(child);
    }
    if (auto sprite = supersprite()) {
        sprite->addResponderTree(shared_from_this());
    }
}

void MNCharacter::removeResponderTree(const std::shared_ptr<MNCharacter>& child) {
    std::erase_if(responderTrees_, [](const std::weak_ptr<MNCharacter>& weak) { return weak.expired(); });
    if (responderTrees_.empty()) {
        return;
    }
    std::erase_if(responderTrees_, [&](const std::weak_ptr<MNCharacter>& weak) { return weak.lock() == child; });
    if (responderTrees_.empty()) {
        if (auto sprite = supersprite()) {
            sprite->removeResponderTree(shared_from_this());
        }
    }
}

void MNCharacter::insertedIntoSupersprite(const std::shared_ptr<MNSprite>& sprite) {
    supersprite_ = sprite;
    if (sprite != nullptr && !responderTrees().empty()) {
        sprite->addResponderTree(shared_from_this());
    }
}

void MNCharacter::removedFromSupersprite(const std::shared_ptr<MNSprite>& sprite) {
    supersprite_.reset();
    if (sprite != nullptr) {
        sprite->removeResponderTree(shared_from_this());
    }
}

void MNCharacter::setUserInteractionEnabled(bool enabled) {
    auto sprite = supersprite();
    if (sprite == nullptr) {
        return;
    }
    if (enabled) {
        sprite->addResponderTree(shared_from_this());
    } else {
        sprite->removeResponderTree(shared_from_this());
    }
}

std::optional<std::string> MNCharacter::callbackString(const std::optional<std::string>& callback,
                                                       const ui::TouchSet& touches) const {
    if (!callback) {
        return std::nullopt;
    }
    auto view = animationView();
    const MNSprite* root = view != nullptr ? view->root().get() : nullptr;
    const ui::View* located = view != nullptr ? &view->sceneView() : nullptr;
    std::string list = fnd::format("%d", static_cast<int>(touches.size()));
    for (const auto& touch : touches) {
        const gfx::Point v = touch->locationInView(located);
        const gfx::Point l = convertPointFromSprite(v, root);
        list = fnd::format("%@, %f, %f, %f, %f", list, l.x, l.y, v.x, v.y);
    }
    // The callback comes from the script: it is a template with one "%s", never a format of ours.
    return fnd::formatUntrusted(*callback, list);
}

gfx::AffineTransform MNCharacter::transformRelativeToSprite(const MNSprite* sprite) const {
    gfx::AffineTransform accumulated = gfx::AffineTransform::identity();
    const MNCharacter* current = this;
    std::shared_ptr<MNSprite> holder;
    while (current != nullptr && current != static_cast<const MNCharacter*>(sprite)) {
        accumulated = accumulated.concat(current->transform2D_);
        holder = current->supersprite();
        current = holder.get();
    }
    return accumulated;
}

namespace {

gfx::AffineTransform toTop(const MNSprite* sprite) {
    return sprite != nullptr ? static_cast<const MNCharacter*>(sprite)->transformRelativeToSprite(nullptr)
                             : gfx::AffineTransform::identity();
}

} // namespace

gfx::Point MNCharacter::convertPointToSprite(gfx::Point point, const MNSprite* sprite) const {
    const gfx::Point top = transformRelativeToSprite(nullptr).applyToPoint(point);
    return toTop(sprite).invert().applyToPoint(top);
}

gfx::Point MNCharacter::convertPointFromSprite(gfx::Point point, const MNSprite* sprite) const {
    const gfx::Point top = toTop(sprite).applyToPoint(point);
    return transformRelativeToSprite(nullptr).invert().applyToPoint(top);
}

gfx::Rect MNCharacter::convertRectToSprite(gfx::Rect rect, const MNSprite* sprite) const {
    const gfx::Rect top = transformRelativeToSprite(nullptr).applyToRect(rect);
    return toTop(sprite).invert().applyToRect(top);
}

gfx::Rect MNCharacter::convertRectFromSprite(gfx::Rect rect, const MNSprite* sprite) const {
    const gfx::Rect top = toTop(sprite).applyToRect(rect);
    return transformRelativeToSprite(nullptr).invert().applyToRect(top);
}

void MNCharacter::printSceneGraphWithDepth(int /*depth*/) const {}

void MNCharacter::touchesBegan(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {}
void MNCharacter::touchesMoved(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {}
void MNCharacter::touchesEnded(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {}

} // namespace zelvan::marlin
