// The offer network's text, colour and file utilities: number grouping at the int limits, tag removal,
// mail escaping that keeps the mailto: URL whole, saturating reads, clamped colours and file helpers.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/app_registry.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::orvane {
namespace {

TEST(ORVUtilTest, TextHelpers) {
    const std::vector<std::pair<int, std::string>> numbers = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1002003, "1,002,003"},
        {-5, "-5"},
        {-1000, "-1,000"},
        {INT_MAX, "2,147,483,647"},
        {INT_MIN, "-2,147,483,648"},
    };
    for (const auto& [number, text] : numbers) {
        EXPECT_EQ(ORVUtil::formatString(number), text) << number;
    }

    const std::vector<std::pair<std::string, std::string>> tags = {
        {"<b>Win</b> 50 <i>coins</i>", "Win 50 coins"},
        {"a < b", "a < b"}, // an unclosed "<" stays
        {"x<y<z>w", "xw"},  // from a "<" to the next ">"
        {"1 > 0 <br>", "1 > 0 "},
        {"", ""},
    };
    for (const auto& [html, plain] : tags) {
        EXPECT_EQ(ORVUtil::removeUnRequiredHTMLTags(html), plain) << html;
    }

    const std::vector<std::pair<std::string, std::string>> mail = {
        {"50% more coins", "50%25%20more%20coins"}, // a "%" without two hex digits is kept, then escaped
        {"it's #1", "it%27s%20%231"},               // "'" and "#" would end the body
        {"a&b=c?d", "a%26b%3Dc%3Fd"},
        {"%41%20b", "A%20b"}, // valid escapes are undone first
        {"café ’", "caf%C3%A9%20%E2%80%99"},
    };
    for (const auto& [text, escaped] : mail) {
        EXPECT_EQ(ORVUtil::escapeUnrequiredChracterForEmailBody(text), escaped) << text;
    }

    EXPECT_EQ(ORVUtil::getStrLongValue("123abc"), 123);
    EXPECT_EQ(ORVUtil::getStrLongValue("99999999999999999999"), INT64_MAX);
    EXPECT_EQ(ORVUtil::getStrLongValue("-99999999999999999999"), INT64_MIN);
    EXPECT_EQ(ORVUtil::getStrLongValue("none"), 0);
    const fnd::Value reply = fnd::Value::dictionary({{"A", "x"}, {"B", fnd::Value::dictionary()}, {"C", 5}});
    EXPECT_EQ(ORVUtil::getXMLRootStrValueWithDict(reply, "A"), "x");
    EXPECT_EQ(ORVUtil::getXMLRootStrValueWithDict(reply, "C"), "");
    EXPECT_EQ(ORVUtil::getXMLRootStrValueWithDict(reply, "Z"), "");

    EXPECT_EQ(ORVUtil::addWhite(0x0E2C4C, 0), 0x0E2C4C);
    EXPECT_EQ(ORVUtil::addWhite(0xFF00F0, 16), 0xFF10FF);
    EXPECT_EQ(ORVUtil::addWhite(0x102030, -0x20), 0x000010);
    EXPECT_EQ(ORVUtil::addWhite(0x102030, INT_MAX), 0xFFFFFF);
    EXPECT_EQ(ORVUtil::addWhite(0x102030, INT_MIN), 0);
}

TEST(ORVUtilTest, UserColourComesFromTheContext) {
    EXPECT_EQ(ORVUtil::getUserDefinedColorCode(), 0x0E2C4C); // no context at all
    AppRegistry registry;
    auto context = makeOrvane(NetworkEndpoint("http://127.0.0.1:9", "/orvane"), ::testing::TempDir());
    registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context);
    ScopedAppDelegate delegate(std::move(registry));
    EXPECT_EQ(ORVUtil::getUserDefinedColorCode(), 0x0E2C4C); // until the host sets one
    context->setUserColorCode(0x336699);
    EXPECT_EQ(ORVUtil::getUserDefinedColorCode(), 0x336699);
    const gfx::Color colour = ORVUtil::getUserDefinedColor();
    EXPECT_DOUBLE_EQ(colour.r * 255, 0x33);
    EXPECT_DOUBLE_EQ(colour.g * 255, 0x66);
    EXPECT_DOUBLE_EQ(colour.b * 255, 0x99);
    EXPECT_DOUBLE_EQ(colour.a, 1);
}

TEST(ORVUtilTest, FilesAreReplacedButFoldersNeverAre) {
    const std::string root = ::testing::TempDir() + "orv_util_files";
    fnd::FileManager::removeItemAtPath(root);
    const std::string folder = root + "/a/b";
    ASSERT_TRUE(ORVUtil::createDirAtPath(folder));
    EXPECT_TRUE(ORVUtil::createDirAtPath(folder)); // already there
    const std::string file = folder + "/item.dat";
    ASSERT_TRUE(fnd::writeFile(file, fnd::Bytes{'o', 'l', 'd', '!'}));
    auto handle = ORVUtil::createWriteableFileAtPath(file);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->writeData(fnd::Bytes{'n', 'e', 'w'}));
    EXPECT_TRUE(handle->closeFile());
    EXPECT_EQ(fnd::readFile(file), (fnd::Bytes{'n', 'e', 'w'}));
    EXPECT_FALSE(ORVUtil::createWriteableFileAtPath(root + "/a")); // a folder stays
    EXPECT_TRUE(fnd::FileManager::isRegularFile(file));
    EXPECT_FALSE(ORVUtil::unZipFile(file, folder)); // not an archive
    fnd::FileManager::removeItemAtPath(root);
}

} // namespace
} // namespace zelvan::orvane
