// gfx::Layer construction: a native-format bitmap context sized from the requested points.
#include "platform/graphics/drawing_layer.h"

#include <cmath>

#include "platform/foundation/log.h"
#include "platform/graphics/context_internal.h"

namespace gfx {

std::shared_ptr<Layer> Layer::create(const Context& /*context*/, Size size) {
    // Checked as doubles first, so a huge or non-finite size never reaches an int conversion.
    bool usable = std::isfinite(size.width) && std::isfinite(size.height) && size.width > 0 && size.height > 0 &&
                  size.width <= 1e6 && size.height <= 1e6;
    int w = usable ? int(std::ceil(size.width)) : 0;
    int h = usable ? int(std::ceil(size.height)) : 0;
    if (!usable || !detail::validSurfaceSize(w, h)) {
        ZLOG(Warn, "gfx: refusing a drawing layer of %gx%g", size.width, size.height);
        return nullptr;
    }
    auto bitmap = BitmapContext::create(w, h, PixelFormat::Bgra8PremulFirstLE);
    if (!bitmap) {
        return nullptr;
    }
    return std::make_shared<Layer>(std::move(bitmap), size);
}

} // namespace gfx
