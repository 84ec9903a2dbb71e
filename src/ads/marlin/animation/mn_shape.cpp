// MNShape: paths built from the library's segments through an action table, bounds (explicit or from
// the paths' boxes), path hit testing and the touch handlers that call the script back.
#include "ads/marlin/animation/mn_shape.h"

#include <map>
#include <string_view>

#include "ads/marlin/animation/mn_scene_host.h"
#include "ads/marlin/animation/mn_values.h"

namespace zelvan::marlin {

namespace {

using SegmentAction = void (MNShape::*)(const fnd::Dictionary&, gfx::Path&);

const std::map<std::string_view, SegmentAction>& segmentActions() {
    static const std::map<std::string_view, SegmentAction> table = {
        {"m", &MNShape::m},
        {"l", &MNShape::l},
        {"q", &MNShape::q},
        {"z", &MNShape::z},
    };
    return table;
}

gfx::Point scaled(const fnd::Dictionary& segment, std::string_view xKey, std::string_view yKey) {
    return gfx::Point(MNNumber(&segment, xKey) * MNShape::kDrawingScale,
                      MNNumber(&segment, yKey) * MNShape::kDrawingScale);
}

} // namespace

MNShape::MNShape(std::string libraryKey, std::string instanceKey)
    : MNCharacter(std::move(libraryKey), std::move(instanceKey)) {}

std::shared_ptr<MNShape> MNShape::create(const std::string& libraryKey, const std::string& instanceKey,
                                         const std::shared_ptr<MNSceneHost>& view, std::optional<std::string> fillID,
                                         std::optional<std::string> strokeID) {
    auto shape = std::make_shared<MNShape>(libraryKey, instanceKey);
    shape->setName(instanceKey);
    shape->setWithProperties(view != nullptr ? view->shapePropertiesWithKey(libraryKey) : nullptr, view,
                             std::move(fillID), std::move(strokeID));
    return shape;
}

void MNShape::setWithProperties(const std::shared_ptr<fnd::Dictionary>& description,
                                const std::shared_ptr<MNSceneHost>& view, std::optional<std::string> fillID,
                                std::optional<std::string> strokeID) {
    description_ = description;
    fillPatternLibraryKey_ = std::move(fillID);
    strokePatternLibraryKey_ = std::move(strokeID);
    pathDescriptions_ = MNArrayValue(description.get(), "paths");
    setAnimationView(view);
    releasePaths();

    if (pathDescriptions_ != nullptr) {
        for (const fnd::Value& entry : *pathDescriptions_) {
            gfx::Path path;
            buildingControls_.clear();
            path.moveToPoint(gfx::Point(0, 0));
            const auto pathDescription = entry.asDictionary();
            if (const auto segments = MNArrayValue(pathDescription.get(), "path")) {
                for (const fnd::Value& item : *segments) {
                    const auto segment = item.asDictionary();
                    const auto action = MNString(segment.get(), "action");
                    if (segment == nullptr || !action) {
                        continue;
                    }
                    // An action the table does not know is skipped.
                    const auto found = segmentActions().find(*action);
                    if (found != segmentActions().end()) {
                        (this->*(found->second))(*segment, path);
                    }
                }
            }
            gfx::Rect box = path.boundingBox();
            for (const gfx::Point& control : buildingControls_) {
                box = box.unionRect(gfx::Rect(control.x, control.y, 0, 0));
            }
            pathBoxes_.push_back(box);
            paths_.push_back(std::move(path));
        }
    }

    const fnd::Dictionary* d = description.get();
    const auto x = MNOptionalNumber(d, "x");
    const auto y = MNOptionalNumber(d, "y");
    const auto w = MNOptionalNumber(d, "w");
    const auto h = MNOptionalNumber(d, "h");
    if (x && y && w && h) {
        bounds_ = gfx::Rect(*x, *y, *w, *h);
    } else if (!paths_.empty()) {
        gfx::Rect united = pathBoundingBox(0);
        for (size_t i = 1; i < paths_.size(); ++i) {
            const auto pathDescription = pathDescriptions_->objectAtIndex(i).asDictionary();
            const double sw = MNNumber(pathDescription.get(), "strokeWidth");
            const gfx::Rect box = pathBoundingBox(i);
            united = united.unionRect(
                gfx::Rect(box.origin.x - sw / 2, box.origin.y - sw / 2, box.size.width + sw, box.size.height + sw));
        }
        bounds_ = united.isNull() ? gfx::Rect() : united;
    } else {
        bounds_ = gfx::Rect();
    }
}

void MNShape::m(const fnd::Dictionary& segment, gfx::Path& path) {
    path.moveToPoint(scaled(segment, "x", "y"));
}

void MNShape::l(const fnd::Dictionary& segment, gfx::Path& path) {
    const gfx::Point current = path.currentPoint().value_or(gfx::Point());
    const gfx::Point d = scaled(segment, "x", "y");
    path.addLineToPoint(gfx::Point(current.x + d.x, current.y + d.y));
}

void MNShape::q(const fnd::Dictionary& segment, gfx::Path& path) {
    // Both offsets are taken from the same current point.
    const gfx::Point current = path.currentPoint().value_or(gfx::Point());
    const gfx::Point cp = scaled(segment, "cpX", "cpY");
    const gfx::Point d = scaled(segment, "x", "y");
    const gfx::Point control(current.x + cp.x, current.y + cp.y);
    path.addQuadCurveToPoint(control, gfx::Point(current.x + d.x, current.y + d.y));
    buildingControls_.push_back(control);
}

void MNShape::z(const fnd::Dictionary& /*segment*/, gfx::Path& path) {
    path.closeSubpath();
}

gfx::Rect MNShape::pathBoundingBox(size_t index) const {
    return index < pathBoxes_.size() ? pathBoxes_[index] : gfx::Rect::null();
}

bool MNShape::pathTest(gfx::Point point) const {
    for (const gfx::Path& path : paths_) {
        if (path.containsPoint(point, transform2D_, gfx::EvenOdd::No)) {
            return true;
        }
    }
    return false;
}

bool MNShape::containsPoint(gfx::Point point) {
    if (!MNCharacter::containsPoint(point)) {
        return false;
    }
    auto sprite = supersprite();
    return sprite == nullptr || !sprite->usesPathChecking() || pathTest(point);
}

bool MNShape::userInteractionEnabled() const {
    auto sprite = supersprite();
    return sprite != nullptr && sprite->hasTouchCallback();
}

void MNShape::sendCallback(const std::optional<std::string>& callback, const ui::TouchSet& touches) {
    auto view = animationView();
    if (view == nullptr) {
        return;
    }
    std::optional<std::string> context = callbackString(callback, touches);
    // A none callback has nothing for the script to run.
    if (context) {
        view->performSceneAction(fnd::Value(std::move(*context)));
    }
}

void MNShape::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    auto sprite = supersprite();
    sendCallback(sprite != nullptr ? sprite->touchBeganCallback() : std::nullopt, touches);
}

void MNShape::touchesMoved(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    auto sprite = supersprite();
    sendCallback(sprite != nullptr ? sprite->touchMovedCallback() : std::nullopt, touches);
}

void MNShape::touchesEnded(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    auto sprite = supersprite();
    sendCallback(sprite != nullptr ? sprite->touchEndedCallback() : std::nullopt, touches);
}

void MNShape::removedFromSupersprite(const std::shared_ptr<MNSprite>& sprite) {
    MNCharacter::removedFromSupersprite(sprite);
    releaseContents();
}

void MNShape::setContents(gfx::ImagePtr image, fnd::Bytes data, gfx::Size size, uint32_t textureID) {
    contents_ = std::move(image);
    contentsData_ = std::move(data);
    contentsSize_ = size;
    contentsTextureID_ = textureID;
}

void MNShape::releaseContents() {
    contents_.reset();
    contentsData_.clear();
    rasterRefused_ = false;
    if (contentsTextureID_ != kNoTexture) {
        if (auto view = animationView()) {
            view->deleteShapeTexture(contentsTextureID_);
        }
    }
    contentsTextureID_ = kNoTexture;
}

MNShape::~MNShape() {
    releaseContents();
}

} // namespace zelvan::marlin
