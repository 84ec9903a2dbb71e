// Fuzz target for the animation library's colour texts: any text reads as a colour whose components
// lie in 0...1, and a literal key of "#" and six hex digits gives exactly that colour, opaque.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ads/marlin/animation/mn_color.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const gfx::Color c = zelvan::marlin::MNColorFromString(text);
    for (double component : {c.r, c.g, c.b, c.a}) {
        if (!(component >= 0 && component <= 1)) {
            std::abort();
        }
    }
    const gfx::Color literal = zelvan::marlin::MNColorFromLiteralKey(text);
    const bool sixDigits = text.size() >= 7 && text[0] == '#' &&
                           text.substr(1, 6).find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
    if (sixDigits) {
        const gfx::Color eight = zelvan::marlin::MNColorFromString(std::string(text.substr(0, 7)) + "FF");
        if (literal.a != 1 || !(literal == eight)) {
            std::abort();
        }
    }
    return 0;
}
