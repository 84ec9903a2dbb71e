// Snapshots: capture a view tree into an image, write it as PNG, and copy a backed view's backing.
#include "platform/ui/snapshot.h"

#include <cmath>

#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/backed_view.h"
#include "platform/ui/view.h"

namespace ui {
namespace {

std::shared_ptr<gfx::Context> renderView(View& view) {
    VERIFY(fnd::isMainThread());
    view.layoutIfNeeded();
    view.displayIfNeeded();
    const gfx::Rect b = view.bounds();
    const int width = static_cast<int>(std::ceil(b.width()));
    const int height = static_cast<int>(std::ceil(b.height()));
    auto ctx = width > 0 && height > 0 ? gfx::Context::createView(width, height) : nullptr;
    if (ctx) {
        view.renderInContext(*ctx);
    }
    return ctx;
}

} // namespace

gfx::ImagePtr Snapshot::captureView(View& view) {
    auto ctx = renderView(view);
    return ctx ? ctx->makeImage() : nullptr;
}

bool Snapshot::saveViewAsPng(View& view, const std::string& path) {
    auto ctx = renderView(view);
    if (!ctx) {
        ZLOG(Warn, "Snapshot::saveViewAsPng: nothing to save for %s (empty bounds)", path.c_str());
        return false;
    }
    return gfx::savePng(*ctx, path);
}

gfx::ImagePtr Snapshot::captureBackingStore(BackedView& view) {
    return view.copyBacking();
}

gfx::ImagePtr View::screenshot() {
    return Snapshot::captureView(*this);
}

} // namespace ui
