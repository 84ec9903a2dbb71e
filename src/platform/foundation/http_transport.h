// The HTTP transport interface: carries one request to a server and back, a single hop (redirects,
// cookies and default headers are handled above it by the URL loader). The Linux implementation is
// CurlTransport; tests install testing::FakeTransport through backends.h.
#pragma once

#include <memory>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/url_response.h"

namespace fnd {

// Hears one transfer's events, on the transport's own thread, in this order: one response, any
// number of data chunks, then exactly one of finish or fail. A failure may come without a response.
class HttpTransferSink {
public:
    virtual ~HttpTransferSink() = default;
    virtual void transferDidReceiveResponse(UrlResponse response) = 0;
    // Returning false stops the transfer: the sink hears nothing more from it.
    virtual bool transferDidReceiveData(Bytes data) = 0;
    virtual void transferDidFinish() = 0;
    // A "fnd.url" error with the failing URL.
    virtual void transferDidFail(Error error) = 0;
};

// A transfer in flight.
class HttpTransfer {
public:
    virtual ~HttpTransfer() = default;
    // Stops the transfer and releases its sink soon after. An event already under way on the
    // transport's thread may still reach the sink; callers ignore events after cancelling.
    virtual void cancel() = 0;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Starts sending `request` as it stands (http or https): method, body and header fields as
    // given, except that an Accept-Encoding naming gzip or deflate makes the transport decode the
    // body (and mark the response decoded). The request's time-out is an inactivity limit. Safe
    // from any thread, including from inside a sink callback. The sink is held until the transfer
    // ends or is cancelled.
    virtual std::shared_ptr<HttpTransfer> startTransfer(const UrlRequest& request,
                                                        std::shared_ptr<HttpTransferSink> sink) = 0;
};

} // namespace fnd
