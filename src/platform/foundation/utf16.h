// Counting, cutting and searching UTF-8 text in UTF-16 code units, the unit in which the product
// measures text (lengths, positions, truncation). Ill-formed UTF-8 reads as U+FFFD, one per
// maximal ill-formed subpart, and every string these functions return is valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/range.h"

namespace fnd {

// Search and comparison options; a bit-flag set (combine with |).
enum class Options : unsigned {
    None = 0,
    CaseInsensitive = 1, // per code point, folded as caseInsensitiveCompare does
    Literal = 2,         // accepted; matching is always exact by code unit (no normalisation)
    Backwards = 4,       // the last match instead of the first
};

constexpr Options operator|(Options a, Options b) {
    return static_cast<Options>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool hasOption(Options set, Options flag) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

// Number of UTF-16 code units of the text.
size_t utf16Length(std::string_view s);

// The UTF-16 code unit at index i (one half of a surrogate pair for characters above U+FFFF), or 0
// when i is at or past the end.
char16_t utf16CharAt(std::string_view s, size_t i);

// The text of the UTF-16 range r, clamped to the text. A cut through a surrogate pair keeps the
// half inside the range as U+FFFD, so the result is always valid UTF-8.
std::string utf16Substring(std::string_view s, Range r);

// The text from UTF-16 index i to the end (empty when i is past the end); cuts as utf16Substring.
std::string utf16SubstringFrom(std::string_view s, size_t i);

// Like utf16Substring, but a cut through a surrogate pair moves to the nearest code-point boundary
// inside the range: a pair half inside the range is dropped, never replaced. The result is never
// longer than the range asked for, so it suits truncation to a length limit.
std::string utf16SubstringSafe(std::string_view s, Range r);

// The text as UTF-16 code units.
std::u16string toUtf16(std::string_view s);

// UTF-16 code units as UTF-8 text; a lone surrogate becomes U+FFFD.
std::string fromUtf16(std::u16string_view units);

// Appends the UTF-8 bytes of the code point `cp` (callers pass a scalar value: surrogates already
// combined or replaced).
void appendUtf8(std::string& out, char32_t cp);

// The UTF-16 range of the first (or with Backwards, the last) occurrence of needle inside the UTF-16
// range `within` of s (clamped to the text; by default all of it), or Range::notFound() when there
// is none or needle is empty.
Range rangeOfString(std::string_view s, std::string_view needle, Options options = Options::None,
                    Range within = Range{0, kNotFound});

} // namespace fnd
