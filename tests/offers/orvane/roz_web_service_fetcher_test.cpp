// The web-service fetcher against a cpp-httplib server on 127.0.0.1: the query it sends (order, escaping,
// UTF-8) and its User-Agent, and exactly one completion for every ending - a reply of any status, a
// time-out, a refused connection, a reply over the cap, an empty base URL, a second fetch - and nothing
// sent at all without --ads-base.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "app/services.h"
#include "core/data_helpers.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/roz_web_service_fetcher.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/url_error.h"

namespace zelvan::orvane {
namespace {

// The offer service on a loopback port: Echo records what it was sent and answers XML, Fail answers 500,
// Stall never answers (until the server stops), Big answers one byte more than the fetcher takes.
class OfferServer {
public:
    OfferServer() {
        const std::string at = "/ads/orvane/Service1.asmx/";
        http_.Get(at + "Echo", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            target_ = request.target;
            userAgent_ = request.get_header_value("User-Agent");
            params_ = request.params;
            response.set_content("<r><ok>1</ok></r>", "text/xml");
        });
        http_.Get(at + "Fail", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("<ErrorMessage>down</ErrorMessage>", "text/xml");
        });
        http_.Get(at + "Stall", [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock lock(mutex_);
            stall_.wait_for(lock, std::chrono::seconds(10), [this] { return stopping_; });
            response.set_content("late", "text/plain");
        });
        http_.Get(at + "Big", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(ROZWebServiceFetcher::kDefaultMaxBodyBytes + 1, 'x'), "text/xml");
        });
        http_.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
            ++hits_;
            return httplib::Server::HandlerResponse::Unhandled;
        });
        http_.set_keep_alive_max_count(1);
        port_ = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) {
            std::this_thread::yield();
        }
    }
    ~OfferServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stall_.notify_all();
        http_.stop();
        thread_.join();
    }

    std::string adsBase() const { return "http://127.0.0.1:" + std::to_string(port_) + "/ads"; }
    int hits() const { return hits_.load(); }
    std::string target() {
        std::lock_guard lock(mutex_);
        return target_;
    }
    std::string userAgent() {
        std::lock_guard lock(mutex_);
        return userAgent_;
    }
    std::string param(const std::string& key) {
        std::lock_guard lock(mutex_);
        auto found = params_.find(key);
        return found == params_.end() ? "<missing>" : found->second;
    }

private:
    httplib::Server http_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<int> hits_{0};
    std::mutex mutex_;
    std::condition_variable stall_;
    bool stopping_ = false;
    std::string target_;
    std::string userAgent_;
    httplib::Params params_;
};

// Runs one fetch to its end and counts its completions (the loop runs on a little after the first).
struct Fetch {
    std::shared_ptr<ROZWebServiceFetcher> fetcher = ROZWebServiceFetcher::create();
    int completions = 0;

    Fetch& run(const std::string& userAgent = {}) {
        auto count = [this](const std::shared_ptr<ROZWebServiceFetcher>& done) {
            EXPECT_EQ(done, fetcher);
            ++completions;
        };
        const int before = completions;
        if (userAgent.empty()) {
            fetcher->fetchAsynchronouslyWithCompletionInvocation(count);
        } else {
            fetcher->fetchAsynchronouslyWithCompletionInvocation(count, userAgent);
        }
        EXPECT_EQ(completions, before); // never inside the call
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return completions > before; }, 20.0));
        fnd::RunLoop::main().runUntilIdle();
        return *this;
    }
};

TEST(ROZWebServiceFetcherTest, SendsTheBindingsInOrderAndIntactAndKeepsTheReply) {
    OfferServer server;
    OrvaneContext context(NetworkEndpoint(server.adsBase(), "/orvane"), "/skin");
    const std::string screenshot = base64Encode(fnd::Bytes{0xfb, 0xff, 0xbf, 0x00, 0x3e, 0x3f});
    Fetch echo;
    echo.fetcher->setBaseURL(context.serviceURL("Echo"));
    echo.fetcher->setBindings(fnd::Value::dictionary({{"zeta", "a&b=c+d#e"},
                                                      {"Score1", 42},
                                                      {"Ratio", 0.5},
                                                      {"name", "Zoë 日本"},
                                                      {"ScreenShot", screenshot},
                                                      {"empty", ""}}));
    fnd::testing::LogCapture capture;
    echo.run("OfferTest/1.0");
    EXPECT_EQ(echo.completions, 1);
    EXPECT_FALSE(echo.fetcher->hasError());
    EXPECT_TRUE(echo.fetcher->fetched());
    ASSERT_TRUE(echo.fetcher->response());
    EXPECT_EQ(echo.fetcher->response()->statusCode(), 200);
    EXPECT_EQ(std::string(echo.fetcher->data().begin(), echo.fetcher->data().end()), "<r><ok>1</ok></r>");
    EXPECT_EQ(server.userAgent(), "OfferTest/1.0");
    EXPECT_EQ(server.param("zeta"), "a&b=c+d#e");
    EXPECT_EQ(server.param("Score1"), "42");
    EXPECT_EQ(server.param("Ratio"), "0.5");
    EXPECT_EQ(server.param("name"), "Zoë 日本");
    EXPECT_EQ(server.param("ScreenShot"), screenshot);
    EXPECT_EQ(server.param("empty"), "");
    EXPECT_EQ(server.param("b"), "<missing>"); // nothing injected
    const std::string target = server.target();
    size_t last = 0;
    for (const char* key : {"?zeta=", "&Score1=", "&Ratio=", "&name=", "&ScreenShot=", "&empty="}) {
        const size_t at = target.find(key);
        ASSERT_NE(at, std::string::npos) << key << " in " << target;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    EXPECT_EQ(capture.count("Value for binding, empty, is empty."), 1u);

    Fetch failing; // an error status is a reply like any other
    failing.fetcher->setBaseURL(context.serviceURL("Fail"));
    failing.run();
    EXPECT_EQ(failing.completions, 1);
    EXPECT_FALSE(failing.fetcher->hasError());
    EXPECT_EQ(failing.fetcher->response()->statusCode(), 500);
    EXPECT_FALSE(failing.fetcher->data().empty());
}

TEST(ROZWebServiceFetcherTest, EveryFailureCompletesOnceWithAnError) {
    OfferServer server;
    OrvaneContext context(NetworkEndpoint(server.adsBase(), "/orvane"), "/skin");

    Fetch stalled;
    stalled.fetcher->setBaseURL(context.serviceURL("Stall"));
    stalled.fetcher->setRequestTimeout(0.5);
    stalled.run();
    Fetch refused;
    refused.fetcher->setBaseURL(fnd::testing::refusedUrl("/x"));
    refused.run();
    Fetch big;
    big.fetcher->setBaseURL(context.serviceURL("Big"));
    big.run();
    const int hitsBefore = server.hits();
    fnd::testing::LogCapture capture;
    Fetch empty;
    empty.run();
    EXPECT_TRUE(capture.contains("Precondition violated - [baseURL length] == 0"));
    Fetch badAddress;
    badAddress.fetcher->setBaseURL("http://[::1");
    badAddress.run();
    EXPECT_EQ(server.hits(), hitsBefore);

    const std::vector<std::pair<Fetch*, int64_t>> endings = {{&stalled, fnd::UrlError::TimedOut},
                                                             {&refused, fnd::UrlError::CannotConnectToHost},
                                                             {&big, fnd::UrlError::DataLengthExceedsMaximum},
                                                             {&empty, fnd::UrlError::BadUrl},
                                                             {&badAddress, fnd::UrlError::BadUrl}};
    for (const auto& [fetch, code] : endings) {
        EXPECT_EQ(fetch->completions, 1) << code;
        EXPECT_TRUE(fetch->fetcher->fetched()) << code;
        ASSERT_TRUE(fetch->fetcher->hasError()) << code;
        EXPECT_EQ(fetch->fetcher->error()->code(), code);
    }

    // A second fetch on a fetcher is refused; it completes too, and the first one's results stay.
    big.run();
    EXPECT_EQ(big.completions, 2);
    EXPECT_EQ(big.fetcher->error()->code(), fnd::UrlError::DataLengthExceedsMaximum);
}

TEST(ROZWebServiceFetcherTest, WithoutAnAdsBaseNothingIsSent) {
    OfferServer server;
    fnd::testing::LogCapture capture;
    OrvaneContext context(NetworkEndpoint("", "/orvane"), "/skin");
    EXPECT_EQ(context.serviceBase(), "");
    Fetch picture;
    picture.fetcher->setBaseURL(context.serviceURL("GetPicture"));
    picture.run();
    EXPECT_EQ(picture.completions, 1);
    EXPECT_TRUE(picture.fetcher->hasError());
    EXPECT_EQ(server.hits(), 0);
    // The composition root says once, for every network, that none is configured.
    app::makeRegistry("");
    EXPECT_EQ(capture.count("no --ads-base given"), 1u);
}

} // namespace
} // namespace zelvan::orvane
