// A scripted HTTP transport for tests: outcomes per URL (status, header fields, body chunks,
// redirects, failures), delivered from its own thread after delays measured on the process clock,
// so a manual clock decides when answers and time-outs arrive.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/http_transport.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"

namespace fnd::testing {

class FakeTransport final : public HttpTransport, public std::enable_shared_from_this<FakeTransport> {
public:
    struct Outcome {
        int64_t status = 200;
        HttpHeaders headers;
        std::vector<Bytes> chunks; // the body, one data event per chunk
        // Fail with this "fnd.url" code instead of answering.
        std::optional<int64_t> errorCode;
        // Clock seconds before the answer (or failure) arrives. When it is longer than the request's
        // time-out, the transfer fails with UrlError::TimedOut once the time-out has passed.
        double delay = 0;
    };

    // Creates a fake and installs it as the process transport (backends.h); the caller restores the
    // default with installHttpTransport(nullptr).
    static std::shared_ptr<FakeTransport> install();

    FakeTransport();
    ~FakeTransport() override;

    // Scripts the answer for requests whose URL's absolute string is `url`. Unscripted URLs fail
    // with UrlError::CannotFindHost.
    void setOutcome(const std::string& url, Outcome outcome);
    // Scripts a redirect answer: `status` with Location `to`.
    void setRedirect(const std::string& url, const std::string& to, int64_t status = 302);

    // The requests sent so far, as the transport received them (default fields and cookies added).
    std::vector<UrlRequest> requests() const;

    std::shared_ptr<HttpTransfer> startTransfer(const UrlRequest& request,
                                                std::shared_ptr<HttpTransferSink> sink) override;

private:
    mutable std::mutex mutex_;
    std::condition_variable loopReady_;
    std::map<std::string, Outcome> outcomes_;
    std::vector<UrlRequest> requests_;
    std::shared_ptr<RunLoop> loop_; // the delivery thread's loop
    Thread thread_;
};

} // namespace fnd::testing
