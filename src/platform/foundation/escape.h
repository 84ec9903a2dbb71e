// Percent escaping for URLs and query parts, and escaping of text spliced into JavaScript string
// literals and HTML. Percent escapes are written with upper-case hex (%2F) over UTF-8 bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fnd {

// Keeps A-Z a-z 0-9 - _ . ! ~ * ' ( ), the reserved ; / ? : @ & = + $ , and #; escapes every other
// byte: space, " % < > [ ] \ ^ ` { | }, controls, DEL and all non-ASCII bytes.
std::string escapeLegacy(std::string_view s);

// As escapeLegacy, but the ASCII characters of `keepToo` are kept as well and then those of `extra` are
// escaped (a character in both is escaped).
std::string escapeLegacyPlus(std::string_view s, std::string_view extra, std::string_view keepToo = {});

// Keeps only A-Z a-z 0-9 - . _ ~; for keys and values that must not inject structure.
std::string escapeUnreserved(std::string_view s);

// Decodes every %XX (either hex case). nullopt when a % is not followed by two hex digits or when the
// decoded bytes are not well-formed UTF-8. "+" stays "+".
std::optional<std::string> unescape(std::string_view s);

// Decodes every valid %XX; a % without two hex digits stays literal, and ill-formed UTF-8 in the
// result becomes U+FFFD.
std::string unescapeLenient(std::string_view s);

// Text for the inside of a JavaScript string literal (single or double quoted): \ ' " newline, CR
// and tab as \\ \' \" \n \r \t; U+2028 and U+2029 as \u2028 \u2029; "</" as "<\/"; other control
// characters (U+0000-U+001F, U+007F-U+009F) as \u00XX. Ill-formed UTF-8 becomes U+FFFD.
std::string jsEscape(std::string_view s);

// Text for HTML content or a quoted attribute: & < > " ' as &amp; &lt; &gt; &quot; &#39;.
// Ill-formed UTF-8 becomes U+FFFD.
std::string htmlEscape(std::string_view s);

} // namespace fnd
