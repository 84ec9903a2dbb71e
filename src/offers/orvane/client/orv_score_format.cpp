// The leaderboard's score formats. Work in 64 bits so that the most negative int has a magnitude.
#include "offers/orvane/client/orv_score_format.h"

#include <cstdint>

#include "platform/foundation/format.h"

namespace zelvan::orvane {

namespace {

std::string grouped(uint64_t magnitude) {
    const std::string digits = std::to_string(magnitude);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out.push_back(',');
        }
        out.push_back(digits[i]);
    }
    return out;
}

// At least two digits: "05", "59", "100".
std::string twoDigits(int64_t part) {
    return part < 10 ? fnd::format("0%lld", static_cast<long long>(part))
                     : fnd::format("%lld", static_cast<long long>(part));
}

} // namespace

std::string formatString(int value) {
    const int64_t wide = value;
    return (wide < 0 ? "-" : "") + grouped(static_cast<uint64_t>(wide < 0 ? -wide : wide));
}

std::string formatTime(int seconds) {
    const int64_t wide = seconds;
    const int64_t total = wide < 0 ? -wide : wide;
    return (wide < 0 ? "-" : "") + twoDigits(total / 3600) + ":" + twoDigits(total / 60 % 60) + ":" +
           twoDigits(total % 60);
}

} // namespace zelvan::orvane
