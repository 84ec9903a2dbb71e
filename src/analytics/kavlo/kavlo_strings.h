// The Kavlo client's string helpers: the two percent encoders of its upload body and ad URLs, the
// decoder, and the SHA-1 text of its session ids. Each is a front over fnd's one encoder and digest.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace zelvan::kavlo {

// For a JSON text in a form body: percent-escapes UTF-8 as URL escaping does, keeps double quote, { } and
// : readable, and escapes ( ) ; @ & = + $ / ? [ ] space, % and # (a form parser would decode or cut at them).
std::string MCCreatePostEncodedString(std::string_view text);
// For a query value: percent-escapes UTF-8 and every character with a meaning in a URL:
// ! * " ' ( ) ; : @ & = + $ , / ? % # [ ] and space.
std::string MCCreateURLEncodedString(std::string_view text);
// Replaces every percent escape; none when an escape is malformed or the bytes are not UTF-8. "+" stays.
std::optional<std::string> MCCreateURLDecodedString(std::string_view text);
// SHA-1 of the bytes as 40 upper-case hexadecimal digits.
std::string MCCreateSHA1String(const fnd::Bytes& data);
std::string MCCreateSHA1String(std::string_view data);

} // namespace zelvan::kavlo
