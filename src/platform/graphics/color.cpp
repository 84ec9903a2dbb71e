// Colour factories and component access.
#include "platform/graphics/color.h"

namespace gfx {

Color Color::white(double w, double a) {
    Color c(w, w, w, a);
    c.space_ = ColorSpace::Gray;
    return c;
}

Color Color::fromRgbHex(uint32_t rgb, double alpha) {
    return Color(((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha);
}

Color Color::makeNamed(Named n, ColorSpace space, double r, double g, double b, double a) {
    Color c(r, g, b, a);
    c.space_ = space;
    c.named_ = n;
    return c;
}

Color Color::black() {
    return makeNamed(Named::Black, ColorSpace::Gray, 0, 0, 0, 1);
}
Color Color::white() {
    return makeNamed(Named::White, ColorSpace::Gray, 1, 1, 1, 1);
}
Color Color::clear() {
    return makeNamed(Named::Clear, ColorSpace::Gray, 0, 0, 0, 0);
}
Color Color::gray() {
    return makeNamed(Named::Gray, ColorSpace::Gray, 0.5, 0.5, 0.5, 1);
}
Color Color::lightGray() {
    return makeNamed(Named::LightGray, ColorSpace::Gray, 0.667, 0.667, 0.667, 1);
}
Color Color::darkGray() {
    return makeNamed(Named::DarkGray, ColorSpace::Gray, 1.0 / 3, 1.0 / 3, 1.0 / 3, 1);
}
Color Color::red() {
    return makeNamed(Named::Red, ColorSpace::RGB, 1, 0, 0, 1);
}
Color Color::green() {
    return makeNamed(Named::Green, ColorSpace::RGB, 0, 1, 0, 1);
}
Color Color::blue() {
    return makeNamed(Named::Blue, ColorSpace::RGB, 0, 0, 1, 1);
}
Color Color::orange() {
    return makeNamed(Named::Orange, ColorSpace::RGB, 1, 0.5, 0, 1);
}

Color Color::withAlphaComponent(double alpha) const {
    Color c(r, g, b, alpha);
    c.space_ = space_;
    c.pattern_ = pattern_;
    return c;
}

void Color::getRed(double* red, double* green, double* blue, double* alpha) const {
    if (red) {
        *red = r;
    }
    if (green) {
        *green = g;
    }
    if (blue) {
        *blue = b;
    }
    if (alpha) {
        *alpha = a;
    }
}

Color::Color(const Color& other) = default;
Color& Color::operator=(const Color& other) = default;
Color::~Color() = default;

Color Color::pattern(std::shared_ptr<const Image> image) {
    Color c(0, 0, 0, 1);
    c.pattern_ = std::move(image);
    return c;
}

} // namespace gfx
