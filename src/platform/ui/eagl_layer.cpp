// The GL surface view's layer: its drawable properties and pixel size.
#include "platform/ui/eagl_layer.h"

#include <cmath>

namespace ui {

std::shared_ptr<EaglLayer> EaglLayer::create() {
    return std::make_shared<EaglLayer>();
}

namespace {

int pixels(double points) {
    // Negative, non-finite and absurd sizes count as no pixels; the context refuses those.
    if (!std::isfinite(points) || points <= 0 || points > 1.0e6) {
        return 0;
    }
    return static_cast<int>(std::ceil(points));
}

} // namespace

int EaglLayer::pixelWidth() const {
    return pixels(bounds().size.width);
}

int EaglLayer::pixelHeight() const {
    return pixels(bounds().size.height);
}

} // namespace ui
