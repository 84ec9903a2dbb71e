// Locale and TimeZone from the environment: identifiers are checked for shape, zone names against the
// zone files, and a named zone's offset is asked of localtime_r.
#include "platform/foundation/locale.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace fnd {
namespace {

bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool validIdentifier(std::string_view id) {
    size_t sep = id.find('_');
    std::string_view lang = id.substr(0, sep);
    if (lang.size() < 2 || lang.size() > 3 || !std::all_of(lang.begin(), lang.end(), isLower)) {
        return false;
    }
    if (sep == std::string_view::npos) {
        return true;
    }
    std::string_view region = id.substr(sep + 1);
    return (region.size() == 2 && isUpper(region[0]) && isUpper(region[1])) ||
           (region.size() == 3 && std::all_of(region.begin(), region.end(), isDigit));
}

bool validZoneName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name.front() == '/' || name.find("..") != std::string_view::npos) {
        return false;
    }
    for (char c : name) {
        if (!isLower(c) && !isUpper(c) && !isDigit(c) && c != '/' && c != '_' && c != '-' && c != '+') {
            return false;
        }
    }
    struct stat st {};
    return ::stat(("/usr/share/zoneinfo/" + std::string(name)).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string gmtName(int seconds) {
    if (seconds == 0) {
        return "GMT";
    }
    const int magnitude = std::abs(seconds);
    std::string out = std::string("GMT") + (seconds < 0 ? "-" : "+") + std::to_string(magnitude / 3600);
    if (magnitude % 3600 != 0) {
        const int minutes = magnitude % 3600 / 60;
        out += (minutes < 10 ? ":0" : ":") + std::to_string(minutes);
    }
    return out;
}

} // namespace

Locale Locale::current() {
    const char* lang = std::getenv("LANG");
    std::string_view value = lang != nullptr ? lang : "";
    value = value.substr(0, value.find_first_of(".@"));
    if (auto locale = withIdentifier(value)) {
        return *locale;
    }
    return Locale("en_US");
}

std::optional<Locale> Locale::withIdentifier(std::string_view identifier) {
    if (!validIdentifier(identifier)) {
        return std::nullopt;
    }
    return Locale(std::string(identifier));
}

std::string Locale::languageCode() const {
    return identifier_.substr(0, identifier_.find('_'));
}

std::string Locale::countryCode() const {
    size_t sep = identifier_.find('_');
    return sep == std::string::npos ? std::string() : identifier_.substr(sep + 1);
}

std::vector<std::string> Locale::preferredLanguages() {
    return {current().languageCode()};
}

TimeZone TimeZone::local() {
    const char* tz = std::getenv("TZ");
    std::string_view name = tz != nullptr ? tz : "";
    if (!name.empty() && name.front() == ':') {
        name.remove_prefix(1);
    }
    if (name == "UTC" || name == "GMT" || name == "Etc/UTC" || name == "Etc/GMT" || !validZoneName(name)) {
        return utc();
    }
    return TimeZone(std::string(name), std::nullopt);
}

TimeZone TimeZone::utc() {
    return TimeZone("UTC", 0);
}

TimeZone TimeZone::withSecondsFromGmt(int seconds) {
    return TimeZone(gmtName(seconds), seconds);
}

int TimeZone::secondsFromGmtForDate(Date date) const {
    if (fixed_) {
        return *fixed_;
    }
    // The C library reads TZ once; ask it to look again, since tests and users may change it.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    ::tzset();
    const double unix = std::floor(date.since1970());
    if (!(unix > -1e15 && unix < 1e15)) {
        return 0;
    }
    const std::time_t t = static_cast<std::time_t>(unix);
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr) {
        return 0;
    }
    return static_cast<int>(tm.tm_gmtoff);
}

} // namespace fnd
