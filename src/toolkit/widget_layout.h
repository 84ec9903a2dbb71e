// Plain layout functions the product's screens build their frames with: the content area of the
// screen, whole-point rectangles, moves and resizes, natural sizes of labels and buttons, and a
// rounded-rectangle path.
#pragma once

#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"

namespace ui {
class Button;
class Label;
class View;
} // namespace ui

namespace zelvan {

// The content area of the screen between the 20-point status bar and the 49-point tab bar.
gfx::Rect widgetGetMainFrame();

// The rectangle with every value rounded up to a whole point.
gfx::Rect widgetRectMake(double x, double y, double width, double height);
gfx::Rect widgetRectMakeWithSize(double x, double y, gfx::Size size);
gfx::Point widgetPointMake(double x, double y);
// The size grown by marginX on the left and right and by marginY on the top and bottom.
gfx::Size widgetSizeWithMargin(gfx::Size size, double marginX, double marginY);

// The rectangle with its origin at (x, y), keeping its size.
gfx::Rect widgetRectMoveTo(gfx::Rect rect, double x, double y);
// The rectangle moved by (dx, dy).
gfx::Rect widgetRectMove(gfx::Rect rect, double dx, double dy);
// The rectangle with its width and height grown by (dw, dh).
gfx::Rect widgetRectResize(gfx::Rect rect, double dw, double dh);

// The whole-point size the label's text needs in its font when wrapped at maxWidth, within the
// label's line limit and line-break mode.
gfx::Size widgetGetLabelSize(const ui::Label& label, double maxWidth);
// The whole-point size the button's current title and image need side by side with its content
// insets, no wider than maxWidth.
gfx::Size widgetGetButtonSize(const ui::Button& button, double maxWidth);

// Rounds the frames of the view and of its direct subviews up to whole points.
void widgetViewFrameCeil(ui::View& view);
// Lays the view's subviews out left to right with no gaps, the row centred horizontally in the
// view and each subview centred vertically (odd leftovers go to the right and bottom).
void widgetAlignSubviewsHorizontal(ui::View& view);

// Adds a closed rounded-rectangle subpath to the context's current path; the radius is clamped to
// between 0 and half the shorter side.
void CGContextAddRoundedRect(gfx::Context& context, double x, double y, double width, double height, double radius);

} // namespace zelvan
