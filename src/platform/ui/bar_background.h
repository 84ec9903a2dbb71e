// The plain look shared by navigation bars and toolbars: a fill chosen by bar style or tint, and a
// one-point shade line along the edge that meets the content.
#pragma once

#include <optional>

#include "platform/graphics/color.h"
#include "platform/graphics/context.h"
#include "platform/ui/bar_button_item.h"

namespace ui {

enum class BarEdge { Top, Bottom };

void drawBarBackground(gfx::Context& ctx, gfx::Rect bounds, BarStyle style, const std::optional<gfx::Color>& tint,
                       BarEdge shadeEdge);

} // namespace ui
