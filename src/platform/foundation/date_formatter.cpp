// DateFormatter: civil-date arithmetic on days since 1970, strict field readers, and the table of zone
// abbreviations the "z" field accepts.
#include "platform/foundation/date_formatter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/foundation/log.h"

namespace fnd {
namespace {

constexpr double kSecondsPerDay = 86400.0;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Civil {
    int64_t year;
    unsigned month, day;
};

Civil civilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

unsigned daysInMonth(int64_t y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads exactly `n` digits at `pos`, moving past them.
std::optional<int> digits(std::string_view text, size_t* pos, size_t n) {
    if (*pos + n > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[*pos + i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    *pos += n;
    return value;
}

bool literal(std::string_view text, size_t* pos, char c) {
    if (*pos < text.size() && text[*pos] == c) {
        ++*pos;
        return true;
    }
    return false;
}

// Seconds east of Greenwich for a zone field, or nullopt.
std::optional<int> zoneOffset(std::string_view z) {
    static constexpr struct {
        std::string_view name;
        int hours;
    } kNamed[] = {{"GMT", 0},  {"UTC", 0},  {"Z", 0},    {"EST", -5}, {"EDT", -4},  {"CST", -6},  {"CDT", -5},
                  {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}, {"AKST", -9}, {"AKDT", -8}, {"HST", -10}};
    for (const auto& n : kNamed) {
        if (z == n.name) {
            return n.hours * 3600;
        }
    }
    const bool gmt = z.substr(0, 3) == "GMT";
    if (gmt) {
        z.remove_prefix(3);
    }
    if (z.empty() || (z[0] != '+' && z[0] != '-')) {
        return std::nullopt;
    }
    const int sign = z[0] == '-' ? -1 : 1;
    size_t pos = 1;
    std::optional<int> hours, minutes = 0;
    const size_t colon = z.find(':');
    const size_t hourDigits = (colon == std::string_view::npos ? z.size() : colon) - 1;
    if (gmt) {
        // GMT+h, GMT+hh, optionally with :mm.
        if (hourDigits != 1 && hourDigits != 2) {
            return std::nullopt;
        }
        hours = digits(z, &pos, hourDigits);
        if (colon != std::string_view::npos) {
            ++pos;
            minutes = digits(z, &pos, 2);
        }
    } else {
        // +hhmm or +hh:mm.
        hours = digits(z, &pos, 2);
        if (colon != std::string_view::npos && !literal(z, &pos, ':')) {
            return std::nullopt;
        }
        minutes = digits(z, &pos, 2);
    }
    if (!hours || !minutes || pos != z.size() || *hours > 23 || *minutes > 59) {
        return std::nullopt;
    }
    return sign * (*hours * 3600 + *minutes * 60);
}

std::string twoDigits(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02u", v % 100);
    return buf;
}

} // namespace

DateFormatter::DateFormatter(std::string_view pattern, Locale locale, TimeZone zone)
    : kind_(Kind::Unsupported), locale_(std::move(locale)), zone_(std::move(zone)) {
    if (pattern == "yyyyMMdd") {
        kind_ = Kind::CompactDay;
    } else if (pattern == "yyyy-MM-dd HH:mm z") {
        kind_ = Kind::MinutesWithZone;
    } else if (pattern == "yyyy-MM-dd hh:mm:ss") {
        kind_ = Kind::Seconds12Hour;
    } else {
        ZLOG(Warn, "DateFormatter: unsupported pattern \"%s\"", std::string(pattern));
    }
}

std::optional<Date> DateFormatter::dateFromString(std::string_view text) const {
    if (kind_ == Kind::Unsupported) {
        return std::nullopt;
    }
    size_t pos = 0;
    const bool dashed = kind_ != Kind::CompactDay;
    auto year = digits(text, &pos, 4);
    if (!year || (dashed && !literal(text, &pos, '-'))) {
        return std::nullopt;
    }
    auto month = digits(text, &pos, 2);
    if (!month || (dashed && !literal(text, &pos, '-'))) {
        return std::nullopt;
    }
    auto day = digits(text, &pos, 2);
    if (!day || *month < 1 || *month > 12 || *day < 1 ||
        static_cast<unsigned>(*day) > daysInMonth(*year, static_cast<unsigned>(*month))) {
        return std::nullopt;
    }
    int hour = 0, minute = 0, second = 0;
    std::optional<int> offset;
    if (dashed) {
        auto h = literal(text, &pos, ' ') ? digits(text, &pos, 2) : std::nullopt;
        auto m = h && literal(text, &pos, ':') ? digits(text, &pos, 2) : std::nullopt;
        if (!m || *m > 59) {
            return std::nullopt;
        }
        hour = *h;
        minute = *m;
        if (kind_ == Kind::MinutesWithZone) {
            if (hour > 23 || !literal(text, &pos, ' ')) {
                return std::nullopt;
            }
            offset = zoneOffset(text.substr(pos));
            if (!offset) {
                return std::nullopt;
            }
            pos = text.size();
        } else {
            auto s = literal(text, &pos, ':') ? digits(text, &pos, 2) : std::nullopt;
            if (!s || *s > 59 || hour < 1 || hour > 12) {
                return std::nullopt;
            }
            second = *s;
            hour %= 12;
        }
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    const double wall =
        static_cast<double>(daysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day))) *
            kSecondsPerDay +
        hour * 3600.0 + minute * 60.0 + second;
    if (!offset) {
        // The zone's offset at that wall time: look it up at the wall time read as UTC, then once more at
        // the instant that gives, which settles it except inside a daylight-saving change.
        const int guess = zone_.secondsFromGmtForDate(Date::fromUnix(wall));
        offset = zone_.secondsFromGmtForDate(Date::fromUnix(wall - guess));
    }
    return Date::fromUnix(wall - *offset);
}

std::string DateFormatter::stringFromDate(Date date) const {
    if (kind_ == Kind::Unsupported || !std::isfinite(date.since1970())) {
        return {};
    }
    const int offset = zone_.secondsFromGmtForDate(date);
    const double local = std::floor(date.since1970()) + offset;
    if (local < -62167219200.0 || local >= 253402300800.0) { // 0000-01-01 .. 9999-12-31
        return {};
    }
    const auto whole = static_cast<int64_t>(local);
    int64_t days = whole / 86400;
    int64_t secs = whole % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    const Civil c = civilFromDays(days);
    char year[24]; // wide enough for any 64-bit year, so the compiler sees no truncation
    std::snprintf(year, sizeof year, "%04lld", static_cast<long long>(c.year));
    const unsigned hour = static_cast<unsigned>(secs / 3600), minute = static_cast<unsigned>(secs % 3600 / 60),
                   second = static_cast<unsigned>(secs % 60);
    switch (kind_) {
    case Kind::CompactDay:
        return year + twoDigits(c.month) + twoDigits(c.day);
    case Kind::MinutesWithZone:
        return std::string(year) + "-" + twoDigits(c.month) + "-" + twoDigits(c.day) + " " + twoDigits(hour) + ":" +
               twoDigits(minute) + " " + TimeZone::withSecondsFromGmt(offset).name();
    case Kind::Seconds12Hour:
        return std::string(year) + "-" + twoDigits(c.month) + "-" + twoDigits(c.day) + " " +
               twoDigits(hour % 12 == 0 ? 12 : hour % 12) + ":" + twoDigits(minute) + ":" + twoDigits(second);
    case Kind::Unsupported:
        break;
    }
    return {};
}

} // namespace fnd
