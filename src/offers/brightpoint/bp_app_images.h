// Pictures of the apps tab: the bitmap context and the fading mask of an icon's reflection, the
// reflection itself, and the uncached picture load that the icon and screenshot threads share.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/image.h"

namespace ui {
class View;
}

namespace zelvan::brightpoint {

// An RGB bitmap context, 8 bits a component, premultiplied alpha first, 32-bit little-endian (y up).
// Null for a size a bitmap cannot have.
std::shared_ptr<gfx::BitmapContext> BPMyCreateBitmapContext(int width, int height);

// A grey picture, width x height, graded from black at its bottom edge (y = 0) to white at its top.
gfx::ImagePtr BPCreateGradientImage(int width, int height);

// The bottom `height` rows of what `view` shows, mirrored (its bottom row on top) and fading from opaque
// at the top to clear at the bottom, as wide as the view. Null for height 0 or no view. Main thread.
gfx::ImagePtr BPReflectedImage(ui::View* view, int height);

// The picture at `url`, loaded past any cache; null (one INFO line) when it cannot be loaded (no answer,
// a status other than 200, bytes that are no picture). Blocks; for background threads.
gfx::ImagePtr BPLoadImageUncached(const std::string& url);

} // namespace zelvan::brightpoint
