// The formatter: every conversion and flag, mismatched and missing arguments (one warning per
// format text), and untrusted templates that try to read arguments they were not given.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

class Thing : public Object {
public:
    std::string className() const override { return "Thing"; }
    std::string description() const override { return "a thing"; }
};

TEST(FormatTest, IntegerConversionsAndFlags) {
    struct Case {
        std::string got;
        const char* expected;
    };
    const Case cases[] = {
        {format("%d|%i", 42, -7), "42|-7"},
        {format("%d", int64_t{0x1'0000'0005}), "5"}, // %d keeps 32 bits
        {format("%d", 4294967295u), "-1"},
        {format("%ld|%lld|%qi", int64_t{1} << 40, INT64_MIN, int64_t{-5}), "1099511627776|-9223372036854775808|-5"},
        {format("%u", -1), "4294967295"},
        {format("%lu", -1), "18446744073709551615"},
        {format("%x|%X|%o", 255, 255, 8), "ff|FF|10"},
        {format("%#x|%#o", 255, 8), "0xff|010"},
        {format("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042"},
        {format("%+d|% d|%+d", 5, 5, -5), "+5| 5|-5"},
        {format("%.3d|%02d:%02d", 7, 3, 9), "007|03:09"},
        {format("%*d|%-*d|%*d", 4, 1, 3, 2, -3, 3), "   1|2  |3  "},
        {format("%hd|%hhd", 70000, 300), "4464|44"},
        {format("%2$d %1$d", 1, 2), "2 1"},
        {format("%d", "  12apples"), "12"}, // strings give their leading integer
        {format("%d|%lld", "99999999999", "99999999999"), "2147483647|99999999999"},
        {format("%d", Value("-3")), "-3"},
        {format("%d", 9.99), "9"},
        {format("%d", true), "1"},
        {format("%zu", size_t{12}), "12"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.expected);
    }
}

TEST(FormatTest, FloatingTextAndObjectConversions) {
    auto thing = std::make_shared<Thing>();
    std::shared_ptr<Thing> none;
    std::string owned = "owned";
    const char* nullText = nullptr;
    struct Case {
        std::string got;
        const char* expected;
    };
    const Case cases[] = {
        {format("%f|%.2f|%.0f", 1.5, 2.345, 2.5), "1.500000|2.35|2"},
        {format("%e|%g|%g", 12345.678, 0.0001, 1e20), "1.234568e+04|0.0001|1e+20"},
        {format("%8.3f|%-8.1f|%+.1f|%08.2f", 3.14159, 2.0, 1.0, -1.5), "   3.142|2.0     |+1.0|-0001.50"},
        {format("%.*f", 1, 2.25), "2.2"},
        {format("%f", 3), "3.000000"},
        {format("%.1f", "2.75kg"), "2.8"},
        {format("%s and %s", "plain", owned), "plain and owned"},
        {format("%s|%@", nullText, nullText), "(null)|(null)"},
        {format("[%6s][%-6s][%.2s]", "ab", "ab", "abcdef"), "[    ab][ab    ][ab]"},
        {format("%.1s|%3s", "\xC3\xA9t\xC3\xA9", "\xF0\x9F\x98\x80"), "\xC3\xA9| \xF0\x9F\x98\x80"},
        {format("%.1s", "\xF0\x9F\x98\x80"), ""}, // never splits a surrogate pair
        {format("%@|%@", thing, none), "a thing|(null)"},
        {format("%@|%@|%@", Value(), Value::array({1, "a b"}), Value("text")), "(null)|( 1, \"a b\" )|text"},
        {format("%@|%s|%@", 42, int64_t{-9}, 0.5), "42|-9|0.5"},
        {format("%1$@ %1$@", "twice"), "twice twice"},
        {format("%c%c%c", 'o', 'k', 0xE9), "ok\xC3\xA9"},
        {format("%C|%C|%C", 0x41, 0x20AC, 0xD800), "A|\xE2\x82\xAC|\xEF\xBF\xBD"},
        {format("%p|%p", nullptr, reinterpret_cast<void*>(0x1234)), "0x0|0x1234"},
        {format("100%% sure%%"), "100% sure%"},
        {format("%k stays, %y too, and %"), "%k stays, %y too, and %"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.expected);
    }
    char expected[32];
    std::snprintf(expected, sizeof expected, "%p", static_cast<void*>(thing.get()));
    EXPECT_EQ(format("%p", thing), expected);
    EXPECT_EQ(format("%p", thing.get()), expected);
}

TEST(FormatTest, MissingArgumentsPrintNothingAndWarnOncePerFormat) {
    // A format text warns once per process, so each run of this test marks its texts with its number.
    static int runs = 0;
    const std::string run = " #" + std::to_string(++runs);
    testing::LogCapture capture;
    EXPECT_EQ(format("a=%d b=%@ c=%s!" + run, 1), "a=1 b= c=!" + run);
    EXPECT_EQ(format("a=%d b=%@ c=%s!" + run, 2), "a=2 b= c=!" + run);
    EXPECT_EQ(format("width %*d end" + run, 5), "width  end" + run);
    EXPECT_EQ(format("%3$d" + run, 1, 2), run);
    EXPECT_EQ(capture.count("missing argument"), 3u);
    EXPECT_EQ(capture.count("a=%d b=%@ c=%s!" + run), 1u);
    EXPECT_EQ(format("extra %d", 1, 2, "three"), "extra 1"); // extra arguments are ignored silently
    EXPECT_EQ(capture.count("missing argument"), 3u);

    capture.clear();
    ZLOG(Info, "user %@ has %d points", "ann", 12);
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"user ann has 12 points"});
}

TEST(FormatTest, UntrustedTemplatesOnlyReadTheArgumentsGiven) {
    struct Case {
        std::string got;
        const char* expected;
    };
    const Case cases[] = {
        {formatUntrusted("%n%s%s%s%x", "a"), "%na%s%s%x"},
        {formatUntrusted("%@ and %p"), "%@ and %p"},
        {formatUntrusted("%d coins, %lld gems, %f%% rate, %s", 5, int64_t{1} << 40, 0.5, "ok"),
         "5 coins, 1099511627776 gems, 0.500000% rate, ok"},
        {formatUntrusted("%5d|%.2f|%1$s", 1, 2.0, "x"), "%5d|%.2f|%1$s"},
        {formatUntrusted("%d %d %d", 1), "1 %d %d"},
        {formatUntrusted("%s", 42), "42"},
        {formatUntrusted("%d", "7 dwarfs"), "7"},
        {formatUntrusted("trailing %"), "trailing %"},
        {formatUntrusted("%%d", 3), "%d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.expected);
    }
}

} // namespace
} // namespace fnd
