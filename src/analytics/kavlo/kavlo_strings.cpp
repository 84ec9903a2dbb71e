// The Kavlo string helpers over fnd's escaping and digest.
#include "analytics/kavlo/kavlo_strings.h"

#include "platform/foundation/digest.h"
#include "platform/foundation/escape.h"

namespace zelvan::kavlo {
namespace {

// Escaped on top of URL escaping in a posted JSON text, and the JSON punctuation kept readable.
constexpr std::string_view kPostEscapes = "();@&=+$/?[] %#";
constexpr std::string_view kPostKeeps = "\"{}:";
constexpr std::string_view kURLEscapes = "!*\"'();:@&=+$,/?%#[] ";

} // namespace

std::string MCCreatePostEncodedString(std::string_view text) {
    return fnd::escapeLegacyPlus(text, kPostEscapes, kPostKeeps);
}

std::string MCCreateURLEncodedString(std::string_view text) {
    return fnd::escapeLegacyPlus(text, kURLEscapes);
}

std::optional<std::string> MCCreateURLDecodedString(std::string_view text) {
    return fnd::unescape(text);
}

std::string MCCreateSHA1String(const fnd::Bytes& data) {
    return fnd::sha1HexUpper(data);
}

std::string MCCreateSHA1String(std::string_view data) {
    return fnd::sha1HexUpper(data);
}

} // namespace zelvan::kavlo
