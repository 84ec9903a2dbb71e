// timetostr: picks the unit for a date's age and fills the unit's localised format.
#include "core/time_text.h"

#include <climits>
#include <cmath>

#include "core/localization.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"

namespace zelvan {
namespace {

constexpr double kMinute = 60;
constexpr double kHour = 3600;
constexpr double kDay = 86400;
constexpr double kMonthDays = 30;

std::string countText(std::string_view key, double count) {
    int n = count >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(count);
    return fnd::format(ZLS(key), n, n == 1 ? "" : "s");
}

} // namespace

std::string timetostr(fnd::Date date) {
    double age = fnd::Clock::now().timeIntervalSinceDate(date);
    // Negated test so that NaN also lands here.
    if (!(age >= 1)) {
        return ZLS("currently");
    }
    if (age < kMinute) {
        return ZLS("a moment ago");
    }
    if (age < kHour) {
        return countText("%d minute%@ ago", std::floor(age / kMinute));
    }
    if (age < kDay) {
        return countText("%d hour%@ ago", std::floor(age / kHour));
    }
    double days = std::floor(age / kDay);
    if (days < kMonthDays) {
        return countText("%d day%@ ago", days);
    }
    return countText("%d month%@ ago", std::floor(days / kMonthDays));
}

} // namespace zelvan
