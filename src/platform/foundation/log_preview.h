// Bounded, escaped previews of outside data for log lines: a text, a byte buffer or a value is shown as
// at most a fixed number of bytes of printable text, and a cut preview names the full size, so a
// hostile server or page cannot flood the log or break its lines.
#pragma once

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace fnd {

// The default number of bytes of preview text before the cut mark.
inline constexpr size_t kLogPreviewBytes = 200;

// The text as it may stand in a log line. Printable text, including well-formed UTF-8, stays as it
// is; a backslash becomes \\, newline, CR and tab become \n \r \t, and other control characters and
// bytes that are not well-formed UTF-8 become \xNN. A character is never split: when the next one
// does not fit in `limit` bytes, the preview stops there and ends with "…" and the full length, as in
// `abc… (2097152 bytes)`. Short printable ASCII is returned at the cost of one scan.
std::string logPreview(std::string_view text, size_t limit = kLogPreviewBytes);

// The bytes escaped as text, as above.
std::string logPreview(const Bytes& bytes, size_t limit = kLogPreviewBytes);

// The value in the form of Value::description(), with strings escaped as above (and quoted inside
// containers), rendered piece by piece only until `limit` bytes are filled: an array of millions of
// elements costs no more than a short one. A cut preview ends with "…" and the size of the value
// (bytes of a string or data, elements of an array, entries of a dictionary). Only a Value itself is
// accepted, so texts never turn into temporary values.
std::string logPreviewValue(const Value& value, size_t limit);
template <class V>
requires std::same_as<V, Value> std::string logPreview(const V& value, size_t limit = kLogPreviewBytes) {
    return logPreviewValue(value, limit);
}

// Why an operation failed, for a log line: the error's description and, when it has one, its failure reason
// (which may quote a server) as a preview.
std::string logReason(const Error& error);

} // namespace fnd
