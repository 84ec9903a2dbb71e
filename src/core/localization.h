// The localisation lookup: ZLS turns a key into the user-facing text of the bundle's English string
// table (en.lproj/Localizable.strings), falling back to the key itself.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace zelvan {

// The localised text for `key`, or `key` itself when the table has no entry for it. The table is
// loaded from the main bundle on first use (once, thread-safe); a missing or malformed table is
// logged once and every key then falls back to itself.
std::string ZLS(std::string_view key);

// The loaded table (empty when the bundle has none), for callers that need to enumerate it.
const std::map<std::string, std::string, std::less<>>& localizedStringTable();

} // namespace zelvan
