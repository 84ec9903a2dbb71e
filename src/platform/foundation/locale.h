// The user's locale and time zone, read from LANG and TZ. Anything unset, "C", "POSIX" or malformed gives
// en_US and UTC, so product code always sees a usable identifier.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/date.h"

namespace fnd {

class Locale {
public:
    // From LANG, read on every call: "de_DE.UTF-8@euro" gives "de_DE". Unset, empty, "C", "POSIX" or
    // anything that is not a language (2-3 lower-case letters) with an optional region (2 upper-case
    // letters or 3 digits) gives en_US.
    static Locale current();
    // The locale for an identifier of that shape ("en_US", "fr"), or nullopt.
    static std::optional<Locale> withIdentifier(std::string_view identifier);

    const std::string& identifier() const { return identifier_; }
    std::string languageCode() const;
    std::string countryCode() const; // "" when the identifier names no region
    // The user's languages, most preferred first: the current locale's language.
    static std::vector<std::string> preferredLanguages();

    bool operator==(const Locale&) const = default;

private:
    explicit Locale(std::string identifier) : identifier_(std::move(identifier)) {}
    std::string identifier_;
};

class TimeZone {
public:
    // From TZ, read on every call (a leading ':' is dropped). Unset, empty, malformed, or a name with no
    // zone file under /usr/share/zoneinfo gives UTC. Offsets of a named zone come from the C library.
    static TimeZone local();
    static TimeZone utc();
    // A zone at a fixed offset east of Greenwich, named "GMT", "GMT+1", "GMT-5:30".
    static TimeZone withSecondsFromGmt(int seconds);

    const std::string& name() const { return name_; }
    int secondsFromGmtForDate(Date date) const;

private:
    TimeZone(std::string name, std::optional<int> fixed) : name_(std::move(name)), fixed_(fixed) {}
    std::string name_;
    std::optional<int> fixed_; // nullopt: the C library's local zone
};

} // namespace fnd
