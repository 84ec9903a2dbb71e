// Fuzz target: the Kavlo decoder of percent-escaped text gives well-formed UTF-8 or no text, and the two
// Kavlo encoders round-trip any well-formed text through it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analytics/kavlo/kavlo_strings.h"
#include "platform/foundation/encodings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelvan::kavlo;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto decoded = MCCreateURLDecodedString(input);
    if (decoded && !fnd::isValidUtf8(*decoded)) {
        std::abort();
    }
    if (fnd::isValidUtf8(input)) {
        if (MCCreateURLDecodedString(MCCreateURLEncodedString(input)) != std::string(input) ||
            MCCreateURLDecodedString(MCCreatePostEncodedString(input)) != std::string(input)) {
            std::abort();
        }
    }
    return 0;
}
