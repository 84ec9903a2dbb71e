// The animation library's one colour rule: a leading "#" dropped, the rest one hexadecimal unsigned
// 32-bit number read as RRGGBBAA.
#pragma once

#include <string_view>

#include "platform/graphics/color.h"

namespace zelvan::marlin {

// "#FF000080" is half-transparent red; six digits read as 00RRGGBB. Text that is not hexadecimal
// reads as 0 (transparent black); a number too large for 32 bits reads as all ones.
gfx::Color MNColorFromString(std::string_view text);

// The literal colour of a pattern key starting with "#": its first seven characters with "FF"
// appended, read by the rule above, so "#RRGGBB..." is opaque RRGGBB.
gfx::Color MNColorFromLiteralKey(std::string_view key);

} // namespace zelvan::marlin
