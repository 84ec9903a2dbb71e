// The ad record against the ad host: the query it sends, how replies become ads (and which fail), the
// click body, the pixels, and an abandoned ad that no longer reports.
#include <gtest/gtest.h>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_image_cache.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/ads/adwick/adwick_banner_fixture.h"

namespace zelvan::adwick {
namespace {

using testing::BannerEnv;
using testing::Publisher;

struct Owner : AdwickAdDelegate {
    int loaded = 0;
    int failed = 0;
    int clicked = 0;
    int clickFailed = 0;
    fnd::Value response;
    gfx::Size adSize() override { return gfx::Size(320, 48); }
    void adDidLoad(AdwickAd&) override { ++loaded; }
    void adDidFailToLoad(AdwickAd&) override { ++failed; }
    void clickDidSucceed(AdwickAd&, const fnd::Value& r) override {
        ++clicked;
        response = r;
    }
    void clickDidFail(AdwickAd&) override { ++clickFailed; }
};

struct AdRun {
    std::shared_ptr<Publisher> publisher = std::make_shared<Publisher>();
    std::shared_ptr<Owner> owner = std::make_shared<Owner>();
    std::shared_ptr<AdwickAd> ad = AdwickAd::initWithAdFormat(0, context());
    AdRun() {
        ad->setDelegate(publisher);
        ad->setAdDelegate(owner);
    }
    AdRun& load() {
        ad->request();
        BannerEnv::pump([this] { return owner->loaded + owner->failed > 0; });
        return *this;
    }
};

// An endpoint on the host that answers `body` as the ad reply.
std::string replyEndpoint(BannerEnv& env, std::shared_ptr<std::string> body) {
    env.host().server().addNetwork("/reply", [body](const devserver::DevAdsRequest&, devserver::DevAdsResponse& r) {
        r.status = 200;
        r.body = *body;
        return true;
    });
    return env.host().url("/reply/ad");
}

TEST(AdwickAdTest, QueryIsSentInOrderWithEveryValueEscaped) {
    BannerEnv env;
    AdRun run;
    run.publisher->kind = "text&s=evil#x";
    run.publisher->postal = "1,2&s=x";
    const std::string query = AdwickAd::queryStringFromDictionary(run.ad->buildParams());
    EXPECT_TRUE(query.starts_with("s=pub-1&f=jsonp&v=20090609-iSDK-5096df531ccfaf53&ex=1&client_sdk=1&ad_type=bar&"))
        << query;
    EXPECT_NE(query.find("&d%5Bpc%5D=1,2%26s%3Dx&l=en&k=text%26s%3Devil%23x"), std::string::npos) << query;

    // The browser icons come first; once cached, the ad request goes out in the same call.
    run.load();
    EXPECT_EQ(env.hits("/adwick/static/iphone/browser/back.png"), 1);
    AdRun second;
    second.publisher->kind = "text&s=evil#x";
    second.ad->request();
    EXPECT_EQ(second.ad->state(), AdwickAd::kRequestSent);
    second.ad->request(); // a second request does nothing
    BannerEnv::pump([&] { return second.owner->loaded + second.owner->failed > 0; });
    int adRequests = 0;
    for (const auto& request : env.host().server().requests()) {
        if (request.path == "/adwick/ad_source.php") {
            ++adRequests;
            EXPECT_EQ(request.query.count("s"), 1U);
            EXPECT_EQ(request.param("k"), "text&s=evil#x");
        }
    }
    EXPECT_EQ(adRequests, 2);

    // Without a publisher id the request is the endpoint and "?" alone.
    AdRun anonymous;
    anonymous.publisher->id.reset();
    EXPECT_EQ(AdwickAd::queryStringFromDictionary(anonymous.ad->buildParams()), "");
}

TEST(AdwickAdTest, RepliesBecomeAdsOrFail) {
    BannerEnv env;
    auto body = std::make_shared<std::string>();
    const std::string endpoint = replyEndpoint(env, body);
    const std::string click = env.host().url("/adwick/click?action=url");
    // Rich ads are built in the flex tests; here the builder is taken away.
    context()->setFlexAdFactory({});
    struct Case {
        std::string reply;
        int state;
        int medium;
    };
    const Case cases[] = {
        // "20" wins over "banner", whose URL stays the image; no pixels for a search ad.
        {R"({"banner":")" + env.host().url("/adwick/static/iphone/ads/banner.png") +
             R"(","20":1,"6":"url","jsonp_url":")" + click + R"(","cpm_url":")" + env.host().url("/adwick/pixel/cpm") +
             R"("})",
         AdwickAd::kLoaded, AdwickAd::kSearchAd},
        // A text ad: "204" appended to the media base; no "18": the icon is fetched under the action name.
        {R"({"text":"Hi","6":"url","204":"/static/iphone/ads/icon.png","jsonp_url":")" + click + R"("})",
         AdwickAd::kLoaded, AdwickAd::kTextAd},
        // A text ad without text fails; a string "markup" is a plain ad.
        {R"({"6":"url","204":"/static/iphone/ads/icon.png","jsonp_url":")" + click + R"("})", AdwickAd::kFailed, 0},
        {R"({"text":"Hi","markup":"x","6":"url","204":"/static/iphone/ads/icon.png","jsonp_url":")" + click + R"("})",
         AdwickAd::kLoaded, AdwickAd::kTextAd},
        // A rich description with no builder installed fails.
        {R"({"markup":{},"6":"url","jsonp_url":")" + click + R"("})", AdwickAd::kFailed, 0},
        // Values of the wrong kind, or URLs that are not http(s), count as absent.
        {R"({"text":"Hi","6":"url","204":"/static/iphone/ads/icon.png","jsonp_url":5})", AdwickAd::kFailed, 0},
        {R"({"banner":"file:///etc/passwd","6":"url","jsonp_url":")" + click + R"("})", AdwickAd::kFailed, 1},
        {R"({"text":"Hi","6":7,"204":"/x.png","jsonp_url":")" + click + R"("})", AdwickAd::kFailed, 0},
        {"[1,2]", AdwickAd::kFailed, 0},
        {"", AdwickAd::kFailed, 0},
    };
    for (const auto& c : cases) {
        *body = c.reply;
        AdRun run;
        run.publisher->endpoint = endpoint;
        run.load();
        EXPECT_EQ(run.ad->state(), c.state) << c.reply;
        EXPECT_EQ(run.owner->loaded + run.owner->failed, 1) << c.reply;
        if (c.state == AdwickAd::kLoaded) {
            EXPECT_EQ(run.ad->medium(), c.medium) << c.reply;
            EXPECT_TRUE(run.ad->userImage() && run.ad->actionImage()) << c.reply;
            EXPECT_FALSE(run.ad->accountingPixelUrl()) << c.reply;
        }
    }
    EXPECT_EQ(env.hits("/adwick/static/iphone/img/url.png"), 1); // fetched once, then cached
    ASSERT_TRUE(AdwickImageCache::sharedCache()->imageIsInCache("url"));
}

TEST(AdwickAdTest, ARefusedReplyFailsTheAdWithOneWarning) {
    BannerEnv env;
    auto body = std::make_shared<std::string>();
    const std::string endpoint = replyEndpoint(env, body);
    std::string deep;
    for (int i = 0; i < 300; ++i) {
        deep += "{\"k\":";
    }
    const std::pair<std::string, std::string> cases[] = {
        {deep + "1" + std::string(300, '}'), "adwick: refused the ad reply (containers nested deeper than 256 levels"},
        {"{\"k\":\"" + std::string(AdwickURLDownload::kJsonBodyBytes, 'x') + "\"}",
         "adwick: refused the download of " + endpoint},
        {"[1,2]", "adwick: refused the ad reply (Could not scan dictionary."},
    };
    for (const auto& [reply, line] : cases) {
        *body = reply;
        fnd::testing::LogCapture log;
        AdRun run;
        run.publisher->endpoint = endpoint;
        run.load();
        EXPECT_EQ(run.owner->failed, 1) << line;
        EXPECT_EQ(log.count("WARN "), 1U) << line;
        EXPECT_EQ(log.count(line), 1U) << line;
    }
}

TEST(AdwickAdTest, ClicksAndPixels) {
    BannerEnv env;
    AdRun run;
    run.publisher->kind = "banner";
    run.publisher->action = "url";
    run.load();
    ASSERT_EQ(run.ad->state(), AdwickAd::kLoaded);
    EXPECT_EQ(run.ad->medium(), AdwickAd::kImageBanner);
    EXPECT_EQ(run.ad->text(), std::nullopt); // an image banner loads without text

    auto touches = fnd::Value::array({fnd::Value("0,10,20,0.500000")});
    auto data = fnd::Value::dictionary({{"interactions", touches}});
    run.ad->clickWithData(data);
    BannerEnv::pump([&] { return run.owner->clicked > 0; });
    run.ad->click();
    BannerEnv::pump([&] { return run.owner->clicked > 1; });
    std::vector<devserver::DevAdsRequest> clicks;
    for (const auto& request : env.host().server().requests()) {
        if (request.path == "/adwick/click") {
            clicks.push_back(request);
        }
    }
    ASSERT_EQ(clicks.size(), 2U);
    EXPECT_EQ(clicks[0].method, "POST");
    EXPECT_EQ(clicks[0].body, R"({"interactions":["0,10,20,0.500000"]})");
    EXPECT_EQ(clicks[1].method, "GET");
    EXPECT_EQ(run.ad->state(), AdwickAd::kLoaded);
    auto redirect = run.owner->response.asDictionary()->find("redirect_url");
    ASSERT_TRUE(redirect && redirect->asString());

    run.ad->loadAccountingPixel();
    run.ad->loadAccountingPixel();
    BannerEnv::pump([&] { return env.hits("/adwick/pixel/cpm") + env.hits("/adwick/pixel/track") >= 2; });
    run.ad->loadAccountingPixel();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(env.hits("/adwick/pixel/cpm"), 1);
    EXPECT_EQ(env.hits("/adwick/pixel/track"), 1);
    // The pixels hold the ad until their replies are in; then it goes (and ends nothing this test
    // left running).
    std::weak_ptr<AdwickAd> weak = run.ad;
    run.ad.reset();
    EXPECT_TRUE(BannerEnv::pump([&] { return weak.expired(); }));
}

TEST(AdwickAdTest, AbandonedAdReportsNothingAndLetsGo) {
    BannerEnv env;
    AdRun run;
    run.ad->request(); // the icons are being fetched
    std::weak_ptr<AdwickAd> weak = run.ad;
    run.ad->abandon();
    EXPECT_EQ(run.ad->activeDownloadCount(), 0U);
    run.ad.reset();
    EXPECT_TRUE(weak.expired());
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.3);
    EXPECT_EQ(run.owner->loaded + run.owner->failed, 0);
}

} // namespace
} // namespace zelvan::adwick
