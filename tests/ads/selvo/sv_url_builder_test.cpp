// Selvo request URLs, headers and server choice: the exact render and launch-report texts, every value
// escaped on its own, the run modes' servers and the four headers.
#include <gtest/gtest.h>

#include <string>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_misc.h"
#include "ads/selvo/sv_run_mode.h"
#include "ads/selvo/sv_url_builder.h"
#include "ads/selvo/sv_user_info.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan::selvo {
namespace {

const std::string kBase = "http://127.0.0.1:9";

class SVURLBuilderTest : public ::testing::Test {
protected:
    SVURLBuilderTest() : context_(nullptr, SelvoConfig{NetworkEndpoint(kBase, "/selvo")}) {}
    void SetUp() override { clock_ = fnd::ManualClock::install(); }
    void TearDown() override { fnd::Clock::install(nullptr); }

    std::string render(const std::vector<SVAdRequest>& requests, const fnd::Value& info) {
        auto url = SVURLBuilder(context_).urlForAdRequests(requests, info);
        return url ? url->absoluteString() : "<none>";
    }
    // The query between "&fmtver=2.0" and "&_ts=".
    std::string middle(const std::vector<SVAdRequest>& requests, const fnd::Value& info) {
        const std::string text = render(requests, info);
        const size_t from = text.find("&fmtver=2.0") + 11;
        return text.substr(from, text.find("&_ts=") - from);
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    SelvoContext context_;
};

TEST_F(SVURLBuilderTest, RenderRequestInOrder) {
    const auto ids = fnd::Value::dictionary(
        {{SVAdRequestPublisherIDKey, "P1"}, {SVAdRequestSiteIDKey, "S1"}, {SVAdRequestDeviceIDKey, "U1"}});
    EXPECT_EQ(render({SVAdRequest::adRequestsForType(0, 0)}, ids),
              kBase +
                  "/selvo/adserver/render?fmt=xml&sas=true&fmtver=2.0&pid=P1&sid=S1&adm=b,sa&udid=U1&_ts=1262304000");

    EXPECT_EQ(middle({}, ids), "&pid=P1&sid=S1&udid=U1");
    const std::string mixed =
        render({SVAdRequest::adRequestsForType(0, 0, 320), SVAdRequest::adRequestsForType(2, 4, 300)}, ids);
    EXPECT_NE(mixed.find(kBase + "/selvo/batch/adserver/render?"), std::string::npos) << mixed;
    EXPECT_NE(mixed.find("&adm=b,sa&adm=t%2c4&mode=b&w=300&udid="), std::string::npos) << mixed;
    EXPECT_EQ(middle({SVAdRequest::adRequestsForType(0, 5), SVAdRequest::adRequestsForType(3, 0)}, {}),
              "&adm=bs%2c5&adm=i&mode=b");
    EXPECT_EQ(middle({SVAdRequest::adRequestsForType(9, 2, 999)}, {}), "%2c2&mode=b");

    SVSetTestMode(context_, 1);
    clock_->advance(61.5);
    const std::string test = render({SVAdRequest::adRequestsForType(0, 0)}, ids);
    EXPECT_TRUE(test.ends_with("&udid=U1&test=1&_ts=1262304061")) << test;
}

TEST_F(SVURLBuilderTest, ValuesAreEscapedAndSkippedByTheirRules) {
    fnd::testing::LogCapture capture;
    const auto info = fnd::Value::dictionary({{SVAdRequestPlacementKey, "unknown"},
                                              {SVAdRequestSectionKey, "unknown"},
                                              {SVAdRequestUserAgentKey, ""},
                                              {SVAdRequestZipcodeKey, ""},
                                              {SVAdRequestAgeKey, 0},
                                              {SVAdRequestIncomeKey, -5},
                                              {SVAdRequestEthnicityKey, 5}});
    EXPECT_EQ(middle({}, info), "&ua=&geo=zip%3D");

    // The invalid group is a verbose trace line.
    const fnd::LogLevel level = fnd::minLogLevel();
    fnd::setMinLogLevel(fnd::LogLevel::Debug);
    context_.setVerbose(true);
    EXPECT_EQ(middle({}, info), "&ua=&geo=zip%3D");
    fnd::setMinLogLevel(level);
    EXPECT_TRUE(capture.contains("Invalid EthnicGroup"));

    const auto hostile = fnd::Value::dictionary({{SVAdRequestPublisherIDKey, "p&x=1"},
                                                 {SVAdRequestPlacementKey, "top bar"},
                                                 {SVAdRequestSectionKey, "a#b"},
                                                 {SVAdRequestUserAgentKey, "UA 1.0+x"},
                                                 {SVAdRequestLocationLatitudeKey, 51.26},
                                                 {SVAdRequestZipcodeKey, "1 2&x=3"},
                                                 {SVAdRequestMDNKey, "555"},
                                                 {SVAdRequestGenderKey, "f"},
                                                 {SVAdRequestAgeKey, 2},
                                                 {SVAdRequestBirthDateKey, fnd::Date::fromUnix(1262304000)},
                                                 {SVAdRequestEthnicityKey, 0}});
    EXPECT_EQ(middle({}, hostile),
              "&pid=p%26x%3D1&plc=top%20bar&cid=a%23b&ua=UA%201.0%2Bx&qlat=51.3"
              "&geo=zip%3D1%202%26x%3D3%26mdn%3D555&dem=g%3Df%26age%3D2%26bday%3D20100101%26eth%3D0");
}

TEST_F(SVURLBuilderTest, ServersReportAndHeaders) {
    const auto info = fnd::Value::dictionary({{SVAdRequestDeviceIDKey, "U 1"}});
    auto report = SVURLBuilder(context_).urlForReportingAction(info);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->absoluteString(), kBase + "/selvo/adserver/logAction?&udid=U%201");

    context_.setRunMode(2);
    EXPECT_EQ(context_.adServer(true), kBase + "/selvo/qa/adserver");
    EXPECT_EQ(context_.proxySiteServer(), kBase + "/selvo/qa/siteserver/sdkproxy.jsp?");
    context_.setRunMode(3);
    EXPECT_EQ(context_.adServer(false), kBase + "/selvo/staging/adserver");
    EXPECT_EQ(context_.proxySiteServer(), kBase + "/selvo/staging/siteserver/sdkproxy.jsp?");
    context_.setRunMode(7);
    EXPECT_FALSE(context_.adServer(false));
    SVSetTestMode(context_, 2);
    EXPECT_EQ(SVRunMode(context_), 0);
    EXPECT_EQ(context_.adServer(true), kBase + "/selvo/batch/adserver");

    fnd::testing::LogCapture capture;
    SelvoContext without;
    EXPECT_FALSE(without.adServer(false));
    EXPECT_FALSE(without.proxySiteServer());
    EXPECT_FALSE(SVURLBuilder(without).urlForAdType(0, 0, info));
    EXPECT_FALSE(SVURLBuilder(without).urlForReportingAction(info));

    const SVMisc misc(&context_);
    fnd::UrlRequest request(*fnd::Url::parse(kBase));
    misc.addSVHeaders(request, fnd::Value::dictionary({{SVAdRequestSystemModelKey, "M"},
                                                       {SVAdRequestUserAgentKey, "A"},
                                                       {SVAdRequestSystemNameKey, "Linux"}}));
    // In their fixed order whatever the user info's order; the missing device id sets none.
    std::vector<fnd::HttpHeaders::Field> fields(request.allHTTPHeaderFields().begin(),
                                                request.allHTTPHeaderFields().end());
    EXPECT_EQ(fields, (std::vector<fnd::HttpHeaders::Field>{
                          {"User-Agent", "A"}, {"x-selvo-iphone-os", "Linux"}, {"x-qauttro-iphone-devicemodel", "M"}}));
    fnd::UrlRequest bare(*fnd::Url::parse(kBase));
    misc.addSVHeaders(bare, fnd::Value());
    EXPECT_EQ(bare.allHTTPHeaderFields().count(), 0u);
    EXPECT_TRUE(capture.contains("Warning: no user info provided."));

    EXPECT_TRUE(misc.isITunesURL(*fnd::Url::parse("http://apps.store.test/app/1")));
    EXPECT_FALSE(misc.isITunesURL(*fnd::Url::parse("http://example.org/store.test")));
    EXPECT_TRUE(misc.isCloseURL(*fnd::Url::parse("http://close.selvo.test/")));
    EXPECT_FALSE(misc.isCloseURL(*fnd::Url::parse("http://close.selvo.test/x")));
}

} // namespace
} // namespace zelvan::selvo
