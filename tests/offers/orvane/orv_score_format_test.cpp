// The leaderboard's score formats: grouping with padded groups, times with unbounded hours, and both at
// the int limits.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "offers/orvane/client/orv_score_format.h"

namespace zelvan::orvane {
namespace {

TEST(ORVScoreFormatTest, GroupsAndTimes) {
    const std::vector<std::pair<int, std::string>> numbers = {
        {1234, "1,234"}, {1000, "1,000"}, {1002003, "1,002,003"}, {999, "999"},
        {7, "7"},        {0, "0"},        {-1050, "-1,050"},      {INT_MIN, "-2,147,483,648"},
    };
    for (const auto& [number, text] : numbers) {
        EXPECT_EQ(formatString(number), text) << number;
    }
    const std::vector<std::pair<int, std::string>> times = {
        {59, "00:00:59"},   {3725, "01:02:05"},         {0, "00:00:00"}, {3600, "01:00:00"}, {360000, "100:00:00"},
        {-61, "-00:01:01"}, {INT_MIN, "-596523:14:08"},
    };
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(formatTime(seconds), text) << seconds;
    }
}

} // namespace
} // namespace zelvan::orvane
