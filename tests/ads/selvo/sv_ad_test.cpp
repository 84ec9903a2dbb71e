// The Selvo reply parser: the sanity test, the status block, single and batch replies, and the fields of
// each ad kind, with pictures asked of a fake cache.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/testing/fake_ad_cache.h"
#include "platform/device/device.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"

namespace zelvan::selvo {
namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

fnd::Bytes bytes(const std::string& text) {
    return fnd::Bytes(text.begin(), text.end());
}

std::string reply(const std::string& status, const std::string& ads) {
    return kDecl + "<svads>" + status + ads + "</svads>";
}

const std::string kSuccess = "<status code=\"success\"><messages><message code=\"2000\"/></messages></status>";

class SVAdTest : public ::testing::Test {
protected:
    void SetUp() override { device::Device::current().setUniqueIdentifier("dev-1"); }

    fnd::testing::ScopedAppRoot root_;
    SelvoContext context_;
    testing::FakeAdCache cache_;
    SVReplyEnv env_{&context_, &cache_};
};

TEST_F(SVAdTest, SanityTestAndStatusBlock) {
    fnd::testing::LogCapture capture;
    const std::string ad = "<ads><ad id=\"a1\"><body type=\"text\"/></ad></ads>";
    // Without the declaration nothing is parsed, however good the rest is.
    EXPECT_EQ(SVAd::adForXMLData(env_, bytes("<svads>" + kSuccess + ad + "</svads>")), nullptr);
    EXPECT_TRUE(capture.contains("Invalid XML response, bad header!"));

    auto clean = SVAd::adForXMLData(env_, bytes(reply(kSuccess, ad)));
    ASSERT_TRUE(clean);
    ASSERT_NE(*clean, nullptr);
    EXPECT_EQ((*clean)->adID(), "a1");

    // A message of another code before the 2000 one is logged, yet the reply is clean.
    const std::string mixed = "<status code=\"success\"><messages><message code=\"500\" description=\"x\">y</message>"
                              "<message code=\"2000\"/></messages></status>";
    auto mixedReply = SVAd::adForXMLData(env_, bytes(reply(mixed, ad)));
    ASSERT_TRUE(mixedReply);
    EXPECT_NE(*mixedReply, nullptr);
    EXPECT_TRUE(capture.contains("ERROR[500]: x -- y"));

    const std::string failed =
        "<status code=\"failure\"><messages><message code=\"500\" description=\"x\">y</message></messages></status>";
    auto failure = SVAd::adForXMLData(env_, bytes(reply(failed, ad)));
    ASSERT_FALSE(failure);
    EXPECT_EQ(failure.error().domain(), "SelvoMobileLib");
    EXPECT_EQ(failure.error().code(), 500);
    EXPECT_EQ(failure.error().localizedDescription(), "ERROR[500]: x -- y");

    auto twoStatuses = SVAd::adForXMLData(env_, bytes(reply(kSuccess + kSuccess, ad)));
    ASSERT_TRUE(twoStatuses);
    EXPECT_NE(*twoStatuses, nullptr);
    EXPECT_TRUE(capture.contains("Error invalid number of status nodes."));
}

TEST_F(SVAdTest, BatchesCarryTheirIdAndExpiry) {
    struct Case {
        std::string expiry;
        std::optional<double> unix;
    };
    // 2010-01-01 13:05 in each zone form; then malformed texts.
    const Case cases[] = {{"2010-01-01 13:05 GMT", 1262351100},
                          {"2010-01-01 13:05 PST", 1262351100 + 8 * 3600},
                          {"2010-01-01 13:05 +0100", 1262351100 - 3600},
                          {"2010-01-01 13:05 GMT-5:30", 1262351100 + 19800},
                          {"2010-01-01 13:05 UTC", 1262351100},
                          {"2010-13-01 13:05 GMT", std::nullopt},
                          {"2010-01-01 13:05", std::nullopt},
                          {"tomorrow", std::nullopt}};
    for (const auto& c : cases) {
        const std::string batches = "<ads batchid=\"b1\" expiry=\"" + c.expiry +
                                    "\"><ad id=\"1\"/><ad id=\"2\"/></ads><ads batchid=\"b2\"><ad id=\"3\"/></ads>";
        auto ads = SVAd::adsForXMLData(env_, bytes(reply(kSuccess, batches))).valueOr(std::nullopt);
        ASSERT_TRUE(ads) << c.expiry;
        ASSERT_EQ(ads->size(), 3u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ((*ads)[i]->batchID(), "b1");
            ASSERT_EQ((*ads)[i]->expireDate().has_value(), c.unix.has_value()) << c.expiry;
            if (c.unix) {
                EXPECT_EQ((*ads)[i]->expireDate()->since1970(), *c.unix) << c.expiry;
            }
        }
        EXPECT_EQ((*ads)[2]->adID(), "3");
        EXPECT_EQ((*ads)[2]->batchID(), "b2");
        EXPECT_FALSE((*ads)[2]->expireDate());
        EXPECT_NE((*ads)[0]->dbid(), (*ads)[1]->dbid());
    }
    EXPECT_EQ(SVAd::adsForXMLData(env_, bytes(reply(kSuccess, ""))), std::nullopt);
}

TEST_F(SVAdTest, FieldsOfEachAdKind) {
    const std::string ads =
        "<ads><ad id=\"first\" availableImpressions=\"99999999999999999999\"><clickUrl>http://c/1</clickUrl>"
        "<body type=\"BANNER\"><banner><actionText>Tap</actionText><image><url>http://i/1.png</url></image>"
        "<width></width><width>320</width><height>50</height>"
        "<trackingPixels><trackingPixelUrl>http://p/1</trackingPixelUrl><trackingPixelUrl>http://p/2"
        "</trackingPixelUrl></trackingPixels></banner></body></ad><ad id=\"second\"/></ads>";
    auto banner = SVAd::adForXMLData(env_, bytes(reply(kSuccess, ads))).valueOr(nullptr);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->adID(), "first");
    EXPECT_EQ(banner->impressionsReserved(), static_cast<unsigned>(INT32_MAX));
    EXPECT_EQ(banner->url(), "http://c/1");
    EXPECT_EQ(banner->type(), 0);
    EXPECT_EQ(banner->subtype(), 100);
    EXPECT_EQ(banner->text(), "Tap");
    EXPECT_EQ(banner->dataURL(), "http://i/1.png");
    EXPECT_EQ(banner->imageWidth(), 320);
    EXPECT_EQ(banner->imageHeight(), 50);
    EXPECT_EQ(banner->tracking(), (std::vector<std::string>{"http://p/1", "http://p/2"}));
    ASSERT_EQ(cache_.asks().size(), 1u);
    EXPECT_EQ(cache_.asks()[0].dataURL, "http://i/1.png");
    EXPECT_EQ(cache_.asks()[0].userInfo.asDictionary()->objectForKey("SVAdRequestDeviceIDKey").stringValue(), "dev-1");

    const std::string text =
        "<ads><ad id=\"t\" availableImpressions=\"-4\"><body type=\"text\"><text>"
        "<bodyText>Body</bodyText><headline>Head</headline><trackingPixels>"
        "<trackingPixelUrl>http://p/t</trackingPixelUrl></trackingPixels></text></body></ad></ads>";
    auto textAd = SVAd::adForXMLData(env_, bytes(reply(kSuccess, text))).valueOr(nullptr);
    ASSERT_NE(textAd, nullptr);
    EXPECT_EQ(textAd->impressionsReserved(), 0u);
    EXPECT_EQ(std::make_tuple(textAd->type(), textAd->subtype(), textAd->text(), textAd->headline()),
              std::make_tuple(2, 102, std::string("Body"), std::string("Head")));
    EXPECT_EQ(textAd->tracking(), std::vector<std::string>{"http://p/t"});

    const std::string others =
        "<ads><ad><body type=\"textbanner\"><text><bodyText>B</bodyText><trackingPixels><trackingPixelUrl>x"
        "</trackingPixelUrl></trackingPixels></text></body></ad>"
        "<ad><body type=\"expandablebanner\"><expandablebanner><data><url>http://e/1</url></data>"
        "<trackingPixels><trackingPixelUrl>http://p/e</trackingPixelUrl></trackingPixels></expandablebanner></body></"
        "ad>"
        "<ad><body type=\"interstitial\"><interstitial><image><url>http://i/2</url></image><height>480</height>"
        "</interstitial></body></ad>"
        "<ad><body type=\"animatedbanner\"><animatedbanner><animatedimage><url>http://i/3</url></animatedimage>"
        "<trackingPixels><trackingPixelUrl>http://p/a</trackingPixelUrl></trackingPixels></animatedbanner></body></ad>"
        "</ads>";
    auto batch = SVAd::adsForXMLData(env_, bytes(reply(kSuccess, others))).valueOr(std::nullopt);
    ASSERT_TRUE(batch);
    ASSERT_EQ(batch->size(), 4u);
    const auto& textBanner = *(*batch)[0];
    EXPECT_EQ(std::make_tuple(textBanner.type(), textBanner.subtype(), textBanner.text()),
              std::make_tuple(0, 0, std::string()));
    EXPECT_TRUE(textBanner.tracking().empty());
    EXPECT_EQ(std::make_tuple((*batch)[1]->type(), (*batch)[1]->subtype(), (*batch)[1]->dataURL()),
              std::make_tuple(0, 103, std::string("http://e/1")));
    EXPECT_EQ((*batch)[1]->tracking(), std::vector<std::string>{"http://p/e"});
    EXPECT_EQ(std::make_tuple((*batch)[2]->type(), (*batch)[2]->subtype(), (*batch)[2]->imageHeight()),
              std::make_tuple(3, 101, 480.0f));
    EXPECT_EQ((*batch)[3]->subtype(), 104);
    EXPECT_EQ((*batch)[3]->tracking(), std::vector<std::string>{"http://p/a"});
    // Pictures for the interstitial and animated banner; none for the expandable one.
    auto asks = cache_.asks();
    ASSERT_EQ(asks.size(), 3u);
    EXPECT_EQ(asks[1].dataURL, "http://i/2");
    EXPECT_EQ(asks[2].dataURL, "http://i/3");
}

} // namespace
} // namespace zelvan::selvo
