// Drawing text into the current context of this thread (graphics_stack.h) in its fill colour, at
// exactly the positions text_layout.h measures. The calls assume a y-down context: a line's top is
// at the smaller y, so in a y-up bitmap context the text comes out upside down.
#pragma once

#include <memory>
#include <string_view>

#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/text_layout.h"

namespace gfx {

enum class TextAlignment { Left = 0, Center = 1, Right = 2 };

// Draws one line (line breaks as spaces) with its top-left at `point` and its baseline at
// point.y + ascender. Returns the size drawn, as sizeWithFont(text, font).
Size drawAtPoint(std::string_view text, Point point, const std::shared_ptr<Font>& font);

// Draws layoutText(text, font, rect.size, mode): only the whole lines that fit, the first line's top
// at the rect's minimum y, each line aligned within the rect's width. Returns the layout's size.
Size drawInRect(std::string_view text, Rect rect, const std::shared_ptr<Font>& font,
                LineBreakMode mode = LineBreakMode::WordWrap, TextAlignment alignment = TextAlignment::Left);

} // namespace gfx
