// Base64: the interstitial client's Base64 fronts (standard alphabet, "=" padding, one line) over the
// core's encoder and lenient decoder, which skips characters outside the alphabet.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace zelvan::marlin {

class Base64 {
public:
    // Of the text's UTF-8 bytes.
    static std::string base64StringWithString(std::string_view text);
    // The decoded bytes as UTF-8 text; none when they are not UTF-8.
    static std::optional<std::string> stringWithBase64String(std::string_view base64);
    static std::string base64StringWithData(const fnd::Bytes& data);
    // `data` holds Base64 text; its decoded bytes as UTF-8 text, or none.
    static std::optional<std::string> stringWithBase64Data(const fnd::Bytes& data);
    static fnd::Bytes dataWithBase64String(std::string_view base64);
    static fnd::Bytes dataWithBase64Data(const fnd::Bytes& data);
};

// 4 x ceil(n / 3) characters.
std::string B64Encode(const fnd::Bytes& data);
// Characters outside the alphabet are skipped; "=" ends the text.
fnd::Bytes B64Decode(std::string_view text);

} // namespace zelvan::marlin
