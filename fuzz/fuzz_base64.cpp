// Fuzz target: Base64 decoding of untrusted text. The strict reader either refuses it, naming a character
// of it, or gives bytes that encode back to exactly the same text; the lenient reader agrees with a small
// reference model (a bit string of the alphabet's values up to the first "=").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/data_helpers.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace {

// The lenient reading spelt out: the values of the alphabet's characters, up to the first "="; three
// bytes per four values; after "=" one byte for one or two values left over and two for three; without
// "=" a left-over group gives nothing. Bytes are cut from the values' bits in order, zeros after them.
fnd::Bytes lenientModel(std::string_view text) {
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<bool> bits;
    size_t values = 0;
    bool padded = false;
    for (char c : text) {
        if (c == '=') {
            padded = true;
            break;
        }
        const size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            continue;
        }
        ++values;
        for (int bit = 5; bit >= 0; --bit) {
            bits.push_back(((value >> bit) & 1) != 0);
        }
    }
    const size_t left = values % 4;
    const size_t count = values / 4 * 3 + (padded ? (left == 3 ? 2 : left > 0 ? 1 : 0) : 0);
    bits.resize(count * 8 + 8, false);
    fnd::Bytes out(count);
    for (size_t i = 0; i < count * 8; ++i) {
        out[i / 8] = static_cast<uint8_t>(out[i / 8] | (bits[i] ? 1 << (7 - i % 8) : 0));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto bytes = zelvan::base64Decode(text);
    if (!bytes && !(fnd::parseErrorOffset(bytes.error()) < text.size())) {
        std::abort(); // a refusal names a character of the text
    }
    if (bytes && zelvan::base64Encode(*bytes) != text) {
        std::abort();
    }
    auto back = zelvan::base64Decode(zelvan::base64Encode(fnd::Bytes(data, data + size)));
    if (!back || *back != fnd::Bytes(data, data + size)) {
        std::abort();
    }
    const fnd::Bytes lenient = zelvan::base64DecodeLenient(text);
    if (lenient != lenientModel(text) || (bytes && lenient != *bytes)) {
        std::abort(); // canonical text reads the same both ways
    }
    return 0;
}
