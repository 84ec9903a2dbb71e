// Dates to and from text for the few fixed patterns product code uses: "yyyyMMdd", "yyyy-MM-dd HH:mm z" and
// "yyyy-MM-dd hh:mm:ss", in a given time zone. Parsing is strict: any other text gives nullopt.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/date.h"
#include "platform/foundation/locale.h"

namespace fnd {

class DateFormatter {
public:
    // Any other pattern is logged once here, parses nothing and formats as "".
    DateFormatter(std::string_view pattern, Locale locale, TimeZone zone);

    // Fields must have exactly their pattern's digits and lie in range: months 01-12, days within the month,
    // HH 00-23, hh 01-12 (12 is the hour after midnight: with no AM/PM field every time is AM), minutes and
    // seconds 00-59. The zone field "z" takes GMT, UTC, Z, +hhmm, +hh:mm, GMT+h, GMT+hh:mm (and the same
    // with '-') and EST EDT CST CDT MST MDT PST PDT AKST AKDT HST; the other patterns read in the
    // formatter's zone. Anything else gives nullopt.
    std::optional<Date> dateFromString(std::string_view text) const;
    // The date in the formatter's zone; "z" writes "GMT" or "GMT+h[:mm]". Dates outside the years 0-9999
    // (or not finite) give "".
    std::string stringFromDate(Date date) const;

    const Locale& locale() const { return locale_; }
    const TimeZone& timeZone() const { return zone_; }

private:
    enum class Kind { Unsupported, CompactDay, MinutesWithZone, Seconds12Hour };
    Kind kind_;
    Locale locale_;
    TimeZone zone_;
};

} // namespace fnd
