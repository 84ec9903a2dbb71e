// CurlTransport: the Linux HTTP transport. One libcurl multi handle serviced by a dedicated thread;
// each transfer's response, data, finish and failure go to its sink from that thread.
#pragma once

#include <memory>
#include <thread>

#include "platform/foundation/http_transport.h"

namespace fnd {

class CurlTransport final : public HttpTransport {
public:
    // Starts the transport thread.
    CurlTransport();
    // Stops the thread; transfers still in flight end without telling their sinks. May run on the
    // transport's own thread (a sink letting go of the last hold), which then ends by itself.
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    // Sends with no proxy, the system CA store and libcurl's redirect following off. The time-out
    // is both the connect limit and the longest stretch without a byte moving.
    std::shared_ptr<HttpTransfer> startTransfer(const UrlRequest& request,
                                                std::shared_ptr<HttpTransferSink> sink) override;

    struct Engine; // the multi handle and the command queue its thread works through

private:
    std::shared_ptr<Engine> engine_;
    std::thread thread_;
};

} // namespace fnd
