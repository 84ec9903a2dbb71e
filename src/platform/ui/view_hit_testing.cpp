// Hit testing: the deepest visible, interactive view containing a point, front to back.
#include "platform/ui/view.h"

namespace ui {

std::shared_ptr<View> View::hitTest(gfx::Point point, const Event* event) {
    if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01 || !pointInside(point, event)) {
        return nullptr;
    }
    const auto subviews = subviews_; // an overriding hitTest may change the tree
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        const auto& subview = *it;
        gfx::Point local = subview->transformToSuperview().invert().applyToPoint(point);
        if (auto hit = subview->hitTest(local, event)) {
            return hit;
        }
    }
    return self();
}

bool View::pointInside(gfx::Point point, const Event* /*event*/) const {
    return point.x >= bounds_.minX() && point.x < bounds_.maxX() && point.y >= bounds_.minY() &&
           point.y < bounds_.maxY();
}

} // namespace ui
