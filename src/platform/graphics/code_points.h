// Conversions between UTF-8 text and code points for text layout, built on fnd's UTF-16 helpers, so
// cuts are made at code-point boundaries and a surrogate pair is never split.
#pragma once

#include <string>
#include <string_view>

namespace gfx {

// The code points of UTF-8 text; ill-formed bytes read as U+FFFD.
std::u32string codePointsOf(std::string_view utf8);

// UTF-8 text of code points.
std::string utf8Of(std::u32string_view codePoints);

} // namespace gfx
