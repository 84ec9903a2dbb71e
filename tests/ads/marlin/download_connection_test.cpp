// The interstitial client's download against a loopback HTTP server: lengths, bodies, the time-out under
// the manual clock, the body cap, a refused request, and a delegate that drops its download inside
// each callback.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ads/marlin/download_connection.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/refused_port.h"
#include "tests/platform/foundation/http_test_server.h"

namespace zelvan::marlin {
namespace {

class Recorder : public DownloadConnectionDelegate {
public:
    void downloadProgress(DownloadConnection& d) override { ++progress, drop(d, Event::Progress); }
    void downloadFinished(DownloadConnection& d) override { ++finished, drop(d, Event::Finished); }
    void downloadFailed(DownloadConnection& d) override { ++failed, drop(d, Event::Failed); }
    void downloadTimedOut(DownloadConnection& d) override { ++timedOut, drop(d, Event::TimedOut); }
    int ends() const { return finished + failed + timedOut; }

    enum class Event { None, Progress, Finished, Failed, TimedOut };
    // When set, the download is released inside that callback, after the delegate read it.
    Event dropOn = Event::None;
    std::shared_ptr<DownloadConnection> held;
    size_t bytesSeenAtDrop = 0;
    int progress = 0, finished = 0, failed = 0, timedOut = 0;

private:
    void drop(DownloadConnection& d, Event event) {
        if (event == dropOn && held) {
            bytesSeenAtDrop = d.receivedData() ? d.receivedData()->size() : 0;
            held.reset();
            (void)d.userData().stringValue(); // still alive until the callback returns
        }
    }
};

// A server with a streamed endpoint: "part" at once, then the rest only once released, no length.
class Server {
public:
    Server() {
        http.server().Get("/trickle", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [this](size_t offset, httplib::DataSink& sink) {
                if (offset == 0) {
                    return sink.write("part", 4);
                }
                if (!release.load()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5)); // the server's pace, not the test's
                    return !stop.load();
                }
                sink.write("-rest", 5);
                sink.done();
                return true;
            });
        });
    }
    ~Server() { stop = true; }

    fnd::UrlRequest request(const std::string& path) { return fnd::UrlRequest(http.url(path)); }

    std::atomic<bool> release{false};
    std::atomic<bool> stop{false};
    fnd::testing::HttpTestServer http; // last, so it stops before the flags go
};

// Timers follow a manual clock, put back after each case.
class DownloadConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { fnd::ManualClock::install(); }
    void TearDown() override { fnd::Clock::install(nullptr); }
};

std::string text(const std::optional<fnd::Bytes>& data) {
    return data ? std::string(data->begin(), data->end()) : "<none>";
}

TEST_F(DownloadConnectionTest, LengthsBodiesAndNoTimerWithoutATimeOut) {
    Server server;
    auto recorder = std::make_shared<Recorder>();
    auto sized = DownloadConnection::connectionWithURLRequest(server.request("/big/3000"), recorder, "mine");
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return recorder->ends() == 1; }, 20.0));
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_GE(recorder->progress, 1);
    EXPECT_EQ(sized->expectedDataLength(), 3000U);
    EXPECT_EQ(sized->receivedData()->size(), 3000U);
    EXPECT_EQ(sized->userData(), fnd::Value("mine"));

    // Time-out 0: no timer, so a stalled body outlives any wait and still finishes once released.
    auto streamed = std::make_shared<Recorder>();
    auto trickle = DownloadConnection::timedConnectionWithURLRequest(server.request("/trickle"), streamed, {}, 0);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return streamed->progress > 0; }, 20.0));
    fnd::RunLoop::main().advance(3600);
    EXPECT_EQ(streamed->ends(), 0);
    EXPECT_EQ(trickle->expectedDataLength(), 4294967295U); // no length
    server.release = true;
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return streamed->ends() == 1; }, 20.0));
    EXPECT_EQ(streamed->finished, 1);
    EXPECT_EQ(text(trickle->receivedData()), "part-rest");
}

TEST_F(DownloadConnectionTest, TimeOutKeepsThePartialBodyAndFailuresReachTheDelegate) {
    Server server;
    auto late = std::make_shared<Recorder>();
    auto download = DownloadConnection::timedConnectionWithURLRequest(server.request("/trickle"), late, {}, 5);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return late->progress > 0; }, 20.0));
    fnd::RunLoop::main().advance(4.9);
    EXPECT_EQ(late->ends(), 0);
    fnd::RunLoop::main().advance(0.2);
    EXPECT_EQ(late->timedOut, 1);
    EXPECT_EQ(late->ends(), 1);
    EXPECT_EQ(text(download->receivedData()), "part");

    auto capped = std::make_shared<Recorder>();
    fnd::UrlRequest big = server.request("/big/5000");
    big.setMaxBodyBytes(1000);
    auto over = DownloadConnection::timedConnectionWithURLRequest(big, capped, {}, 30);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return capped->ends() == 1; }, 20.0));
    EXPECT_EQ(capped->failed, 1);
    fnd::RunLoop::main().advance(60); // the failure stopped the timer
    EXPECT_EQ(capped->ends(), 1);

    auto refused = std::make_shared<Recorder>();
    auto closed = DownloadConnection::connectionWithURLRequest(
        fnd::UrlRequest(*fnd::Url::parse(fnd::testing::refusedUrl(""))), refused, {});
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return refused->ends() == 1; }, 20.0));
    EXPECT_EQ(refused->failed, 1);

    // A request the platform refuses to start: no callback, no data.
    auto unheard = std::make_shared<Recorder>();
    auto never =
        DownloadConnection::connectionWithURLRequest(fnd::UrlRequest(*fnd::Url::parse("gopher://x/")), unheard, {});
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(never->receivedData().has_value());
    EXPECT_EQ(unheard->ends() + unheard->progress, 0);
}

TEST_F(DownloadConnectionTest, DelegateMayReleaseTheDownloadInsideAnyCallback) {
    Server server;
    server.release = true;
    using Event = Recorder::Event;
    for (Event event : {Event::Progress, Event::Finished, Event::Failed, Event::TimedOut}) {
        auto recorder = std::make_shared<Recorder>();
        recorder->dropOn = event;
        std::string path = event == Event::Failed ? "/big/5000" : "/big/3000";
        fnd::UrlRequest request = server.request(event == Event::TimedOut ? "/trickle" : path);
        if (event == Event::Failed) {
            request.setMaxBodyBytes(100);
        }
        if (event == Event::TimedOut) {
            server.release = false;
        }
        recorder->held = DownloadConnection::timedConnectionWithURLRequest(request, recorder, "u", 5);
        std::weak_ptr<DownloadConnection> watch = recorder->held;
        if (event == Event::TimedOut) {
            ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return recorder->progress > 0; }, 20.0));
            fnd::RunLoop::main().advance(5);
        }
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return recorder->ends() == 1; }, 20.0));
        fnd::RunLoop::main().runUntilIdle();
        EXPECT_EQ(recorder->ends(), 1) << static_cast<int>(event);
        EXPECT_FALSE(recorder->held);
        EXPECT_TRUE(watch.expired()) << static_cast<int>(event); // released once its work ended
        server.release = true;
    }
}

} // namespace
} // namespace zelvan::marlin
