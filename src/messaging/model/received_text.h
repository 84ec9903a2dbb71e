// The bound on a line of text the server sends the messenger - a chat line, a status line (miniblog) or
// a system line: past 4,096 UTF-16 units it is cut before it is cut into tokens, stored or shown, so a
// line of megabytes costs no more than a long sentence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvan {

// The UTF-16 units of a received line that are kept.
inline constexpr size_t kReceivedTextUnits = 4096;

// The text itself when it has at most kReceivedTextUnits UTF-16 units; otherwise its first
// kReceivedTextUnits units followed by "…" (U+2026), with one warning naming `what` ("chat line") and the
// length received. A surrogate pair across the cut is left out whole, never split.
std::string capReceivedText(std::string_view text, std::string_view what);

} // namespace zelvan
