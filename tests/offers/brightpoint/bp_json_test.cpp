// The offer wall's JSON reader and writer: the reply samples, every error code with its text, the lenient
// setting against the strict one, the wide encodings, the nesting cap, escaped pairs and round trips.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/json_scan.h"
#include "offers/brightpoint/bp_json_deserializer.h"
#include "offers/brightpoint/bp_json_scanner.h"
#include "offers/brightpoint/bp_json_serializer.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/utf16.h"

namespace zelvan::brightpoint {
namespace {

fnd::Bytes bytes(std::string_view s) {
    return fnd::Bytes(s.begin(), s.end());
}

std::optional<fnd::Value> read(std::string_view text) {
    auto result = BPJSONDeserializer::deserializer()->deserialize(bytes(text));
    return result ? *result : std::nullopt;
}

int64_t scanCode(const fnd::Error& e) {
    return e.userInfo().asDictionary()->objectForKey(jsonscan::kErrorCodeKey).longLongValue();
}

std::string write(const fnd::Value& v) {
    return BPJSONSerializer::serializer()->serializeObject(v).valueOr(std::string("<failed>"));
}

TEST(BPJSONTest, RepliesReadAsTheServerMeantThem) {
    auto sample = read(R"({"succ":"1","n":2.5,"a":[true,false,null]})");
    ASSERT_TRUE(sample && sample->isDictionary());
    auto dict = sample->asDictionary();
    EXPECT_EQ(dict->objectForKey("succ"), fnd::Value("1"));
    EXPECT_EQ(dict->objectForKey("n"), fnd::Value(2.5));
    EXPECT_EQ(dict->objectForKey("a"), fnd::Value::array({fnd::Value(true), fnd::Value(false), fnd::Value()}));
    EXPECT_EQ(dict->objectForKey("n").kind(), fnd::Value::Kind::Double);

    EXPECT_EQ(read("{ \"a\" : [1, 2, ] , } trailing text"),
              fnd::Value::dictionary({{"a", fnd::Value::array({fnd::Value(1.0), fnd::Value(2.0)})}}));
    EXPECT_EQ(read(R"("caf\u00e9 \/ \"x\"")"), fnd::Value("café / \"x\""));
    EXPECT_EQ(read("-12.5e3"), fnd::Value(-12500.0));
    // A '+' begins no value: nothing, and no error.
    auto plus = BPJSONDeserializer().deserialize(bytes("+1"));
    ASSERT_TRUE(plus.ok());
    EXPECT_FALSE(plus->has_value());

    // The writer: compact, a slash and a quote escaped, one number object twice.
    const fnd::Value twice(7.0);
    EXPECT_EQ(write(fnd::Value::array({twice, twice})), "[7,7]");
    EXPECT_EQ(write(fnd::Value("a/\"b\"")), R"("a\/\"b\"")");
    EXPECT_EQ(write(fnd::Value::dictionary({{"k", true}, {"z", fnd::Value()}})), R"({"k":true,"z":null})");
    BPJSONSerializer writer;
    EXPECT_EQ(writer.serializeNull(), "null");
    EXPECT_EQ(writer.serializeString("tab\there"), "\"tab\\there\"");
    EXPECT_EQ(writer.serializeNumber(fnd::Value(false)).value(), "false");
    EXPECT_FALSE(writer.serializeArray(fnd::Value("x")).ok());
    auto refused = writer.serializeObject(fnd::Value(fnd::Date()));
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().localizedDescription().find("Cannot serialize data of type"), std::string::npos);
}

TEST(BPJSONTest, EveryErrorCodeWithItsTextTheOutermostContainerWinning) {
    struct Case {
        const char* text;
        int64_t code;
    };
    const Case cases[] = {
        {"{1:2}", -2},
        {"{\"a\" 1}", -3},
        {"{\"a\":\"\\q\"}", -4},
        {"{\"a\":1 \"b\":2}", -5},
        {"[1,@]", -8},
        {"[1 2]", -9},
        // Cut off at the end: the failing step's code, replaced by each enclosing container's own.
        {"[\"abc", -8},
        {"[1,", -8},
        {"{\"abc", -2},
        {"{\"a\":", -5},
        {"{\"a\":1", -5},
        {"[{\"a\"", -8},
        {"'x'", -11},
        {"\"\\u00g9\"", -12},
        {"\"\\q\"", -13},
        {"-", -14},
        {"\"open", -11},
        {"{\"a\":[\"\\q\"]}", -4},
        {"[{\"a\":1 2}]", -8},
    };
    for (const Case& c : cases) {
        auto r = BPJSONDeserializer().deserialize(bytes(c.text));
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(scanCode(r.error()), c.code) << c.text;
        EXPECT_EQ(r.error().userInfo().asDictionary()->objectForKey(jsonscan::kErrorDomainKey),
                  fnd::Value("JSONScannerErrorDomain"));
        EXPECT_EQ(r.error().localizedFailureReason(), jsonscan::scanMessage(static_cast<int>(c.code))) << c.text;
    }
    auto escape = BPJSONDeserializer().deserialize(bytes("\"\\q\""));
    EXPECT_EQ(escape.error().localizedFailureReason(), "Could not scan string constant. Unknown escape code.");
    EXPECT_EQ(fnd::parseErrorOffset(escape.error()), 2U);
    EXPECT_EQ(jsonscan::scanMessage(-4), "Could not scan dictionary. Failed to scan a value.");
    EXPECT_EQ(jsonscan::scanMessage(-11), "Could not scan string constant. String not started by a '\"' character.");

    // The table front needs '{' at the very start; empty data is the deserializer's own -1.
    auto spaced = BPJSONDeserializer().deserializeAsDictionary(bytes(" {}"));
    EXPECT_EQ(scanCode(spaced.error()), -1);
    EXPECT_EQ(spaced.error().localizedFailureReason(),
              "Could not scan dictionary. Dictionary that does not start with '{' character.");
    for (bool asDictionary : {false, true}) {
        const fnd::Error empty = asDictionary ? BPJSONDeserializer().deserializeAsDictionary({}).error()
                                              : BPJSONDeserializer().deserialize({}).error();
        EXPECT_EQ(empty.userInfo().asDictionary()->objectForKey(jsonscan::kErrorDomainKey),
                  fnd::Value("BPJSONDeserializerErrorDomain"));
        EXPECT_EQ(scanCode(empty), -1);
    }

    // The scans that name their own start code keep the position on failure.
    BPJSONScanner scanner(bytes("  x"));
    auto array = scanner.scanJSONArray();
    ASSERT_FALSE(array.ok());
    EXPECT_EQ(scanCode(array.error()), -7);
    auto number = scanner.scanJSONNumberConstant();
    ASSERT_FALSE(number.ok());
    EXPECT_EQ(scanCode(number.error()), -14);
    auto none = scanner.scanJSONObject();
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none->has_value());
    EXPECT_EQ(scanner.scanLocation(), 0U);
}

TEST(BPJSONTest, NoValueDropsItsKeyHereAndFailsInTheStrictSetting) {
    // A pair without a value removes its key, an earlier one of the same name too.
    EXPECT_EQ(read(R"({"a":1,"b":2,"a":,"c":})"), fnd::Value::dictionary({{"b", 2.0}}));
    // A misspelled literal is no value and consumes nothing, so the text after it stands where a ',' must.
    for (const char* text : {"tru", "nul", "#"}) {
        auto top = BPJSONDeserializer().deserialize(bytes(text));
        ASSERT_TRUE(top.ok()) << text;
        EXPECT_FALSE(top->has_value());
    }
    EXPECT_EQ(scanCode(BPJSONDeserializer().deserialize(bytes(R"({"a":nul})")).error()), -5);
    EXPECT_EQ(scanCode(BPJSONDeserializer().deserialize(bytes("[1,tru]")).error()), -8);

    // The same engine strict: every one of these fails.
    for (auto [text, code] : std::vector<std::pair<const char*, int>>{
             {"tru", 0}, {R"({"a":nul})", -4}, {R"({"a":})", -4}, {"[1,tru]", -8}}) {
        jsonscan::Scanner strict{std::string(text)};
        fnd::Value out;
        EXPECT_FALSE(strict.scanValue(&out)) << text;
        EXPECT_EQ(strict.errorCode(), code) << text;
    }
}

TEST(BPJSONTest, WideRepliesReadLikeTheirUtf8) {
    const std::string text = R"({"name":"Zoë","n":[1]})";
    const auto expected = read(text);
    ASSERT_TRUE(expected);
    for (auto [utf32, order] : std::vector<std::pair<bool, fnd::ByteOrder>>{{false, fnd::ByteOrder::LittleEndian},
                                                                            {false, fnd::ByteOrder::BigEndian},
                                                                            {true, fnd::ByteOrder::LittleEndian},
                                                                            {true, fnd::ByteOrder::BigEndian}}) {
        const fnd::Bytes wide = utf32 ? fnd::encodeUtf32(text, order) : fnd::encodeUtf16(text, order);
        auto value = BPJSONDeserializer().deserializeAsDictionary(wide);
        ASSERT_TRUE(value.ok()) << utf32;
        EXPECT_EQ(*value, *expected);
    }
}

TEST(BPJSONTest, DeepNestingEscapedPairsAndNonFiniteNumbersAreSafe) {
    // Nesting past the cap fails with the container's value code instead of exhausting the stack.
    const size_t deep = 100000;
    auto arrays = BPJSONDeserializer().deserialize(bytes(std::string(deep, '[') + std::string(deep, ']')));
    ASSERT_FALSE(arrays.ok());
    EXPECT_EQ(scanCode(arrays.error()), -8);
    std::string objects;
    for (int i = 0; i < 5000; ++i) {
        objects += "{\"a\":";
    }
    EXPECT_EQ(scanCode(BPJSONDeserializer().deserialize(bytes(objects)).error()), -4);
    const std::string fine = std::string(jsonscan::kMaxDepth, '[') + std::string(jsonscan::kMaxDepth, ']');
    EXPECT_TRUE(read(fine).has_value());

    // An escaped surrogate pair is its one character; a lone half is U+FFFD.
    EXPECT_EQ(read(R"("\ud83d\ude00")"), fnd::Value("\xF0\x9F\x98\x80"));
    EXPECT_EQ(read(R"("a\ud83db")"), fnd::Value("a\xEF\xBF\xBD"
                                                "b"));
    EXPECT_EQ(read(R"("\ude00\ud83d\u0041")"), fnd::Value("\xEF\xBF\xBD\xEF\xBF\xBD"
                                                          "A"));

    // Non-finite numbers are written as null, so the text stays JSON.
    EXPECT_EQ(
        write(fnd::Value::array({std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()})),
        "[null,null,null]");
}

fnd::Value randomValue(std::mt19937& rng, int depth) {
    const int kind = static_cast<int>(rng() % (depth > 3 ? 4 : 6));
    switch (kind) {
    case 0:
        return fnd::Value();
    case 1:
        return fnd::Value(rng() % 2 == 0);
    case 2: {
        std::uniform_real_distribution<double> d(-1e6, 1e6);
        return fnd::Value(rng() % 3 == 0 ? std::ldexp(d(rng), static_cast<int>(rng() % 200) - 100) : d(rng));
    }
    case 3: {
        static const char32_t pool[] = {U'a', U'"', U'\\', U'/', U'\b', U'\n', U'\x01', U'é', U'€', U'😀', U' '};
        std::string s;
        for (size_t n = rng() % 12; n > 0; --n) {
            fnd::appendUtf8(s, pool[rng() % std::size(pool)]);
        }
        return fnd::Value(s);
    }
    case 4: {
        auto array = fnd::Value::array();
        for (size_t n = rng() % 5; n > 0; --n) {
            array.asArray()->addObject(randomValue(rng, depth + 1));
        }
        return array;
    }
    default: {
        auto dict = fnd::Value::dictionary();
        for (size_t n = rng() % 5; n > 0; --n) {
            dict.asDictionary()->setObject(randomValue(rng, depth + 1), fnd::Key("k" + std::to_string(rng() % 9)));
        }
        return dict;
    }
    }
}

TEST(BPJSONTest, WrittenValuesReadBackEqual) {
    std::mt19937 rng(78);
    for (int i = 0; i < 500; ++i) {
        const fnd::Value value = randomValue(rng, 0);
        const std::string text = write(value);
        EXPECT_EQ(read(text), value) << text;
    }
}

TEST(BPJSONTest, ByteScannerOperations) {
    auto scanner = BPDataScanner::scannerWithData(bytes("ab 12.5e1xyz, -3+"));
    EXPECT_EQ(scanner->currentCharacter(), 'a');
    EXPECT_EQ(scanner->scanCharacter(), 'a');
    EXPECT_FALSE(scanner->scanCharacter('x'));
    EXPECT_TRUE(scanner->scanCharacter('b'));
    scanner->skipWhitespace();
    double d = 0;
    EXPECT_TRUE(scanner->scanNumber(&d));
    EXPECT_EQ(d, 125.0);
    std::string run;
    EXPECT_TRUE(scanner->scanCharactersFromSet("xyz", &run));
    EXPECT_EQ(run, "xyz");
    EXPECT_FALSE(scanner->scanUTF8String("!", &run));
    EXPECT_TRUE(scanner->scanUpToString("-", &run));
    EXPECT_EQ(run, ", ");
    EXPECT_EQ(scanner->remainingString(), "-3+");
    EXPECT_EQ(scanner->scanLocation(), 14U);
    EXPECT_TRUE(scanner->scanNumber(&d));
    EXPECT_EQ(d, -3.0);
    EXPECT_TRUE(scanner->scanUpToCharactersFromSet("q", &run));
    EXPECT_EQ(run, "+");
    EXPECT_TRUE(scanner->isAtEnd());
    scanner->setScanLocation(0);
    EXPECT_TRUE(scanner->scanString("ab", &run));

    BPJSONScanner json(bytes("plain text\"rest"));
    EXPECT_TRUE(json.scanNotQuoteCharactersIntoString(&run));
    EXPECT_EQ(run, "plain text");
    EXPECT_FALSE(json.scanNotQuoteCharactersIntoString(&run));
}

} // namespace
} // namespace zelvan::brightpoint
