// The scripted transport drives URL connections deterministically: answers in chunks, redirects,
// scripted failures, and delays and time-outs that arrive only when the manual clock says so.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"

namespace fnd {
namespace {

struct Heard : UrlConnectionDelegate {
    std::optional<UrlResponse> response;
    std::string body;
    std::optional<Error> error;
    int chunks = 0;
    int redirects = 0;
    bool finished = false;

    std::optional<UrlRequest> connectionWillSendRequest(const std::shared_ptr<UrlConnection>&, const UrlRequest& r,
                                                        const std::optional<UrlResponse>& redirect) override {
        redirects += redirect ? 1 : 0;
        return r;
    }
    void connectionDidReceiveResponse(const std::shared_ptr<UrlConnection>&, const UrlResponse& r) override {
        response = r;
    }
    void connectionDidReceiveData(const std::shared_ptr<UrlConnection>&, const Bytes& d) override {
        ++chunks;
        body.append(d.begin(), d.end());
    }
    void connectionDidFinishLoading(const std::shared_ptr<UrlConnection>&) override { finished = true; }
    void connectionDidFailWithError(const std::shared_ptr<UrlConnection>&, const Error& e) override { error = e; }
    bool done() const { return finished || error; }
};

class FakeTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = ManualClock::install();
        transport_ = testing::FakeTransport::install();
    }
    void TearDown() override {
        installHttpTransport(nullptr);
        transport_.reset();
        RunLoop::main().runUntilIdle();
        Clock::install(nullptr);
    }
    std::shared_ptr<Heard> start(const std::string& url, double timeout = 60) {
        auto heard = std::make_shared<Heard>();
        UrlRequest request(*Url::parse(url));
        request.setTimeoutInterval(timeout);
        EXPECT_TRUE(UrlConnection::create(request, heard).ok());
        return heard;
    }
    bool finish(const std::shared_ptr<Heard>& heard) {
        return RunLoop::main().pumpUntil([&] { return heard->done(); });
    }

    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<testing::FakeTransport> transport_;
};

TEST_F(FakeTransportTest, ScriptedAnswersRedirectsAndFailures) {
    testing::FakeTransport::Outcome page;
    page.headers.set("Content-Type", "text/html; charset=ISO-8859-1");
    page.chunks = {Bytes{'<', 'a'}, Bytes{'>'}};
    transport_->setOutcome("http://game.test/page", page);
    transport_->setRedirect("http://game.test/old", "/page", 301);
    testing::FakeTransport::Outcome down;
    down.errorCode = UrlError::NetworkConnectionLost;
    transport_->setOutcome("http://game.test/down", down);

    auto heard = start("http://game.test/old");
    ASSERT_TRUE(finish(heard));
    EXPECT_TRUE(heard->finished);
    EXPECT_EQ(heard->redirects, 1);
    EXPECT_EQ(heard->response->url().absoluteString(), "http://game.test/page");
    EXPECT_EQ(heard->response->textEncodingName(), "iso-8859-1");
    EXPECT_EQ(heard->body, "<a>");
    EXPECT_EQ(heard->chunks, 2);
    ASSERT_EQ(transport_->requests().size(), 2u);
    EXPECT_EQ(transport_->requests()[1].valueForHTTPHeaderField("Accept"), "*/*");

    auto failed = start("http://game.test/down");
    ASSERT_TRUE(finish(failed));
    EXPECT_EQ(failed->error->code(), UrlError::NetworkConnectionLost);
    auto unknown = start("http://nowhere.test/");
    ASSERT_TRUE(finish(unknown));
    EXPECT_EQ(unknown->error->code(), UrlError::CannotFindHost);
}

TEST_F(FakeTransportTest, DelaysAndTimeOutsFollowTheManualClock) {
    testing::FakeTransport::Outcome slow;
    slow.chunks = {Bytes{'o', 'k'}};
    slow.delay = 5;
    transport_->setOutcome("http://game.test/slow", slow);

    auto patient = start("http://game.test/slow", 10);
    auto hasty = start("http://game.test/slow", 1);
    RunLoop::main().advance(0.9);
    ASSERT_TRUE(testing::settle());
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(patient->response);
    EXPECT_FALSE(hasty->error);

    RunLoop::main().advance(0.2); // past the hasty request's time-out
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return hasty->done(); }));
    EXPECT_EQ(hasty->error->code(), UrlError::TimedOut);
    EXPECT_FALSE(patient->response);

    RunLoop::main().advance(4);
    ASSERT_TRUE(finish(patient));
    EXPECT_EQ(patient->body, "ok");
}

} // namespace
} // namespace fnd
