// The per-thread stack of current drawing contexts that Image::drawInRect, text drawing and views
// draw into, and the image contexts that render offscreen into a new image.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"

namespace gfx {

class Image;

// The top of this thread's stack, or null when it is empty.
std::shared_ptr<Context> getCurrentContext();
// Makes `context` current on this thread (a null context is ignored).
void pushContext(std::shared_ptr<Context> context);
// Drops the current context; nothing happens when the stack is empty.
void popContext();

// Pushes a new transparent 32-bit context with y down and the origin at the top-left, of `size`
// rounded up to whole pixels. When the size is empty or too large nothing is pushed (and the calls
// below see no image context).
void beginImageContext(Size size);
// A copy of the current context's pixels while it is an image context begun on this thread; null otherwise.
std::shared_ptr<Image> imageFromCurrentImageContext();
// Pops the current context when it is an image context begun on this thread.
void endImageContext();

// Writes the context's pixels as a PNG file; false (and a log line) when encoding or writing fails.
bool savePng(Context& context, const std::string& path);

} // namespace gfx
