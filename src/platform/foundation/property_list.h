// Reader and writer for XML property lists (dict, array, string, integer, real, true, false, date,
// data) and fnd::Value, and reader of the old text form. Input is treated as untrusted: no network, no
// DTD loading, no entity expansion, bounded size and nesting.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace fnd {

class PropertyList {
public:
    // Nesting of dicts and arrays allowed below the <plist> element.
    static constexpr int kMaxDepth = 64;
    // Largest document accepted.
    static constexpr size_t kMaxBytes = 16 * 1024 * 1024;

    // The value inside <plist>...</plist>. Dicts become Dictionary values in document order, integers
    // Int, reals Double, dates Date, data Data. Bytes that are not a well-formed XML property list
    // within the limits give a parseError (parse_error.h) that names the fault and where it lies:
    // "<reason> at line <l> (offset <n>)", n the byte offset of the element at fault or of libxml2's
    // error; an empty or oversized document gives "<reason> at offset <n>". Nothing is logged: callers
    // that log write "PropertyList: <description>".
    //
    // Bytes whose first character after a byte-order mark and white space is not '<' are read as the old
    // text form instead: `"key" = "value";` entries (StringTable's syntax), bare or inside one pair of
    // braces, giving a dictionary of strings; its errors are StringTable's. Characters of that form that XML
    // cannot carry (controls other than tab, line feed and carriage return, U+FFFE, U+FFFF) are dropped with
    // one WARN, so that whatever was read can always be written back.
    static Result<Value> read(const Bytes& bytes);
    static Result<Value> read(std::string_view text);

    // The value as an XML property list document that read() gives back, or nullopt (with a log
    // line naming the offending path) when the value cannot be held by one: null, objects,
    // integer dictionary keys, text that is not UTF-8 or has characters XML forbids (controls other
    // than tab, line feed and carriage return), dates outside the years 0-9999, nesting beyond
    // kMaxDepth or a document over kMaxBytes. Decimals are written as <integer> when their text
    // is a 64-bit integer, else as <real>. Dates keep microsecond precision.
    static std::optional<std::string> write(const Value& value);
};

} // namespace fnd
