// Fuzz target: text read by each date pattern either gives nothing or a date that formats back to text
// the same pattern reads as the same date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/foundation/date_formatter.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static const fnd::Locale locale = *fnd::Locale::withIdentifier("en_US");
    static const fnd::DateFormatter formatters[] = {
        fnd::DateFormatter("yyyyMMdd", locale, fnd::TimeZone::utc()),
        fnd::DateFormatter("yyyy-MM-dd HH:mm z", locale, fnd::TimeZone::utc()),
        fnd::DateFormatter("yyyy-MM-dd HH:mm z", locale, fnd::TimeZone::withSecondsFromGmt(-34200)),
        fnd::DateFormatter("yyyy-MM-dd hh:mm:ss", locale, fnd::TimeZone::utc()),
    };
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& formatter : formatters) {
        auto date = formatter.dateFromString(text);
        if (!date) {
            continue;
        }
        const std::string back = formatter.stringFromDate(*date);
        auto again = formatter.dateFromString(back);
        // A zone offset can move a day in year 0 or 9999 outside the printable years.
        if (!back.empty() && (!again || *again != *date)) {
            std::abort();
        }
    }
    return 0;
}
