// Colours as four doubles in an RGB or grey colour space, with the system's named colours, plus the
// 8-bit unpremultiplied pixel value that image pixel reads return.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace gfx {

class Image;

enum class ColorSpace { RGB, Gray };

// The system's named colours; a colour made by a named factory carries its tag.
enum class Named { Black, White, Clear, Gray, LightGray, DarkGray, Red, Green, Blue, Orange };

// One unpremultiplied 8-bit pixel.
struct Rgba8 {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 0;
    constexpr bool operator==(const Rgba8&) const = default;
};

// A colour. Components are stored as given (not clamped); a grey colour keeps r = g = b = its white
// level, so getRed() reads any colour as RGB. Equality compares space and components, not the tag.
struct Color {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double alpha = 1) : r(red), g(green), b(blue), a(alpha) {}
    // Out of line: colours are copied all over drawing code, and the pattern reference would otherwise
    // inline its reference counting into every copy.
    Color(const Color& other);
    Color& operator=(const Color& other);
    ~Color();

    static Color rgba(double r, double g, double b, double a) { return Color(r, g, b, a); }
    // A grey colour of white level `w`.
    static Color white(double w, double a);
    // 0xRRGGBB with the given alpha.
    static Color fromRgbHex(uint32_t rgb, double alpha = 1);

    static Color black();
    static Color white();
    static Color clear();
    static Color gray();      // 0.5
    static Color lightGray(); // 0.667
    static Color darkGray();  // 1/3
    static Color red();
    static Color green();
    static Color blue();
    static Color orange(); // (1, 0.5, 0)

    // A colour that fills by tiling `image` from the user-space origin (tiles of the image's size, each
    // drawn as drawImage draws it). Its components read as opaque black; withAlphaComponent makes the
    // whole pattern translucent.
    static Color pattern(std::shared_ptr<const Image> image);
    // The tile image of a pattern colour, else null.
    const std::shared_ptr<const Image>& patternImage() const { return pattern_; }

    // The same colour (and space) with another alpha; the result is not a named colour.
    Color withAlphaComponent(double alpha) const;
    // Reads the components as RGB; any pointer may be null.
    void getRed(double* red, double* green, double* blue, double* alpha) const;

    ColorSpace space() const { return space_; }
    bool isNamed(Named n) const { return named_ == n; }
    std::optional<Named> named() const { return named_; }

    bool operator==(const Color& o) const {
        return r == o.r && g == o.g && b == o.b && a == o.a && space_ == o.space_ && pattern_ == o.pattern_;
    }

private:
    static Color makeNamed(Named n, ColorSpace space, double r, double g, double b, double a);

    ColorSpace space_ = ColorSpace::RGB;
    std::optional<Named> named_;
    std::shared_ptr<const Image> pattern_;
};

} // namespace gfx
