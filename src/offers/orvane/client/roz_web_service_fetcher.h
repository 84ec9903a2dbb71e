// ROZWebServiceFetcher: one HTTP GET of an offer-network web-service method on the main run loop - the
// base URL with its bindings as the query - that completes exactly once with the reply or an error.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/url_response.h"
#include "platform/foundation/value.h"

namespace zelvan::orvane {

class ROZWebServiceFetcher : public std::enable_shared_from_this<ROZWebServiceFetcher> {
public:
    // The largest reply accepted; a longer one ends the fetch with fnd::UrlError::DataLengthExceedsMaximum.
    static constexpr size_t kDefaultMaxBodyBytes = 2 * 1024 * 1024;
    // Told once per fetch, on the main run loop, with the fetcher itself.
    using Completion = std::function<void(const std::shared_ptr<ROZWebServiceFetcher>&)>;

    struct Passkey {
    private:
        friend class ROZWebServiceFetcher;
        Passkey() = default;
    };
    static std::shared_ptr<ROZWebServiceFetcher> create();
    explicit ROZWebServiceFetcher(Passkey) {}
    ROZWebServiceFetcher(const ROZWebServiceFetcher&) = delete;
    ROZWebServiceFetcher& operator=(const ROZWebServiceFetcher&) = delete;

    void setBaseURL(std::string baseURL) { baseURL_ = std::move(baseURL); }
    // A dictionary of query keys and values, sent in its own key order; numbers are written as numbers.
    void setBindings(fnd::Value bindings) { bindings_ = std::move(bindings); }
    // Seconds without progress before the fetch fails (the platform's default when not set).
    void setRequestTimeout(double seconds) { timeout_ = seconds; }
    void setMaxBodyBytes(size_t bytes) { maxBodyBytes_ = bytes; }

    // Starts the GET (main thread). `completion` runs exactly once, on the main run loop: after the
    // reply (any HTTP status) or a connection error, or - never inside this call - when the fetch cannot
    // start: an empty base URL, an address that does not form a URL, or a second fetch on this fetcher
    // (which leaves the first one's results alone). The fetcher stays alive until it has completed.
    void fetchAsynchronouslyWithCompletionInvocation(Completion completion);
    // The same with `userAgent` as the request's "User-Agent" header.
    void fetchAsynchronouslyWithCompletionInvocation(Completion completion, const std::string& userAgent);

    // The request address: the base URL (percent-escaped where it must be), then "?" and the bindings as
    // key "=" value joined by "&", each key and value percent-escaped but for A-Z a-z 0-9 - . _ ~
    // (none: the base URL alone).
    std::string requestURL() const;

    // --- Results (main thread) ---
    bool fetched() const { return fetched_; }
    bool hasError() const { return error_.has_value(); }
    const std::optional<fnd::Error>& error() const { return error_; }
    const std::optional<fnd::UrlResponse>& response() const { return response_; }
    const fnd::Bytes& data() const { return data_; }
    const fnd::Value& bindings() const { return bindings_; }

private:
    void start(Completion completion, const std::string& userAgent);
    // Completes on the next pass of the main run loop with `error`.
    void failSoon(fnd::Error error);
    void finish(std::optional<fnd::Error> error);

    std::string baseURL_;
    fnd::Value bindings_;
    std::optional<double> timeout_;
    size_t maxBodyBytes_ = kDefaultMaxBodyBytes;
    Completion completion_;
    bool started_ = false;
    bool fetched_ = false;
    std::optional<fnd::Error> error_;
    std::optional<fnd::UrlResponse> response_;
    fnd::Bytes data_;
};

} // namespace zelvan::orvane
