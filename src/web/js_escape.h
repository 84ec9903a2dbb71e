// The one way native code puts data into a page script: text as a quoted JavaScript string literal,
// and any JSON-able value as a literal that is also safe inside an inline <script> block.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan {

// `text` as a double-quoted JavaScript string literal: backslash, both quotes, CR, LF and tab
// escaped, U+2028 and U+2029 as \u2028 and \u2029, "</" as "<\/", other control characters as
// \u00XX. Ill-formed UTF-8 (lone surrogates included) becomes U+FFFD, so the result is always a
// well-formed literal.
std::string jsStringLiteral(std::string_view text);

// `value` as a JavaScript literal: strings as jsStringLiteral, everything else as its compact JSON
// with U+2028, U+2029 and "</" escaped inside its strings. Empty (logged) for values JSON cannot
// hold (data, objects, non-finite numbers, ill-formed UTF-8 inside containers).
std::optional<std::string> jsValueLiteral(const fnd::Value& value);

} // namespace zelvan
