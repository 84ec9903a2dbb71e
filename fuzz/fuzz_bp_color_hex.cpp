// Fuzz target: the offer wall's colour reader. Any text gives an opaque colour with channels in 0...1;
// what is not six hexadecimal digits (after blanks and one "#") gives black.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "offers/brightpoint/brightpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const gfx::Color c = zelvan::brightpoint::Brightpoint::colorForHex(text);
    if (c.a != 1.0 || c.r < 0 || c.r > 1 || c.g < 0 || c.g > 1 || c.b < 0 || c.b > 1) {
        std::abort();
    }
    size_t digits = 0;
    for (unsigned char ch : text) {
        digits += std::isxdigit(ch) ? 1 : 0;
    }
    if (digits < 6 && !(c.r == 0 && c.g == 0 && c.b == 0)) {
        std::abort();
    }
    return 0;
}
