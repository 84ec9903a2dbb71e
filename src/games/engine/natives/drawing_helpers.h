// The engine's two drawing helpers: system-font text placed at a point by a keypad anchor, and the
// offscreen bitmap contexts that game buffers draw into.
#pragma once

#include <memory>
#include <string_view>

#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_layout.h"

namespace zelvan {

// Draws `text` (UTF-8) into `context` in its fill colour. A null font means "Helvetica-Bold" at 14
// points. The text is measured within width x height (-1 on either side: unlimited) with `mode`,
// giving w x h, and drawn into the rectangle of that size placed at (x, y) by `anchor` as on a
// telephone keypad: 7 top-left, 8 top-centre, 9 top-right, 4, 5, 6 middle, 1, 2, 3 bottom, any other
// value as 7. Centring subtracts half of w (or h) and right or bottom alignment all of it, in floating
// point, and the result is truncated toward zero. The context is pushed on this thread's graphics
// stack for the drawing and popped afterwards; a null context draws nothing.
void CGContextDrawText(const std::shared_ptr<gfx::Context>& context, std::string_view text,
                       std::shared_ptr<gfx::Font> font, int x, int y, int anchor, int width, int height,
                       gfx::LineBreakMode mode);

// A new transparent width x height bitmap context (premultiplied B,G,R,A, 4 x width bytes per row,
// y up) for game buffers. Null, with a trace line, when a side is not positive or the size exceeds
// what an image may hold (gfx::kMaxImageSide on a side, gfx::kMaxImagePixels in all).
std::shared_ptr<gfx::BitmapContext> MyCreateBitmapContext(int width, int height);

} // namespace zelvan
