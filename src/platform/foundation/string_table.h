// String tables in the old text form: `"key" = "value";` pairs with C-style escapes and comments,
// as kept in a bundle's *.lproj/Localizable.strings.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"

namespace fnd {

class StringTable {
public:
    using Map = std::map<std::string, std::string, std::less<>>;

    // Parses UTF-8 text (a leading byte-order mark is skipped) made of `"key" = "value";` entries
    // separated by white space, `/* block */` and `// line` comments. Quoted strings may span lines
    // and take the escapes \" \\ \' \n \t \r and \Uxxxx (a UTF-16 unit in four hex digits; a surrogate pair given as
    // two escapes joins into one character, a lone surrogate becomes U+FFFD). A later entry replaces an earlier one
    // with the same key. Malformed text (invalid UTF-8, an unterminated string or comment, a bad escape, a missing "="
    // or ";") gives a parseError (parse_error.h) naming the fault, its line and its byte offset in `text`:
    // "<reason> at line <l> (offset <n>)", where an unterminated string or comment is placed at its start. Nothing
    // is logged: callers that log write "StringTable: <description>".
    static Result<Map> parse(std::string_view text);
};

} // namespace fnd
