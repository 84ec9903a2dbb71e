// The plain-HTTP networks' reply reading: the text between markers, Kavlo's link test on bytes with high
// bytes, and the Selvo raw adapter's URLs and size, including sizes that are no usable number.
#include "ads/mediation/raw_reply.h"

#include <gtest/gtest.h>

#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/selvo_interface.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::mediation {
namespace {

fnd::Bytes bytes(std::string_view text) {
    return fnd::Bytes(text.begin(), text.end());
}

TEST(RawReply, SubstringBetween) {
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "x<a>1</a>2</a>"), "1");
    EXPECT_EQ(substringBetween("<A>", "</a>", false, "x<a>1</A>"), "1");
    EXPECT_EQ(substringBetween("<A>", "</a>", true, "x<a>1</a>"), std::nullopt); // the case flag
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "<a>no end"), std::nullopt);
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "no start</a>"), std::nullopt);
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "</a> then <a>x"), std::nullopt); // end only before start
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "</a><a>x</a>"), "x");
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "<a><a>in</a></a>"), "<a>in"); // nested: the first end
    EXPECT_EQ(substringBetween("<a>", "</a>", true, "<a></a>"), "");
    EXPECT_EQ(substringBetween(nullptr, "</a>", true, "<a>x</a>"), std::nullopt);
    EXPECT_EQ(KavloInterface::substringBetween("<a>", nullptr, true, "<a>x</a>"), std::nullopt);
}

TEST(RawReply, KavloLinkTest) {
    EXPECT_TRUE(readKavloReply(asciiText(bytes("<p>\xE9<A HREF='x'>go</A>"))).ok());
    const std::string latin = asciiText(bytes("\xFF<a href=1>"));
    EXPECT_EQ(latin, "\xC3\xBF<a href=1>"); // a high byte reads as Latin-1
    auto none = readKavloReply("<a name=1>");
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(fnd::parseErrorOffset(none.error()), 10u);
    KavloInterface kavlo({});
    EXPECT_FALSE(kavlo._parseAdResponse(bytes("")));
    EXPECT_TRUE(kavlo._parseAdResponse(bytes("<a href=u>")));
    EXPECT_EQ(kavlo.htmlForAd(), "<a href=u>");
}

TEST(RawReply, SelvoFields) {
    SelvoInterface selvo({});
    EXPECT_TRUE(selvo._parseAdResponse(bytes("<ad><CLICKURL>c</clickurl><url>u</url></ad>")));
    EXPECT_EQ(selvo.clickURL(), "c");
    EXPECT_EQ(selvo.bannerURL(), "u");
    EXPECT_EQ(selvo.adWidth(), 300);
    EXPECT_EQ(selvo.adHeight(), 50);
    EXPECT_TRUE(selvo._parseAdResponse(bytes("<clickUrl>c</clickUrl><url>u</url><width>320.7</width>"
                                             "<height> 48</height>")));
    EXPECT_EQ(selvo.adWidth(), 320);
    EXPECT_EQ(selvo.adHeight(), 48);
    // Sizes that are no usable number keep the size there was.
    for (const char* odd : {"nan", "1e40", "-inf", "inf", "-5", "99999999999"}) {
        EXPECT_TRUE(selvo._parseAdResponse(bytes(std::string("<clickUrl>c</clickUrl><url>u</url><width>") + odd +
                                                 "</width><height>" + odd + "</height>")))
            << odd;
        EXPECT_EQ(selvo.adWidth(), 320) << odd;
        EXPECT_EQ(selvo.adHeight(), 48) << odd;
    }
    EXPECT_FALSE(selvo._parseAdResponse(bytes("<clickUrl>c</clickUrl><url></url>")));
    EXPECT_FALSE(selvo.hasAdAvailable());
    auto missing = readSelvoReply("<clickUrl>c</clickUrl>");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().localizedDescription().find("<url>"), std::string::npos);
}

} // namespace
} // namespace zelvan::mediation
