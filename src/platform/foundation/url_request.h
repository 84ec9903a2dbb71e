// fnd::UrlRequest: what a URL connection sends - the URL, method, body, header fields, the time-out
// and cookie handling, and the cap on the size of the body it will accept back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"

namespace fnd {

// Kept for callers that set it; every policy loads from the network (nothing is cached).
enum class UrlRequestCachePolicy {
    UseProtocolCachePolicy = 0,
    ReloadIgnoringLocalCacheData = 1,
    ReturnCacheDataElseLoad = 2,
    ReturnCacheDataDontLoad = 3,
};

class UrlRequest {
public:
    static constexpr double kDefaultTimeoutInterval = 60.0;
    static constexpr size_t kDefaultMaxBodyBytes = 16 * 1024 * 1024;

    explicit UrlRequest(Url url, UrlRequestCachePolicy cachePolicy = UrlRequestCachePolicy::UseProtocolCachePolicy,
                        double timeoutInterval = kDefaultTimeoutInterval);

    const Url& url() const { return url_; }
    void setUrl(Url url) { url_ = std::move(url); }

    // "GET" by default; stored as given (callers use upper case).
    const std::string& httpMethod() const { return method_; }
    void setHttpMethod(std::string method) { method_ = std::move(method); }

    const Bytes& httpBody() const { return body_; }
    void setHttpBody(Bytes body) { body_ = std::move(body); }

    // Header fields in the order set; names match without regard to case.
    const HttpHeaders& allHTTPHeaderFields() const { return headers_; }
    // Replaces every field with `fields`.
    void setAllHTTPHeaderFields(HttpHeaders fields) { headers_ = std::move(fields); }
    // Sets (replacing an existing field of that name) the value of `field`.
    void setValue(std::string_view value, std::string_view field);
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;

    // Seconds without progress (connecting, or no bytes moving) before the load fails with
    // UrlError::TimedOut. Non-positive values mean the default.
    double timeoutInterval() const { return timeout_; }
    void setTimeoutInterval(double seconds) { timeout_ = seconds > 0 ? seconds : kDefaultTimeoutInterval; }

    UrlRequestCachePolicy cachePolicy() const { return cachePolicy_; }
    void setCachePolicy(UrlRequestCachePolicy policy) { cachePolicy_ = policy; }

    // Whether stored cookies are sent and Set-Cookie fields stored (true by default).
    bool httpShouldHandleCookies() const { return handleCookies_; }
    void setHttpShouldHandleCookies(bool handle) { handleCookies_ = handle; }

    // The page this request belongs to, for the cookie accept policy that only takes cookies from
    // the main document's domain. Defaults to none (the request's own URL is used).
    const std::optional<Url>& mainDocumentUrl() const { return mainDocumentUrl_; }
    void setMainDocumentUrl(std::optional<Url> url) { mainDocumentUrl_ = std::move(url); }

    // The largest body (after decoding) the load accepts; more fails with
    // UrlError::DataLengthExceedsMaximum. 16 MiB by default; 0 means the default.
    size_t maxBodyBytes() const { return maxBodyBytes_; }
    void setMaxBodyBytes(size_t bytes) { maxBodyBytes_ = bytes > 0 ? bytes : kDefaultMaxBodyBytes; }

private:
    Url url_;
    std::string method_ = "GET";
    Bytes body_;
    HttpHeaders headers_;
    double timeout_ = kDefaultTimeoutInterval;
    UrlRequestCachePolicy cachePolicy_ = UrlRequestCachePolicy::UseProtocolCachePolicy;
    bool handleCookies_ = true;
    std::optional<Url> mainDocumentUrl_;
    size_t maxBodyBytes_ = kDefaultMaxBodyBytes;
};

} // namespace fnd
