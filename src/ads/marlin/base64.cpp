// The interstitial client's Base64 fronts over core/data_helpers.
#include "ads/marlin/base64.h"

#include "core/data_helpers.h"
#include "platform/foundation/encodings.h"

namespace zelvan::marlin {
namespace {

std::optional<std::string> utf8Text(const fnd::Bytes& bytes) {
    std::string text(bytes.begin(), bytes.end());
    if (!fnd::isValidUtf8(text)) {
        return std::nullopt;
    }
    return text;
}

std::string_view asText(const fnd::Bytes& data) {
    return std::string_view(reinterpret_cast<const char*>(data.data()), data.size());
}

} // namespace

std::string B64Encode(const fnd::Bytes& data) {
    return zelvan::base64Encode(data);
}

fnd::Bytes B64Decode(std::string_view text) {
    return zelvan::base64DecodeLenient(text);
}

std::string Base64::base64StringWithString(std::string_view text) {
    return B64Encode(fnd::Bytes(text.begin(), text.end()));
}

std::optional<std::string> Base64::stringWithBase64String(std::string_view base64) {
    return utf8Text(B64Decode(base64));
}

std::string Base64::base64StringWithData(const fnd::Bytes& data) {
    return B64Encode(data);
}

std::optional<std::string> Base64::stringWithBase64Data(const fnd::Bytes& data) {
    return utf8Text(B64Decode(asText(data)));
}

fnd::Bytes Base64::dataWithBase64String(std::string_view base64) {
    return B64Decode(base64);
}

fnd::Bytes Base64::dataWithBase64Data(const fnd::Bytes& data) {
    return B64Decode(asText(data));
}

} // namespace zelvan::marlin
