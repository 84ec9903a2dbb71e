// The HTTP transport's own lifetime: its last holder may let go of it on the transport's thread.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include "http_test_server.h"
#include "platform/foundation/curl_transport.h"
#include "platform/foundation/url_request.h"

namespace fnd {
namespace {

// Holds the transport until its transfer ends, then lets go of it there, on the transport's thread.
struct HoldingSink : HttpTransferSink {
    std::shared_ptr<CurlTransport> transport;
    std::promise<void> ended;
    void transferDidReceiveResponse(UrlResponse) override {}
    bool transferDidReceiveData(Bytes) override { return true; }
    void transferDidFinish() override { end(); }
    void transferDidFail(Error) override { end(); }
    void end() {
        transport.reset();
        ended.set_value();
    }
};

TEST(CurlTransportTest, TheLastHolderMayLetGoOfItOnItsOwnThread) {
    testing::HttpTestServer server;
    auto sink = std::make_shared<HoldingSink>();
    auto ended = sink->ended.get_future();
    auto transport = std::make_shared<CurlTransport>();
    sink->transport = transport;
    auto transfer = transport->startTransfer(UrlRequest(server.url("/stall")), sink);
    transport.reset(); // the sink holds the last reference when the held request is answered
    server.releaseStalls();
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

} // namespace
} // namespace fnd
