// timetostr under the manual clock: each unit boundary, singular and plural, and dates it cannot age
// (in the future, not a number, absurdly old).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/time_text.h"
#include "platform/foundation/clock.h"

namespace zelvan {
namespace {

class TimeTextTest : public ::testing::Test {
protected:
    void SetUp() override { fnd::ManualClock::install(); }
    void TearDown() override { fnd::Clock::install(nullptr); }

    static std::string aged(double seconds) { return timetostr(fnd::Clock::now().addingTimeInterval(-seconds)); }
};

TEST_F(TimeTextTest, PicksTheUnitAtEachBoundary) {
    constexpr double kDay = 86400;
    struct Case {
        double age;
        const char* text;
    };
    const Case cases[] = {
        {0, "just now"},
        {0.999, "just now"},
        {1, "a moment ago"},
        {59, "a moment ago"},
        {59.999, "a moment ago"},
        {60, "1 minute ago"},
        {61, "1 minute ago"},
        {119.9, "1 minute ago"},
        {120, "2 minutes ago"},
        {3599, "59 minutes ago"},
        {3600, "1 hour ago"},
        {7199, "1 hour ago"},
        {7200, "2 hours ago"},
        {86399, "23 hours ago"},
        {86400, "1 day ago"},
        {2 * kDay, "2 days ago"},
        {30 * kDay - 1, "29 days ago"},
        {30 * kDay, "1 month ago"},
        {60 * kDay - 1, "1 month ago"},
        {60 * kDay, "2 months ago"},
        {365 * kDay, "12 months ago"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.age);
        EXPECT_EQ(aged(c.age), c.text);
    }
}

TEST_F(TimeTextTest, DatesWithoutAUsableAgeStaySafe) {
    EXPECT_EQ(aged(-0.5), "just now");
    EXPECT_EQ(aged(-3600), "just now"); // a future date: the sender's clock runs ahead
    EXPECT_EQ(timetostr(fnd::Date(std::numeric_limits<double>::quiet_NaN())), "just now");
    EXPECT_EQ(timetostr(fnd::Date(-std::numeric_limits<double>::infinity())), "2147483647 months ago");
    EXPECT_EQ(timetostr(fnd::Date(-1e300)), "2147483647 months ago");

    // The text follows the clock, not the moment the date was made.
    fnd::Date date = fnd::Clock::now();
    fnd::ManualClock::installed()->advance(90);
    EXPECT_EQ(timetostr(date), "1 minute ago");
}

} // namespace
} // namespace zelvan
