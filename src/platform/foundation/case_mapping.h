// Per-code-point case mapping for the text helpers of fnd, done by glibc's towlower/towupper under a
// private C.UTF-8 locale object, so non-ASCII names fold without ICU and without touching the
// process locale.
#pragma once

namespace fnd::detail {

// The lower- and upper-case forms of one code point (itself where it has none).
char32_t lowercaseCodePoint(char32_t c);
char32_t uppercaseCodePoint(char32_t c);

// The form two code points share when they differ only in case: lower(upper(c)), so that "Σ", "σ"
// and the final "ς" all fold alike.
char32_t foldCodePoint(char32_t c);

} // namespace fnd::detail
