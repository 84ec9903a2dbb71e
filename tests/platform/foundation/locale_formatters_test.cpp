// Locale and time zone from the environment with their fallbacks, the date patterns in both directions with
// every zone form and malformed text, currency amounts, UUIDs, the defaults' locale keys, and FileHandle.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "platform/foundation/array.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/file_handle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/number_formatter.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_env.h"
#include "platform/foundation/user_defaults.h"
#include "platform/foundation/uuid.h"

namespace fnd {
namespace {

const Locale kEnUs = *Locale::withIdentifier("en_US");

TEST(LocaleTest, LangAndTzWithFallbacks) {
    const struct {
        const char* lang;
        const char* identifier;
        const char* country;
    } langs[] = {
        {"de_DE.UTF-8@euro", "de_DE", "DE"},
        {"fr", "fr", ""},
        {nullptr, "en_US", "US"},
        {"", "en_US", "US"},
        {"C", "en_US", "US"},
        {"POSIX", "en_US", "US"},
        {"C.UTF-8", "en_US", "US"},
        {"EN_us", "en_US", "US"},
        {"de_DE;rm -rf", "en_US", "US"},
        {"es_419", "es_419", "419"},
    };
    for (const auto& c : langs) {
        SCOPED_TRACE(c.lang ? c.lang : "(unset)");
        fnd::testing::ScopedEnv env("LANG", c.lang);
        EXPECT_EQ(Locale::current().identifier(), c.identifier);
        EXPECT_EQ(Locale::current().countryCode(), c.country);
        EXPECT_EQ(Locale::preferredLanguages(), std::vector<std::string>{Locale::current().languageCode()});
    }
    for (const char* tz : {"", "UTC", ":UTC", "Nowhere/Atlantis", "../../etc/passwd", "EST5EDT,M3.2.0"}) {
        SCOPED_TRACE(tz);
        fnd::testing::ScopedEnv env("TZ", tz);
        EXPECT_EQ(TimeZone::local().name(), "UTC");
        EXPECT_EQ(TimeZone::local().secondsFromGmtForDate(Date::fromUnix(0)), 0);
    }
    {
        fnd::testing::ScopedEnv env("TZ", ":Europe/Berlin");
        const TimeZone berlin = TimeZone::local();
        EXPECT_EQ(berlin.name(), "Europe/Berlin");
        EXPECT_EQ(berlin.secondsFromGmtForDate(Date::fromUnix(1262304000)), 3600); // 2010-01-01, winter
        EXPECT_EQ(berlin.secondsFromGmtForDate(Date::fromUnix(1277942400)), 7200); // 2010-07-01, summer
        // The local-zone pattern reads wall time in that zone.
        DateFormatter local("yyyy-MM-dd hh:mm:ss", kEnUs, berlin);
        EXPECT_EQ(local.dateFromString("2010-07-01 10:00:00"), Date::fromUnix(1277971200));
        EXPECT_EQ(local.stringFromDate(Date::fromUnix(1277971200)), "2010-07-01 10:00:00");
    }
    ::tzset();

    // The defaults' registration domain carries the locale.
    fnd::testing::ScopedEnv env("LANG", "pt_BR.UTF-8");
    UserDefaults::resetStandard();
    EXPECT_EQ(UserDefaults::standard().stringForKey(UserDefaults::kLocaleIdentifierKey), "pt_BR");
    Value languages = UserDefaults::standard().objectForKey(UserDefaults::kPreferredLanguagesKey);
    ASSERT_TRUE(languages.isArray());
    EXPECT_EQ(languages.description(), "( pt )");
}

TEST(DateFormatterTest, PatternsBothWaysZonesAndMalformedText) {
    const Date newYear = Date::fromUnix(1262304000); // 2010-01-01 00:00:00 UTC
    auto at = [](double seconds) { return Date::fromUnix(1262304000 + seconds); };
    DateFormatter day("yyyyMMdd", kEnUs, TimeZone::utc());
    DateFormatter zoned("yyyy-MM-dd HH:mm z", kEnUs, TimeZone::utc());
    DateFormatter seconds("yyyy-MM-dd hh:mm:ss", kEnUs, TimeZone::utc());

    EXPECT_EQ(day.stringFromDate(at(86399)), "20100101");
    EXPECT_EQ(day.dateFromString("20100101"), newYear);
    EXPECT_EQ(day.dateFromString("20000229"), Date::fromUnix(951782400));
    EXPECT_EQ(zoned.stringFromDate(at(13 * 3600 + 5 * 60 + 59)), "2010-01-01 13:05 GMT");
    EXPECT_EQ(DateFormatter("yyyy-MM-dd HH:mm z", kEnUs, TimeZone::withSecondsFromGmt(-19800)).stringFromDate(newYear),
              "2009-12-31 18:30 GMT-5:30");
    // hh is the 12-hour clock with no AM/PM field: 12 is the hour after midnight.
    EXPECT_EQ(seconds.stringFromDate(at(5)), "2010-01-01 12:00:05");
    EXPECT_EQ(seconds.stringFromDate(at(9 * 3600 + 7)), "2010-01-01 09:00:07");
    EXPECT_EQ(seconds.dateFromString("2010-01-01 12:00:05"), at(5));
    EXPECT_EQ(seconds.dateFromString("2010-01-01 09:00:07"), at(9 * 3600 + 7));
    EXPECT_EQ(day.stringFromDate(Date::fromUnix(1e15)), "");

    const struct {
        const char* zone;
        int offsetHours;
        int offsetMinutes;
    } zones[] = {
        {"GMT", 0, 0},     {"UTC", 0, 0},   {"Z", 0, 0},        {"+0130", 1, 30},      {"-0800", -8, 0},
        {"+05:45", 5, 45}, {"GMT+3", 3, 0}, {"GMT-11", -11, 0}, {"GMT-5:30", -5, -30}, {"EST", -5, 0},
        {"EDT", -4, 0},    {"CST", -6, 0},  {"CDT", -5, 0},     {"MST", -7, 0},        {"MDT", -6, 0},
        {"PST", -8, 0},    {"PDT", -7, 0},  {"AKST", -9, 0},    {"AKDT", -8, 0},       {"HST", -10, 0},
    };
    for (const auto& z : zones) {
        SCOPED_TRACE(z.zone);
        auto d = zoned.dateFromString(std::string("2010-01-01 00:00 ") + z.zone);
        ASSERT_TRUE(d);
        EXPECT_EQ(*d, at(-(z.offsetHours * 3600 + z.offsetMinutes * 60)));
    }

    const char* badDays[] = {"2010011",  "201001011",  "20101301", "20100001",  "20100230",
                             "20090229", "2010-01-01", "2O100101", " 20100101", "+2010101"};
    for (const char* text : badDays) {
        EXPECT_EQ(day.dateFromString(text), std::nullopt) << text;
    }
    const char* badZoned[] = {"2010-01-01 24:00 GMT",   "2010-01-01 10:60 GMT",    "2010-01-01 10:00",
                              "2010-01-01 10:00 ",      "2010-01-01 10:00 CET",    "2010-01-01 10:00 gmt",
                              "2010-01-01 10:00 +2400", "2010-01-01 10:00 +01:3",  "2010-01-01 10:00 GMT+123",
                              "2010-01-01 10:00 GMT+",  "2010-01-01 10:00 +0100 ", "2010-01-01 1:00 GMT",
                              "2010-01-01T10:00 GMT",   "2010-01-01 10:00 GMT+1:5"};
    for (const char* text : badZoned) {
        EXPECT_EQ(zoned.dateFromString(text), std::nullopt) << text;
    }
    for (const char* text : {"2010-01-01 13:00:00", "2010-01-01 00:00:00", "2010-01-01 10:00:60", "2010-01-01 10:00",
                             "2010-01-01 10:00:00 GMT"}) {
        EXPECT_EQ(seconds.dateFromString(text), std::nullopt) << text;
    }
    testing::LogCapture log;
    DateFormatter other("dd/MM/yyyy", kEnUs, TimeZone::utc());
    EXPECT_TRUE(log.contains("unsupported pattern"));
    EXPECT_EQ(other.dateFromString("01/01/2010"), std::nullopt);
    EXPECT_EQ(other.stringFromDate(newYear), "");
}

TEST(NumberFormatterTest, CurrencyAmountsAndLocales) {
    const struct {
        std::string amount;
        const char* locale;
        std::string text;
    } cases[] = {
        {"0.99", "en_US", "$0.99"},
        {"1234567.5", "en_US", "$1,234,567.50"},
        {"0.995", "en_US", "$1.00"}, // rounded on the digits, not through a double
        {"2.675", "en_US", "$2.68"},
        {"-3", "en_US", "-$3.00"},
        {"-0.001", "en_US", "$0.00"},
        {"1e3", "en_US", "$1,000.00"},
        {".5", "xx_YY", "$0.50"}, // unknown locales use en_US
        {"1234.5", "de_DE", "1.234,50\u00A0\u20AC"},
        {"0.99", "en_GB", "\u00A30.99"},
        {"1234.5", "ja_JP", "\uFFE51,235"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount + " " + c.locale);
        EXPECT_EQ(NumberFormatter::currency(c.amount, c.locale), c.text);
    }
    EXPECT_EQ(NumberFormatter::currency(Value::decimal("4.99"), "en_US"), "$4.99");
    EXPECT_EQ(NumberFormatter::currency(Value(int64_t{7}), "en_US"), "$7.00");
    for (const char* bad : {"", "abc", "1.2.3", "nan", "inf", "0x10", "1e400", "-"}) {
        EXPECT_EQ(NumberFormatter::currency(bad, "en_US"), std::nullopt) << bad;
    }
}

TEST(UuidTest, VersionFourTextAndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string id = uuidString();
        ASSERT_EQ(id.size(), 36u);
        EXPECT_EQ(id[8], '-');
        EXPECT_EQ(id[23], '-');
        EXPECT_EQ(id[14], '4');
        EXPECT_NE(std::string("89AB").find(id[19]), std::string::npos);
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF-"), std::string::npos);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(FileHandleTest, AppendsToExistingFilesOnly) {
    const std::string path = std::string(std::getenv("ZELVAN_HOME")) + "/log.txt";
    EXPECT_EQ(FileHandle::openForWriting(path), nullptr); // missing
    ASSERT_TRUE(writeFile(path, Bytes{'a', 'b'}));
    auto handle = FileHandle::openForWriting(path);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->seekToEndOfFile(), 2u);
    EXPECT_TRUE(handle->writeData(Bytes{'c', 'd'}));
    EXPECT_TRUE(handle->closeFile());
    EXPECT_EQ(readFile(path), (Bytes{'a', 'b', 'c', 'd'}));
    testing::LogCapture log;
    EXPECT_FALSE(handle->writeData(Bytes{'e'}));
    EXPECT_TRUE(log.contains("after closeFile"));
    EXPECT_EQ(FileHandle::openForWriting(std::getenv("ZELVAN_HOME")), nullptr); // a folder
}

} // namespace
} // namespace fnd
