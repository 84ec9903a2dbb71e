// Pictures of the apps tab: the bitmap context and the fading mask of an icon's reflection, the
// reflection itself, and the uncached picture loads of the app rows and the app page.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/image.h"

namespace fnd {
class WorkerPool;
}
namespace ui {
class View;
}

namespace zelvan::brightpoint {

class BPImageCache;

// An RGB bitmap context, 8 bits a component, premultiplied alpha first, 32-bit little-endian (y up).
// Null for a size a bitmap cannot have.
std::shared_ptr<gfx::BitmapContext> BPMyCreateBitmapContext(int width, int height);

// A grey picture, width x height, graded from black at its bottom edge (y = 0) to white at its top.
gfx::ImagePtr BPCreateGradientImage(int width, int height);

// The bottom `height` rows of what `view` shows, mirrored (its bottom row on top) and fading from opaque
// at the top to clear at the bottom, as wide as the view. Null for height 0 or no view. Main thread.
gfx::ImagePtr BPReflectedImage(ui::View* view, int height);

// Loads the picture at `url` past any cache on a worker of `workers` and calls `done` there with it;
// when it cannot be loaded (no answer, a status other than 200, bytes that are no picture) one INFO line
// and nothing else. `owner` as fnd::fetch's.
void BPLoadImageUncached(const std::string& url, const std::shared_ptr<fnd::WorkerPool>& workers,
                         std::weak_ptr<const void> owner, std::function<void(gfx::ImagePtr)> done);
// BPLoadImageUncached, then the picture rounded (10-point corners) when `round` and stored in `cache` (when
// given) under `url` before it goes to `done`.
void BPLoadAppPicture(const std::string& url, bool round, std::shared_ptr<BPImageCache> cache,
                      const std::shared_ptr<fnd::WorkerPool>& workers, std::weak_ptr<const void> owner,
                      std::function<void(gfx::ImagePtr)> done);

} // namespace zelvan::brightpoint
