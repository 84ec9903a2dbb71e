// The offer network's reply parser: a reply's attributes, repeats, blank text and nesting as
// dictionaries, the typed readers over them, refusals with their offsets, no entity loading, and its caps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "offers/orvane/client/orv_parser.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::orvane {
namespace {

using fnd::Value;

fnd::Result<Value> parse(const std::string& text) {
    return ORVParser().parse(fnd::Bytes(text.begin(), text.end()));
}

TEST(ORVParserTest, RepliesBecomeDictionariesAndTypedReadersTakeThemApart) {
    auto parsed = parse(R"(<?xml version="1.0" encoding="utf-8"?>
<OrvaneConnectReturnObject xmlns="http://tempuri.org/" Version="2">
  <Icon>
    QUJD
  </Icon>
  <Offer id="1"><Name>One &amp; more</Name></Offer>
  <Offer id="2"><Name><![CDATA[Two <b>]]></Name></Offer>
  <Blank>  </Blank>
  <Outer><Inner><Deep>d&#233;j&#224;</Deep></Inner></Outer>
  <Mixed a="b">text wins<Child>c</Child></Mixed>
</OrvaneConnectReturnObject>)");
    ASSERT_TRUE(parsed.ok()) << parsed.error().localizedDescription();
    const Value expected =
        Value::dictionary({{"OrvaneConnectReturnObject",
                            Value::dictionary({
                                {"Version", "2"},
                                {"Icon", "QUJD"},
                                {"Offer", Value::array({
                                              Value::dictionary({{"id", "1"}, {"Name", "One & more"}}),
                                              Value::dictionary({{"id", "2"}, {"Name", "Two <b>"}}),
                                          })},
                                {"Blank", Value::dictionary()},
                                {"Outer", Value::dictionary({{"Inner", Value::dictionary({{"Deep", "déjà"}})}})},
                                {"Mixed", "text wins"},
                            })}});
    EXPECT_EQ(parsed.value(), expected) << parsed.value().description();

    const Value root = ORVParser::dictionaryValue(parsed.value(), "OrvaneConnectReturnObject");
    EXPECT_EQ(ORVParser::stringValue(root, "Icon"), "QUJD");
    EXPECT_EQ(ORVParser::stringValue(root, "Blank"), "");           // an empty element reads as ""
    EXPECT_EQ(ORVParser::stringValue(root, "Offer"), std::nullopt); // an element with children is no text
    EXPECT_EQ(ORVParser::stringValue(root, "Missing"), std::nullopt);
    EXPECT_EQ(ORVParser::integerValue(root, "Version"), 2);
    EXPECT_EQ(ORVParser::integerValue(root, "Icon"), 0);
    // A repeated element reads as its first value; a text element is no dictionary.
    EXPECT_EQ(ORVParser::stringValue(ORVParser::dictionaryValue(root, "Offer"), "id"), "1");
    EXPECT_TRUE(ORVParser::dictionaryValue(root, "Icon").isNull());
    EXPECT_TRUE(ORVParser::dictionaryValue(Value("text"), "Icon").isNull());
    EXPECT_EQ(ORVParser::listValue(root, "Offer").asArray()->count(), 2u);
    EXPECT_EQ(ORVParser::listValue(root, "Icon"), Value::array({"QUJD"}));
    EXPECT_EQ(ORVParser::listValue(root, "Missing"), Value::array());
}

TEST(ORVParserTest, MalformedRepliesGiveAnErrorAndWhereTheyBreak) {
    struct Case {
        std::string text;
        fnd::ParseErrorCode code;
        size_t minOffset; // the offset lies at or after this
    };
    const std::vector<Case> cases = {
        {"", fnd::kParseTruncated, 0},
        {"not xml", fnd::kParseMalformed, 0},
        {"<a>\n<b>\n</a>", fnd::kParseMalformed, 8}, // the mismatch is on line 3
        {"<a>\n<b>\n", fnd::kParseMalformed, 4},
        {"<a>\xff\xfe</a>", fnd::kParseMalformed, 3},
        {"<a/><b/>", fnd::kParseMalformed, 4},
    };
    for (const Case& c : cases) {
        const auto result = parse(c.text);
        ASSERT_FALSE(result.ok()) << c.text;
        EXPECT_EQ(result.error().code(), c.code) << c.text;
        const size_t offset = fnd::parseErrorOffset(result.error()).value_or(999);
        EXPECT_GE(offset, c.minOffset) << c.text;
        EXPECT_LE(offset, c.text.size()) << c.text;
    }
}

TEST(ORVParserTest, ExternalEntitiesReadNothingAndTheCapsHold) {
    const std::string secret = ::testing::TempDir() + "orv_parser_secret.txt";
    ASSERT_TRUE(fnd::writeFile(secret, fnd::Bytes{'S', 'E', 'C', 'R', 'E', 'T'}));
    auto entity = parse("<!DOCTYPE r [<!ENTITY e SYSTEM \"file://" + secret + "\">]><r><v>&e;</v><w>x</w></r>");
    ASSERT_TRUE(entity.ok()) << entity.error().localizedDescription();
    EXPECT_EQ(entity.value().description().find("SECRET"), std::string::npos) << entity.value().description();
    EXPECT_EQ(ORVParser::stringValue(ORVParser::dictionaryValue(entity.value(), "r"), "w"), "x");

    auto nested = [](size_t depth) {
        std::string text;
        for (size_t i = 0; i < depth; ++i) {
            text += "<n>";
        }
        for (size_t i = 0; i < depth; ++i) {
            text += "</n>";
        }
        return text;
    };
    EXPECT_TRUE(parse(nested(ORVParser::kMaxDepth)).ok());
    auto deep = parse(nested(ORVParser::kMaxDepth + 1));
    ASSERT_FALSE(deep.ok());
    EXPECT_EQ(deep.error().code(), fnd::kParseTooDeep);

    std::string wide = "<r>";
    for (size_t i = 0; i < ORVParser::kMaxEntries; ++i) {
        wide += "<e/>";
    }
    wide += "</r>";
    auto many = parse(wide);
    ASSERT_FALSE(many.ok());
    EXPECT_EQ(many.error().code(), fnd::kParseTooLarge);
    auto huge = parse("<r>" + std::string(ORVParser::kMaxInputBytes, ' ') + "</r>");
    ASSERT_FALSE(huge.ok());
    EXPECT_EQ(huge.error().code(), fnd::kParseTooLarge);
}

} // namespace
} // namespace zelvan::orvane
