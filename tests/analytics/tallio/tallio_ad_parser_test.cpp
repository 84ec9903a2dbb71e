// The hook-ad reply parser: every chunk type, hand-outs per hook and screen, and streams that are cut,
// damaged or lie about their sizes and counts (what was complete stays, nothing is read past the end).
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "analytics/tallio/tallio_ad_parser.h"
#include "platform/foundation/parse_error.h"
#include "platform/ui/view_controller.h"
#include "tools/devserver/dev_tallio_reply.h"

namespace zelvan::tallio {
namespace {

using devserver::DevTallioAd;
using devserver::DevTallioReplyKind;
using devserver::DevTallioReplyWriter;
using W = DevTallioReplyWriter;

std::span<const uint8_t> bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

DevTallioAd ad(int64_t id, int64_t imageId = 0, std::string cookie = "") {
    return {id, id * 10, "App " + std::to_string(id), "Maker", id + 500, imageId, std::move(cookie)};
}

// What a parser holds, as far as hand-outs show it: the ads one fresh screen gets from each hook.
std::set<int64_t> adsFor(TallioAdParser& parser, const std::string& hook) {
    std::set<int64_t> ids;
    while (auto handed = parser.adWithHook(hook, "probe " + hook)) {
        ids.insert(handed->adId);
    }
    parser.removeAdsOnViewControllerName("probe " + hook);
    return ids;
}

TEST(TallioAdParserTest, SampleReplyFillsEveryMap) {
    TallioAdParser parser;
    int heard = 0;
    auto token = parser.adParsingPhase().addObserver([&](const int& phase) { heard += phase; });
    EXPECT_EQ(parser.adParsingPhase().get(), 0);
    parser.parseData(bytes(devserver::devTallioReply()));
    EXPECT_EQ(parser.adParsingPhase().get(), 1);
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(parser.versionId(), 1);

    auto screen = std::make_shared<ui::ViewController>();
    auto first = parser.adWithHook("zelvan", *screen);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->adId, 11);
    EXPECT_EQ(first->adText, "Pebble Match");
    EXPECT_EQ(first->advertiser, "Quarry Games");
    EXPECT_EQ(first->adCookieString(), "0a0b0c0d 0e");
    ASSERT_TRUE(first->adImage);
    EXPECT_EQ(first->adImage->width(), 16);
    ASSERT_TRUE(first->adTheme);
    EXPECT_EQ(first->adTheme->sellMessage, "Free for a limited time");
    ASSERT_TRUE(first->adTheme->portraitAdImage && first->adTheme->landscapeAdImage);
    EXPECT_EQ(first->adTheme->landscapeAdImage->width(), 48);
    EXPECT_EQ(first->adTheme->appNameColor.g, 0xD0 / 255.0);
    EXPECT_EQ(adsFor(parser, "Tallio_Canvas_Hook_3"), (std::set<int64_t>{21, 22}));
    ASSERT_TRUE(parser.getImageWithCode(1));
    EXPECT_EQ(parser.getImageWithCode(1)->width(), 32);
    EXPECT_FALSE(parser.getImageWithCode(2));
    EXPECT_FALSE(parser.getImage(999));
}

TEST(TallioAdParserTest, ChunkCasesAndColours) {
    TallioAdParser parser;
    W reply;
    reply.endOfMessage()
        .adBlock(4, {ad(1), ad(2), ad(3)})
        .chunk(260, "skipped")
        .chunk(-7, std::string(3, '\xff'))
        .error(9, "server says no")
        .hooks({{"", 4, 2}})
        .themes({{2, "Sell", 0, 0, 0x12345678, 0, 0}})
        .images({{31, 1, 1, "image/png", "not a png"}, {-1, 0, 0, "", ""}, {32, 1, 1, "image/png", "x"}})
        .imageCodes({{31, 5}, {77, 6}})
        .images({{0, 1, 1, "image/png", "zz"}}) // image id 0: read, not kept
        .version(-3);
    auto walked = parser.processTaggedFile(bytes(reply.bytes()));
    ASSERT_TRUE(walked.ok()) << walked.error().description();
    EXPECT_EQ(parser.versionId(), -3);

    // Hook "x" is unknown: the empty-named hook's block serves it; three ads, then none on that screen.
    std::set<int64_t> ids;
    for (int i = 0; i < 3; ++i) {
        auto handed = parser.adWithHook("x", "Screen");
        ASSERT_TRUE(handed);
        ids.insert(handed->adId);
        EXPECT_FALSE(handed->adImage);
        const gfx::Color sell = handed->adTheme->sellMessageColor;
        EXPECT_EQ(sell.r, 0x34 / 255.0);
        EXPECT_EQ(sell.g, 0x56 / 255.0);
        EXPECT_EQ(sell.b, 0x78 / 255.0);
        EXPECT_EQ(sell.a, 1.0);
    }
    EXPECT_EQ(ids, (std::set<int64_t>{1, 2, 3}));
    EXPECT_FALSE(parser.adWithHook("x", "Screen"));
    EXPECT_TRUE(parser.adWithHook("x", "Another screen"));

    // Freed assignments: one ad, then every ad of the screen.
    TallioAd second;
    second.adId = 2;
    parser.removeAd(second, "Screen");
    auto again = parser.adWithHook("x", "Screen");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->adId, 2);
    parser.removeAdsOnViewControllerName("Screen");
    EXPECT_EQ(adsFor(parser, "x").size(), 3U);
    EXPECT_TRUE(parser.assignAd(again, "Fresh"));
    EXPECT_FALSE(parser.assignAd(again, "Fresh"));

    // The images chunk ends at id -1; bad bytes and unknown ids give no image.
    EXPECT_FALSE(parser.getImage(31));
    EXPECT_FALSE(parser.getImageWithCode(5));
    EXPECT_FALSE(parser.getImage(32));
    EXPECT_FALSE(parser.getImage(0));
    EXPECT_FALSE(parser.getImageWithCode(6));
}

TEST(TallioAdParserTest, MissingThemeKeepsTheAdOnTheScreen) {
    TallioAdParser parser;
    W reply;
    reply.adBlock(1, {ad(5)}).hooks({{"h", 1, 9}});
    parser.parseData(bytes(reply.bytes()));
    EXPECT_FALSE(parser.adWithHook("h", "S"));
    // The theme arrives with a later reply: the refused ad still counts as shown on that screen, so only
    // another screen, or the same one once the ad is freed, gets it.
    W themes;
    themes.themes({{9, "", 0, 0, 0, 0, 0}});
    parser.parseData(bytes(themes.bytes()));
    EXPECT_FALSE(parser.adWithHook("h", "S"));
    auto handed = parser.adWithHook("h", "T");
    ASSERT_TRUE(handed);
    EXPECT_EQ(handed->adId, 5);
    parser.removeAd(*handed, "S");
    EXPECT_TRUE(parser.adWithHook("h", "S"));
    EXPECT_FALSE(parser.adWithHook("nothing", "S")); // neither the hook nor an empty-named one
}

TEST(TallioAdParserTest, CookiesAndInvalidText) {
    TallioAd plain;
    EXPECT_EQ(plain.adCookieString(), "");
    plain.adCookie = {0xde, 0xad, 0xbe, 0xef};
    EXPECT_EQ(plain.adCookieString(), "deadbeef");
    plain.adCookie.push_back(0x0a);
    EXPECT_EQ(plain.adCookieString(), "deadbeef 0a");

    TallioAdParser parser;
    W reply;
    reply.adBlock(1, {{7, 1, "ok\xc3", "\xff", 1, 0, "\x01\x02\x03\x04\x05"}})
        .hooks({{"\xc0\x80", 1, 1}, {"", 1, 1}})
        .themes({{1, "\xed\xa0\x80", 0, 0, 0, 0, 0}});
    ASSERT_TRUE(parser.processTaggedFile(bytes(reply.bytes())).ok());
    auto handed = parser.adWithHook("\xc0\x80", "S");
    ASSERT_TRUE(handed);
    EXPECT_FALSE(handed->adText);
    EXPECT_FALSE(handed->advertiser);
    EXPECT_FALSE(handed->adTheme->sellMessage);
    EXPECT_EQ(handed->adCookieSize, 5);
    EXPECT_EQ(handed->adCookieString(), "01020304 05");
}

TEST(TallioAdParserTest, CutStreamsKeepWhatWasComplete) {
    const std::string full = devserver::devTallioReply();
    size_t last = 0;
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        TallioAdParser parser;
        const std::string part = full.substr(0, cut);
        auto walked = parser.processTaggedFile(bytes(part));
        if (cut == full.size()) {
            EXPECT_TRUE(walked.ok());
        } else if (!walked.ok()) {
            EXPECT_LE(fnd::parseErrorOffset(walked.error()).value_or(cut + 1), cut);
        }
        // Complete items only grow with the cut.
        size_t held = adsFor(parser, "zelvan").size() + adsFor(parser, "Tallio_Canvas_Hook_5").size() +
                      (parser.getImageWithCode(1) ? 1 : 0) + (parser.getImage(105) ? 1 : 0);
        EXPECT_GE(held, last) << cut;
        last = held;
    }
    EXPECT_EQ(last, 3U + 2U + 2U);

    // The ad host's cut and damaged replies: what came before the fault stays, and the phase still turns.
    for (auto kind : {DevTallioReplyKind::Cut, DevTallioReplyKind::Damaged}) {
        TallioAdParser parser;
        const std::string reply = devserver::devTallioReply(kind);
        EXPECT_FALSE(parser.processTaggedFile(bytes(reply)).ok());
        parser.parseData(bytes(reply));
        EXPECT_EQ(parser.adParsingPhase().get(), 1);
        EXPECT_EQ(adsFor(parser, "zelvan").size(), 3U);
        EXPECT_TRUE(parser.getImageWithCode(1));
    }
}

TEST(TallioAdParserTest, LyingSizesAndCountsStopTheWalk) {
    const std::string head = W().adBlock(1, {ad(1)}).hooks({{"", 1, 1}}).themes({{1, "", 0, 0, 0, 0, 0}}).bytes();
    const std::vector<std::string> lies = {
        W::u16(259) + W::u32(0xFFFFFFFF) + W::u8(2) + W::u16(1),                   // a size far beyond the stream
        W::u16(259) + W::u32(0x80000000) + W::u8(2),                               // a "negative" size
        W::u16(262) + W::u32(2) + W::u16(0xFFFF),                                  // 65535 images in two bytes
        W::u16(263) + W::u32(4) + W::u32(0xFFFFFFFF),                              // four billion hooks
        W::u16(268) + W::u32(4 + 10) + W::u32(0x7FFFFFFF) + W::u64(1) + W::u16(1), // codes beyond one entry
        W::u16(265) + W::u32(4) + W::u16(0) + W::u16(500),                         // an error text beyond its chunk
        W::u16(266) + W::u32(3) + W::u8(200) + W::u8(1) + W::u8(0),                // a theme cut in its message
        W::u16(262) + W::u32(2 + 8 + 8 + 2 + 4) + W::u16(1) + W::u64(1) + W::u64(0) + W::u16(0) + W::u32(0x7FFFFFFF),
        W::u16(259) + W::u32(3 + 18) + W::u8(2) + W::u16(1) + W::u64(1) + W::u64(2) + W::u16(0xFFFF), // a long text
        W::u16(264), // a header cut short
    };
    for (size_t i = 0; i < lies.size(); ++i) {
        TallioAdParser parser;
        // A damaged chunk ends the walk: the ad block after it is not read.
        auto walked = parser.processTaggedFile(bytes(head + lies[i] + W().adBlock(3, {ad(9)}).bytes()));
        ASSERT_FALSE(walked.ok()) << i;
        EXPECT_EQ(walked.error().domain(), "fnd.parse");
        EXPECT_EQ(adsFor(parser, "zelvan"), (std::set<int64_t>{1})) << i; // the hook "" before the fault
        EXPECT_FALSE(parser.getAdFromAdBlock(3, "S")) << i;
    }
}

} // namespace
} // namespace zelvan::tallio
