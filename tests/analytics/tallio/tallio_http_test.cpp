// The analytics client's HTTP exchange against a cpp-httplib server on 127.0.0.1: which answers succeed,
// bodies and errors kept, redirects followed, no cookie or credential sent and nothing stored, and the
// answer on the loop of the thread that started it, from the main thread, from a worker and at the
// time-out.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analytics/tallio/tallio_http.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::tallio {
namespace {

std::string text(const std::optional<fnd::Bytes>& body) {
    return body ? std::string(body->begin(), body->end()) : "(none)";
}

class TallioHttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        http_.Get(R"(/status/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
            response.status = std::stoi(request.matches[1]);
            response.set_content("status " + std::string(request.matches[1]), "text/plain");
        });
        http_.Post("/echo", [this](const httplib::Request& request, httplib::Response& response) {
            note(request);
            response.set_header("X-Reply", "yes");
            response.set_content(request.method + " " + request.body + " " + request.get_header_value("X-Extra"),
                                 "text/plain");
        });
        http_.Get("/moved",
                  [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/status/200"); });
        http_.Get("/cookie", [this](const httplib::Request& request, httplib::Response& response) {
            note(request);
            response.set_header("Set-Cookie", "tallio=1; Path=/");
            response.set_content("set", "text/plain");
        });
        http_.Get("/private", [this](const httplib::Request& request, httplib::Response& response) {
            note(request);
            response.status = 401;
            response.set_header("WWW-Authenticate", "Basic realm=\"stats\"");
            response.set_content("who are you", "text/plain");
        });
        http_.set_keep_alive_max_count(1);
        port_ = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) {
            std::this_thread::yield();
        }
    }
    void TearDown() override {
        http_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // One exchange from the main thread, its loop pumped until the answer.
    template <class Start>
    TallioHTTPResponse answer(Start start) {
        std::optional<TallioHTTPResponse> answer;
        start([&answer](TallioHTTPResponse response) { answer = std::move(response); });
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return answer.has_value(); }, 20));
        return answer.value_or(TallioHTTPResponse(fnd::UrlError::make(fnd::UrlError::TimedOut, "")));
    }
    TallioHTTPResponse get(const std::string& address, std::optional<TallioHeaderFields> fields = std::nullopt) {
        return answer([&](auto done) { TallioHTTPEater::get(address, fields, owner_, done); });
    }
    TallioHTTPResponse post(const std::string& address, const fnd::Bytes& body,
                            std::optional<TallioHeaderFields> fields = std::nullopt) {
        return answer([&](auto done) { TallioHTTPEater::post(address, body, fields, owner_, done); });
    }
    void note(const httplib::Request& request) {
        std::lock_guard lock(mutex_);
        cookies_.push_back(request.get_header_value("Cookie"));
        authorizations_.push_back(request.get_header_value("Authorization"));
    }

    httplib::Server http_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<std::string> cookies_;
    std::vector<std::string> authorizations_;
    std::shared_ptr<int> owner_ = std::make_shared<int>(0);
};

TEST_F(TallioHttpTest, StatusesBodiesRedirectsAndFailures) {
    auto ok = get(url("/status/200"));
    EXPECT_TRUE(ok.isSuccess());
    EXPECT_EQ(text(ok.body()), "status 200");
    EXPECT_FALSE(ok.error());
    ASSERT_TRUE(ok.headers());
    EXPECT_EQ(ok.headers()->value("Content-Type"), "text/plain");
    EXPECT_TRUE(get(url("/status/399")).isSuccess());

    auto bad = get(url("/status/400"));
    EXPECT_TRUE(bad.isError());
    EXPECT_EQ(bad.statusCode(), 400);
    EXPECT_EQ(text(bad.body()), "status 400");
    EXPECT_TRUE(get(url("/status/199")).isError());

    auto moved = get(url("/moved"));
    EXPECT_EQ(moved.statusCode(), 200);
    EXPECT_EQ(text(moved.body()), "status 200");

    auto posted = post(url("/echo"), fnd::Bytes{'a', 'b'}, TallioHeaderFields{{"X-Extra", "7"}});
    EXPECT_EQ(text(posted.body()), "POST ab 7");
    EXPECT_EQ(posted.headers()->value("X-Reply"), "yes");

    // No answer at all: status 0, no body, no header fields, the error kept.
    auto refused = get("http://127.0.0.1:9/");
    EXPECT_EQ(refused.statusCode(), 0);
    EXPECT_FALSE(refused.body());
    EXPECT_FALSE(refused.headers());
    ASSERT_TRUE(refused.error());
    EXPECT_TRUE(refused.isError());
    EXPECT_TRUE(refused.description().starts_with("status:0 error:"));
    EXPECT_TRUE(get("not a url").error());

    // A body in the description is an escaped preview.
    auto described = post(url("/echo"), fnd::Bytes{'\n', 0x01});
    EXPECT_NE(described.description().find("body:POST \\n\\x01 "), std::string::npos) << described.description();

    // Nothing may be cached, for the rest of the process.
    EXPECT_EQ(fnd::UrlCache::shared().memoryCapacity(), 0u);
    EXPECT_EQ(fnd::UrlCache::shared().diskCapacity(), 0u);
}

TEST_F(TallioHttpTest, NoCookiesOrCredentials) {
    const auto stored = fnd::CookieStorage::shared().cookies().size();
    EXPECT_EQ(text(get(url("/cookie")).body()), "set");
    EXPECT_EQ(text(get(url("/cookie")).body()), "set");
    EXPECT_EQ(fnd::CookieStorage::shared().cookies().size(), stored);

    // A challenge is an ordinary failed answer: no second request with a credential.
    auto refused = get(url("/private"), TallioHeaderFields{});
    EXPECT_EQ(refused.statusCode(), 401);
    EXPECT_EQ(text(refused.body()), "who are you");
    std::lock_guard lock(mutex_);
    EXPECT_EQ(cookies_, (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(authorizations_, (std::vector<std::string>{"", "", ""}));
}

TEST_F(TallioHttpTest, WaitsOnAnyThreadWhileMainRunsItsLoop) {
    // Started on a worker, the exchange answers on that worker's loop.
    fnd::WorkerPool pool("tallio http", 1);
    std::atomic<bool> done = false;
    std::optional<TallioHTTPResponse> answer;
    std::thread::id startedOn, answeredOn;
    pool.submit([&] {
        startedOn = std::this_thread::get_id();
        TallioHTTPEater::get(url("/status/204"), std::nullopt, owner_, [&](TallioHTTPResponse response) {
            answeredOn = std::this_thread::get_id();
            answer = std::move(response);
            done = true;
        });
    });
    bool tick = false;
    fnd::RunLoop::main().post([&] { tick = true; });
    // The main loop keeps running its own work meanwhile (the worker may also finish first).
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return done.load() && tick; }, 20));
    pool.shutdown();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->statusCode(), 204);
    EXPECT_EQ(answeredOn, startedOn);
}

TEST_F(TallioHttpTest, QueryAndUrlBuilding) {
    EXPECT_EQ(TallioHTTPEater::queryDictionaryToString({}), "");
    EXPECT_EQ(TallioHTTPEater::queryDictionaryToString({{"b", "1"}, {"a", "x y"}}), "b=1&a=x y");
    auto built = TallioHTTPEater::urlWithProtocol(std::nullopt, "stats.test", 8080, "aap.do",
                                                  TallioQueryFields{{"k", "v"}, {"n", "2"}});
    ASSERT_TRUE(built);
    EXPECT_EQ(built->absoluteString(), "http://stats.test:8080/aap.do?k=v&n=2");
    EXPECT_EQ(
        TallioHTTPEater::urlWithProtocol("https", "stats.test", 80, std::nullopt, std::string("q"))->absoluteString(),
        "https://stats.test?q");
    EXPECT_EQ(TallioHTTPEater::urlWithProtocol(std::nullopt, "stats.test", 0, "p", {})->absoluteString(),
              "http://stats.test/p");
}

// The request's time-out is the only limit on the wait; it runs on the process clock.
TEST(TallioHttpTimeoutTest, TimesOutOnTheClock) {
    auto clock = fnd::ManualClock::install();
    auto transport = fnd::testing::FakeTransport::install();
    fnd::testing::FakeTransport::Outcome slow;
    slow.chunks = {fnd::Bytes{'x'}};
    slow.delay = 30;
    transport->setOutcome("http://stats.test/slow", slow);

    bool done = false;
    std::optional<TallioHTTPResponse> answer;
    auto owner = std::make_shared<int>(0);
    TallioHTTPEater::sendMethod("GET", fnd::Url::parse("http://stats.test/slow"), std::nullopt, std::nullopt, 5,
                                nullptr, owner, [&](TallioHTTPResponse response) {
                                    answer = std::move(response);
                                    done = true;
                                });
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return transport->requests().size() == 1; }));
    EXPECT_EQ(transport->requests()[0].timeoutInterval(), 5);
    clock->advance(4);
    EXPECT_FALSE(done);
    // The time-out is armed just after the request is noted: step on until it has fired.
    for (int step = 0; step < 100 && !done; ++step) {
        clock->advance(1);
        fnd::RunLoop::main().pumpUntil([&] { return done; }, 0.05);
    }
    ASSERT_TRUE(answer);
    ASSERT_TRUE(answer->error());
    EXPECT_EQ(answer->error()->code(), fnd::UrlError::TimedOut);
    EXPECT_EQ(answer->statusCode(), 0);

    fnd::installHttpTransport(nullptr);
    transport.reset();
    fnd::RunLoop::main().runUntilIdle();
    fnd::Clock::install(nullptr);
}

} // namespace
} // namespace zelvan::tallio
