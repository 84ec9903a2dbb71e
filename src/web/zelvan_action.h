// The zelvan:// URLs pages navigate to when they ask native code for something, and their parser.
//
// Grammar (after the scheme, which is matched without regard to case):
//
//   zelvan://<action>[?<variable>[?<relative url>]]
//
//   action        letters, digits and '_' (one trailing '/' is ignored); compared in lower case
//   variable      percent-encoded; empty -> null; text starting with '{', '[' or '"' must be JSON
//                 and becomes its value; any other text (a page key such as "static_home", a
//                 word, a number) stays a string
//   relative url  percent-encoded; everything after the second '?' (it may hold more '?')
//
// Each part is split off first and then percent-decoded, so "%3F" inside a part is a literal '?'.
// Example: "zelvan://slidenewpage?static_home?uid=42" is the action "slidenewpage" with the string
// "static_home" and the relative URL "uid=42".
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

inline constexpr std::string_view kZelvanScheme = "zelvan";

struct ZelvanAction {
    std::string action; // lower case
    fnd::Value jsonVar; // null, a JSON value, or the variable's text
    std::string relativeUrl;
};

// Whether `url` uses the zelvan:// scheme (any case).
bool isZelvanUrl(std::string_view url);

// The parts of a zelvan:// URL. Another scheme, a missing or ill-formed action, a bad percent escape
// (or escapes that decode to ill-formed UTF-8), or a variable that looks like JSON but does not parse
// give a parse error, logging nothing, whose offset is the place in `url`: the first character that
// breaks the scheme or the action name, the '%' of a bad escape, or the start of the part at fault.
fnd::Result<ZelvanAction> parseZelvanUrl(std::string_view url);

} // namespace zelvan
