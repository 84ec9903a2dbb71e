// Ages of dates as short localised texts ("a moment ago", "3 hours ago"), for list rows that show
// when something last happened.
#pragma once

#include <string>

#include "platform/foundation/date.h"

namespace zelvan {

// The age of `date` relative to fnd::Clock::now(), in whole units rounded down: under 1 s
// "currently", under 60 s "a moment ago", then minutes (under an hour), hours (under a day), days
// (under 30 days) and months, a month being 30 days. Every text is the localised text of its key
// ("%d minute%@ ago", ...) filled with the count and "" for one or "s" otherwise. A date in the
// future (clocks of sender and device disagree) or not a number reads as "currently"; a count too
// large for an int is capped at INT_MAX.
std::string timetostr(fnd::Date date);

} // namespace zelvan
