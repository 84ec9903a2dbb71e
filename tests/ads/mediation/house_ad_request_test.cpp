// The house-ad request through the application's adapter of the offer client, against a GetOrvaneAd
// service on 127.0.0.1: the query and user agent, a network's own URL taken verbatim, which replies are
// ads, and that every failure moves the rotation on exactly once.
#include <httplib.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "app/wiring/mediation.h"
#include "offers/orvane/client/orvane_context.h"
#include "platform/foundation/digest.h"
#include "tests/ads/mediation/mediation_test_support.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::mediation::testing {
namespace {

class AdServer {
public:
    AdServer() {
        http_.Get("/ads/orvane/Service1.asmx/GetOrvaneAd", [this](const httplib::Request& request,
                                                                  httplib::Response& response) {
            std::lock_guard lock(mutex_);
            target_ = request.target;
            userAgent_ = request.get_header_value("User-Agent");
            const std::string campaign = request.get_param_value("AdCampaignID");
            const std::string head = "<OrvaneConnectReturnObject>";
            const std::string tail = "</OrvaneConnectReturnObject>";
            if (campaign == "html") {
                response.set_content(head +
                                         "<OrvaneAdObject><Image></Image><AdHTML>&lt;b&gt;hi&lt;/b&gt;</AdHTML>"
                                         "<ClickURL>http://127.0.0.1:9/x</ClickURL><OpenIn>Safari</OpenIn>"
                                         "</OrvaneAdObject>" +
                                         tail,
                                     "text/xml");
            } else if (campaign == "twice") {
                response.set_content(head +
                                         "<OrvaneAdObject><Image>iVBO</Image></OrvaneAdObject>"
                                         "<OrvaneAdObject><Image>second</Image></OrvaneAdObject>" +
                                         tail,
                                     "text/xml");
            } else if (campaign == "error") {
                response.set_content(head + "<ErrorMessage>none</ErrorMessage>" + tail, "text/xml");
            } else if (campaign == "text") {
                response.set_content(head + "<OrvaneAdObject>just text</OrvaneAdObject>" + tail, "text/xml");
            } else if (campaign == "empty") {
                response.set_content(head + "<OrvaneAdObject><Image></Image></OrvaneAdObject>" + tail, "text/xml");
            } else if (campaign == "204") {
                response.status = 204;
            } else if (campaign == "500") {
                response.status = 500;
                response.set_content("down", "text/plain");
            } else {
                response.set_content("not xml at all", "text/plain");
            }
        });
        http_.Get("/own", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.target == "/own?a=1"
                                     ? "<OrvaneConnectReturnObject><OrvaneAdObject><AdHTML>own</AdHTML>"
                                       "</OrvaneAdObject></OrvaneConnectReturnObject>"
                                     : "<x/>",
                                 "text/xml");
        });
        http_.set_keep_alive_max_count(1);
        port_ = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) {
            std::this_thread::yield();
        }
    }
    ~AdServer() {
        http_.stop();
        thread_.join();
    }
    std::string root() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string target() {
        std::lock_guard lock(mutex_);
        return target_;
    }
    std::string userAgent() {
        std::lock_guard lock(mutex_);
        return userAgent_;
    }

private:
    httplib::Server http_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::string target_, userAgent_;
};

struct HouseAdRequest : Fixture {
    AdServer server;
    std::shared_ptr<orvane::OrvaneContext> offers;
    std::vector<HouseAd> shown;

    void SetUp() override {
        Fixture::SetUp();
        context->setHouseAdService(app::makeHouseAdService([this] { return offers; }));
        context->setHouseAdFactory([this](const HouseAd& ad) {
            shown.push_back(ad);
            return ui::View::create(gfx::Rect(0, 0, 320, 55));
        });
        add("next", Reply::NoAd);
    }
    // Runs one house-ad attempt with campaign `campaign` (the next network answers no ad) and answers
    // whether the rotation moved on to the next network.
    bool attempt(const std::string& campaign, const std::string& ownURL = {}, int eventId = 1) {
        auto house = network("orvaneads");
        house->adCampaignId = campaign;
        house->getAdURL = ownURL;
        order({house, network("next")}, 0, 2, 2);
        started.clear();
        const size_t before = shown.size();
        auto made = controller();
        made->preLoadAd(eventId);
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return shown.size() > before || !started.empty(); }, 20));
        fnd::RunLoop::main().runUntilIdle();
        advance(0);
        return !started.empty();
    }
};

TEST_F(HouseAdRequest, QueryRepliesAndFailures) {
    offers = std::make_shared<orvane::OrvaneContext>(NetworkEndpoint(server.root() + "/ads", "/orvane"), "");
    EXPECT_FALSE(attempt("html"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].adHTML, "<b>hi</b>"); // an empty "Image" with HTML is an ad
    EXPECT_TRUE(shown[0].openInSafari);
    EXPECT_EQ(server.target(), "/ads/orvane/Service1.asmx/GetOrvaneAd?AppID=app&EventID=1&EventSequenceNumber=1"
                               "&AdCampaignID=html&AdType=%20");
    EXPECT_EQ(server.userAgent(), "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like "
                                  "Gecko) Version/3.1 Mobile/1A543a Safari/419.3");

    EXPECT_FALSE(attempt("twice")); // a repeated ad element reads as its first
    EXPECT_EQ(shown.back().image, "iVBO");
    EXPECT_FALSE(attempt("", server.root() + "/own?a=1")); // the network's own URL, verbatim
    EXPECT_EQ(shown.back().adHTML, "own");

    const size_t ads = shown.size();
    for (const char* failing : {"error", "text", "empty", "204", "500", "junk"}) {
        EXPECT_TRUE(attempt(failing)) << failing;
        EXPECT_EQ(started, std::vector<std::string>{"next"}) << failing;
    }
    EXPECT_EQ(shown.size(), ads);

    offers.reset(); // no ad host: nothing is sent, the next network follows
    const std::string last = server.target();
    EXPECT_TRUE(attempt("html"));
    EXPECT_EQ(server.target(), last);
}

// The event's id and stored show counter go with the request; an order naming no banner network falls
// back on house ads that name no campaign.
TEST_F(HouseAdRequest, EventCounterAndNoNetwork) {
    offers = std::make_shared<orvane::OrvaneContext>(NetworkEndpoint(server.root() + "/ads", "/orvane"), "");
    fnd::UserDefaults::standard().setInteger(4, "kORVEventID3");
    EXPECT_FALSE(attempt("html", {}, 3));
    EXPECT_EQ(server.target(), "/ads/orvane/Service1.asmx/GetOrvaneAd?AppID=app&EventID=3&EventSequenceNumber=4"
                               "&AdCampaignID=html&AdType=%20");

    order({}, 0, 2, 0);
    auto made = controller();
    made->preLoadAd(1);
    EXPECT_EQ(made->getCurrentAdNetwork(), nullptr);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return made->anyPreloadActive() != 1; }, 20));
    EXPECT_EQ(server.target(), "/ads/orvane/Service1.asmx/GetOrvaneAd?AppID=app&EventID=1&EventSequenceNumber=1"
                               "&AdType=%20");
}

// The dev server's fake offer service: every campaign it knows ends as its name says.
struct SignedCore : FakeCore {
    fnd::Value genericParameters() const override {
        const std::string key =
            fnd::md5Hex(std::string("app") + "dev" + "1.0" + "5" + devserver::DevOrvaneService::kAppSecret);
        return fnd::Value::dictionary({{"AppID", fnd::Value("app")},
                                       {"DeviceID", fnd::Value("dev")},
                                       {"SDKVersion", fnd::Value("1.0")},
                                       {"Timestamp", fnd::Value("5")},
                                       {"ConnectKey", fnd::Value(key)}});
    }
};

TEST_F(HouseAdRequest, DevServerCampaigns) {
    devserver::DevAdsServer ads;
    devserver::addOrvaneRoutes(ads, std::make_shared<devserver::DevOrvaneService>());
    ASSERT_TRUE(ads.start());
    auto signed_ = std::make_shared<SignedCore>();
    context->setOfferCore(signed_);
    core = signed_;
    offers = std::make_shared<orvane::OrvaneContext>(NetworkEndpoint(ads.baseURL(), "/orvane"), "");
    EXPECT_FALSE(attempt("picture"));
    EXPECT_FALSE(shown.back().image.empty());
    EXPECT_FALSE(attempt("both"));
    EXPECT_FALSE(shown.back().adHTML.empty());
    EXPECT_FALSE(attempt("c-1"));
    EXPECT_TRUE(shown.back().image.empty());
    EXPECT_EQ(shown.back().clickURL, "http://127.0.0.1/house");
    for (const char* failing : {"ErrorMessage", "empty", "204", "500", "notxml"}) {
        EXPECT_TRUE(attempt(failing)) << failing;
    }
    EXPECT_EQ(shown.size(), 3u);
    offers.reset();
    ads.stop();
}

} // namespace
} // namespace zelvan::mediation::testing
