// ZJSON: the core's JSON codec for page data and bridge arguments - a strict parser into fnd::Value
// with a nesting cap, and a compact writer back to text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

class ZJSON {
public:
    // Arrays and objects nest at most this deep, in parsing and in writing.
    static constexpr int kMaxDepth = 256;

    // The value of a complete JSON text (RFC 8259: any value at the top, no comments, no trailing
    // commas, nothing but white space after it). Integers that fit int64 stay integers; other
    // numbers become doubles (a number out of the double range is refused). Objects become
    // dictionaries in the order of the text (a repeated key keeps its last value). Ill-formed text,
    // ill-formed UTF-8 and nesting beyond kMaxDepth give a fnd::parseError naming the line and the
    // byte offset of the fault ("<reason> at line <l> (offset <n>)"); nothing is logged, and callers
    // that log write "JSON parse failed: <description>".
    static fnd::Result<fnd::Value> parse(std::string_view text);

    // Compact JSON for `value`: null, bools, integers, finite doubles, decimal numbers (their literal
    // text, which must be a JSON number), strings (valid UTF-8), arrays and dictionaries (integer
    // keys written as their decimal text). Data, dates, objects, non-finite doubles, ill-formed
    // UTF-8 and nesting beyond kMaxDepth (which also catches a container holding itself) are
    // refused: empty, with a warning traced.
    static std::optional<std::string> write(const fnd::Value& value);
};

} // namespace zelvan
