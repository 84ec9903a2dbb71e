// The helpers every TextMetrics shares: single advances, string widths and whole-point rounding.
#include "platform/graphics/text_metrics.h"

#include <cmath>
#include <vector>

#include "platform/graphics/code_points.h"

namespace gfx {

double TextMetrics::advance(const Font& font, char32_t codePoint) const {
    double out = 0;
    advances(font, std::u32string_view(&codePoint, 1), std::span<double>(&out, 1));
    return out;
}

double TextMetrics::width(const Font& font, std::string_view utf8) const {
    const std::u32string text = codePointsOf(utf8);
    std::vector<double> out(text.size());
    advances(font, text, out);
    double sum = 0;
    for (double a : out) {
        sum += a;
    }
    return sum;
}

double ceilPoints(double v) {
    // Sums of advances such as 0.55 x 14 carry noise of a few ulps; 1e-6 pt is far below a pixel.
    return std::ceil(v - 1e-6);
}

} // namespace gfx
