// The layout functions: whole-point arithmetic over rectangles and natural sizes measured with the
// platform's text layout.
#include "toolkit/widget_layout.h"

#include <cmath>
#include <limits>

#include "platform/graphics/text_layout.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"

namespace zelvan {

namespace {

constexpr double kStatusBarHeight = 20;
constexpr double kTabBarHeight = 49;

} // namespace

gfx::Rect widgetGetMainFrame() {
    const gfx::Rect screen = ui::Screen::main().bounds();
    return gfx::Rect(screen.minX(), screen.minY() + kStatusBarHeight, screen.width(),
                     screen.height() - kStatusBarHeight - kTabBarHeight);
}

gfx::Rect widgetRectMake(double x, double y, double width, double height) {
    return gfx::ceilRect(gfx::Rect(x, y, width, height));
}

gfx::Rect widgetRectMakeWithSize(double x, double y, gfx::Size size) {
    return widgetRectMake(x, y, size.width, size.height);
}

gfx::Point widgetPointMake(double x, double y) {
    return gfx::Point{x, y};
}

gfx::Size widgetSizeWithMargin(gfx::Size size, double marginX, double marginY) {
    return gfx::Size{size.width + 2 * marginX, size.height + 2 * marginY};
}

gfx::Rect widgetRectMoveTo(gfx::Rect rect, double x, double y) {
    rect.origin = gfx::Point{x, y};
    return rect;
}

gfx::Rect widgetRectMove(gfx::Rect rect, double dx, double dy) {
    rect.origin.x += dx;
    rect.origin.y += dy;
    return rect;
}

gfx::Rect widgetRectResize(gfx::Rect rect, double dw, double dh) {
    rect.size.width += dw;
    rect.size.height += dh;
    return rect;
}

gfx::Size widgetGetLabelSize(const ui::Label& label, double maxWidth) {
    if (label.text().empty() || !(maxWidth > 0)) {
        return {};
    }
    const auto& font = label.font();
    const double maxHeight =
        label.numberOfLines() > 0 ? label.numberOfLines() * font->lineHeight() : std::numeric_limits<double>::max();
    const gfx::Size size = gfx::sizeWithFont(label.text(), font, gfx::Size{maxWidth, maxHeight}, label.lineBreakMode());
    return gfx::ceilSize(size);
}

gfx::Size widgetGetButtonSize(const ui::Button& button, double maxWidth) {
    gfx::Size size = button.sizeThatFits(gfx::Size{maxWidth, std::numeric_limits<double>::max()});
    if (maxWidth >= 0) {
        size.width = std::min(size.width, maxWidth);
    }
    return gfx::ceilSize(size);
}

void widgetViewFrameCeil(ui::View& view) {
    view.setFrame(gfx::ceilRect(view.frame()));
    for (const auto& subview : view.subviews()) {
        subview->setFrame(gfx::ceilRect(subview->frame()));
    }
}

void widgetAlignSubviewsHorizontal(ui::View& view) {
    double total = 0;
    for (const auto& subview : view.subviews()) {
        total += subview->frame().width();
    }
    const gfx::Rect bounds = view.bounds();
    double x = bounds.minX() + std::floor((bounds.width() - total) / 2);
    for (const auto& subview : view.subviews()) {
        const gfx::Rect frame = subview->frame();
        const double y = bounds.minY() + std::floor((bounds.height() - frame.height()) / 2);
        subview->setFrame(gfx::Rect(x, y, frame.width(), frame.height()));
        x += frame.width();
    }
}

void CGContextAddRoundedRect(gfx::Context& context, double x, double y, double width, double height, double radius) {
    context.addRoundedRect(gfx::Rect(x, y, width, height), radius);
}

} // namespace zelvan
