// Fuzz target: the offer wall's percent-encoder. Text outside ASCII gives nothing; ASCII text gives only
// unreserved and kept characters and %XX escapes, never a raw separator, and decodes back to the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/escape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool ascii = true;
    for (unsigned char c : text) {
        ascii = ascii && c < 0x80;
    }
    const auto encoded = zelvan::brightpoint::Brightpoint::urlEncode(text);
    if (encoded.has_value() != ascii) {
        std::abort();
    }
    if (!encoded) {
        return 0;
    }
    for (char c : *encoded) {
        if (std::string_view(" '\"?=&+<>;:-").find(c) != std::string_view::npos ||
            static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) >= 0x7F) {
            std::abort();
        }
    }
    const auto decoded = fnd::unescape(*encoded);
    if (!decoded || *decoded != text) {
        std::abort();
    }
    return 0;
}
