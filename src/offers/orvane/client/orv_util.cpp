// ORVUtil's text, colour and Base64 operations.
#include "offers/orvane/client/orv_util.h"

#include <algorithm>

#include "core/data_helpers.h"
#include "offers/orvane/client/orv_parser.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/scalar.h"

namespace zelvan::orvane {

namespace {

// Escaped on top of the legacy URL escapes, so that only letters and digits stay as they are and
// nothing ("'", "#", "&", "=", ...) can end or split the mail URL's body.
constexpr std::string_view kMailExtraEscapes = "!$&'()*+,-./:;=?@_~#";

} // namespace

std::string ORVUtil::removeUnRequiredHTMLTags(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('<', at);
        const size_t close = open == std::string_view::npos ? open : text.find('>', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        at = close + 1;
    }
    return out;
}

std::string ORVUtil::formatString(int value) {
    const uint64_t magnitude = value < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(value)) : value;
    const std::string digits = std::to_string(magnitude);
    std::string out = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out.push_back(',');
        }
        out.push_back(digits[i]);
    }
    return out;
}

std::string ORVUtil::escapeUnrequiredChracterForEmailBody(std::string_view text) {
    return fnd::escapeLegacyPlus(fnd::unescapeLenient(text), kMailExtraEscapes);
}

std::string ORVUtil::getXMLRootStrValueWithDict(const fnd::Value& dictionary, std::string_view token) {
    return ORVParser::stringValue(dictionary, token).value_or(std::string());
}

int64_t ORVUtil::getStrLongValue(std::string_view text) {
    return fnd::longLongValue(text);
}

fnd::Bytes ORVUtil::dataWithBase64EncodedString(std::string_view text) {
    return base64DecodeLenient(text);
}

int32_t ORVUtil::addWhite(int32_t colorCode, int amount) {
    int32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int64_t channel = ((colorCode >> shift) & 0xFF) + static_cast<int64_t>(amount);
        out |= static_cast<int32_t>(std::clamp<int64_t>(channel, 0, 255)) << shift;
    }
    return out;
}

gfx::Color ORVUtil::getUserDefinedColor() {
    return gfx::Color::fromRgbHex(static_cast<uint32_t>(getUserDefinedColorCode()));
}

} // namespace zelvan::orvane
