// XML property lists: every value type, the bundle's own Info.plist, and a table of malformed or
// hostile documents (entities, nesting, size) that must be refused with an error saying why and where.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/foundation/file_io.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">" +
           body + "</plist>";
}

TEST(PropertyListTest, ReadsEveryValueType) {
    auto value = PropertyList::read(plist(R"(
<dict>
  <key>name</key><string>caf&#233; &amp; &lt;b&gt;</string>
  <key>empty</key><string/>
  <key>count</key><integer>-42</integer>
  <key>big</key><integer>9223372036854775807</integer>
  <key>hex</key><integer>0x1F</integer>
  <key>ratio</key><real>2.5e-3</real>
  <key>whole</key><real>7</real>
  <key>yes</key><true/>
  <key>no</key><false/>
  <key>when</key><date>2010-01-01T00:00:00Z</date>
  <key>leap</key><date>2012-02-29T12:30:15.5Z</date>
  <key>blob</key><data>
    AAEC
    /w==
  </data>
  <!-- comments are ignored -->
  <key>list</key><array><integer>1</integer><string>two</string><array/><dict/></array>
  <key>count</key><integer>43</integer>
</dict>)"));
    ASSERT_TRUE(value);
    auto dict = value->asDictionary();
    ASSERT_TRUE(dict);
    EXPECT_EQ(*dict->objectForKey("name").asString(), "caf\xC3\xA9 & <b>");
    EXPECT_EQ(*dict->objectForKey("empty").asString(), "");
    EXPECT_EQ(dict->objectForKey("count").asInt(), 43); // a repeated key keeps the last value
    EXPECT_EQ(dict->objectForKey("big").asInt(), INT64_MAX);
    EXPECT_EQ(dict->objectForKey("hex").asInt(), 31);
    EXPECT_EQ(dict->objectForKey("ratio").asDouble(), 0.0025);
    EXPECT_TRUE(dict->objectForKey("whole").isDouble());
    EXPECT_EQ(dict->objectForKey("yes").asBool(), true);
    EXPECT_EQ(dict->objectForKey("no").asBool(), false);
    EXPECT_EQ(dict->objectForKey("when").asDate()->since1970(), 1262304000.0);
    EXPECT_EQ(dict->objectForKey("leap").asDate()->since1970(), 1330518615.5);
    EXPECT_EQ(*dict->objectForKey("blob").asData(), (Bytes{0x00, 0x01, 0x02, 0xff}));
    auto list = dict->objectForKey("list").asArray();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 4u);
    EXPECT_EQ(list->objectAtIndex(1).stringValue(), "two");
    EXPECT_TRUE(list->objectAtIndex(2).isArray());
    EXPECT_TRUE(list->objectAtIndex(3).isDictionary());
    std::vector<std::string> keys;
    for (const auto& key : dict->allKeys()) {
        keys.push_back(key.text());
    }
    EXPECT_EQ(keys.front(), "name");
    EXPECT_EQ(keys.back(), "list"); // document order

    EXPECT_EQ(PropertyList::read(plist("<string>top</string>"))->stringValue(), "top");
}

TEST(PropertyListTest, ReadsTheBundleInfoPlist) {
    const char* source = std::getenv("ZELVAN_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    auto bytes = readFile(std::string(source) + "/resources/Info.plist");
    ASSERT_TRUE(bytes);
    auto info = PropertyList::read(*bytes);
    ASSERT_TRUE(info && info->isDictionary());
    EXPECT_EQ(info->asDictionary()->objectForKey("CFBundleIdentifier").stringValue(), "com.zelvan.client");
}

TEST(PropertyListTest, RefusesMalformedAndHostileDocuments) {
    std::string deep;
    for (int i = 0; i < PropertyList::kMaxDepth; ++i) {
        deep += "<array>";
    }
    std::string deepClose;
    for (int i = 0; i < PropertyList::kMaxDepth; ++i) {
        deepClose += "</array>";
    }
    EXPECT_TRUE(PropertyList::read(plist(deep + deepClose))); // exactly at the cap

    const struct {
        std::string doc, logged;
    } cases[] = {
        {"", "empty"},
        {"<not xml at all", "malformed XML"},
        {plist("<dict><key>a</key><string>x</dict>"), "malformed XML"},
        {"<dict><key>a</key><string>x</string></dict>", "not <plist>"},
        {plist(""), "exactly one value"},
        {plist("<string>a</string><string>b</string>"), "exactly one value"},
        {plist("<dict><key>a</key></dict>"), "without a value"},
        {plist("<dict><string>a</string><string>b</string></dict>"), "where a <key> belongs"},
        {plist("<dict>stray<key>a</key><true/></dict>"), "stray text"},
        {plist("<array><date>x</date></array>"), "bad <date>"},
        {plist("<date>2010-13-01T00:00:00Z</date>"), "bad <date>"},
        {plist("<date>2011-02-29T00:00:00Z</date>"), "bad <date>"},
        {plist("<date>2010-01-01T00:00:00</date>"), "bad <date>"},
        {plist("<integer>12a</integer>"), "bad <integer>"},
        {plist("<integer>9223372036854775808</integer>"), "bad <integer>"},
        {plist("<integer></integer>"), "bad <integer>"},
        {plist("<real>abc</real>"), "bad <real>"},
        {plist("<data>!!!!</data>"), "bad base64"},
        {plist("<true>x</true>"), "stray text"},
        {plist("<false><true/></false>"), "not empty"},
        {plist("<string><b>x</b></string>"), "unexpected markup"},
        {plist("<set/>"), "unknown element"},
        {plist(deep + "<array/>" + deepClose), "nesting deeper"},
        {"<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e \"boo\">]><plist><string>&e;</string></plist>",
         "entity reference"},
        {"<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
         "<plist><string>&x;</string></plist>",
         "entity reference"},
        {"<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
         "<plist><string>&d;&d;&d;&d;</string></plist>",
         "entity reference loop"},
        {plist("<string>" + std::string(PropertyList::kMaxBytes, 'x') + "</string>"), "limit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doc.substr(0, 200));
        testing::LogCapture log;
        auto read = PropertyList::read(c.doc);
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().domain(), kParseErrorDomain);
        EXPECT_NE(read.error().localizedDescription().find(c.logged), std::string::npos)
            << read.error().localizedDescription();
        EXPECT_TRUE(log.lines().empty()); // the caller decides whether to log
    }
}

TEST(PropertyListTest, ReadsTheTextFormWithOrWithoutBraces) {
    const std::string body = "/* c */ \"greeting\" = \"Hi \\\"you\\\"\";\n\"n\" = \"1\";\n";
    for (const std::string& doc : {body, "\xEF\xBB\xBF { " + body + "}\n", std::string("{}")}) {
        SCOPED_TRACE(doc);
        auto read = PropertyList::read(doc);
        ASSERT_TRUE(read.ok()) << read.error().localizedDescription();
        ASSERT_TRUE(read->isDictionary());
        if (doc == "{}") {
            EXPECT_EQ(read->asDictionary()->count(), 0u);
            continue;
        }
        auto dict = read->asDictionary();
        ASSERT_NE(dict->find("greeting"), nullptr);
        ASSERT_TRUE(dict->find("greeting")->isString());
        EXPECT_EQ(*dict->find("greeting")->asString(), "Hi \"you\"");
        ASSERT_NE(dict->find("n"), nullptr);
        EXPECT_TRUE(dict->find("n")->isString()); // strings stay strings
    }
    // Refusals keep StringTable's reasons and places; bytes opening with '<' are never the text form.
    const struct {
        std::string doc;
        std::string reason;
    } bad[] = {
        {"not xml at all", "line 1"}, {"{ \"a\" = \"b\";", "closing brace"}, {"\"a\" = \"b\"; }", "line 1"},
        {"\n\"a\" \"b\";", "line 2"}, {"<\"a\" = \"b\";", "malformed XML"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.doc);
        auto read = PropertyList::read(c.doc);
        ASSERT_FALSE(read.ok());
        EXPECT_NE(read.error().localizedDescription().find(c.reason), std::string::npos)
            << read.error().localizedDescription();
        EXPECT_LE(parseErrorOffset(read.error()).value_or(999), c.doc.size());
    }
}

TEST(PropertyListTest, ErrorsNameTheLineAndOffsetOfTheFault) {
    // plist() puts the body on line 3, at offset `body`.
    const size_t body = plist("").find("</plist>");
    const std::string amp = plist("<array>\n<string>a</string>\n<string>b & c</string>\n</array>");
    const struct {
        std::string doc;
        ParseErrorCode code;
        size_t offset;
        std::string description;
    } cases[] = {
        {"", kParseTruncated, 0, "empty document at offset 0"},
        // The second <integer> of the line is the bad one.
        {plist("<array><integer>1</integer><integer>x</integer></array>"), kParseMalformed, body + 27,
         "bad <integer> \"x\" at line 3 (offset " + std::to_string(body + 27) + ")"},
        // libxml2 places this one on the character after the "&", where a name should start.
        {amp, kParseMalformed, amp.find('&') + 1,
         "malformed XML: xmlParseEntityRef: no name at line 5 (offset " + std::to_string(amp.find('&') + 1) + ")"},
        {plist("<true/>") + "<x/>", kParseTrailingBytes, body + 15,
         "malformed XML: Extra content at the end of the document at line 3 (offset " + std::to_string(body + 15) +
             ")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doc);
        auto read = PropertyList::read(c.doc);
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().code(), c.code);
        EXPECT_EQ(parseErrorOffset(read.error()), c.offset);
        EXPECT_EQ(read.error().localizedDescription(), c.description);
    }
}

} // namespace
} // namespace fnd
