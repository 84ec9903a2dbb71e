// TallioHTTPEater: the analytics client's one HTTP exchange (method, URL, body, header fields, time-out in
// whole seconds) over fnd::fetch, and its URL helpers; TallioHTTPResponse: what came back. Nothing is
// cached, no cookie is sent or stored and no credential is ever offered (a 401 is an ordinary failed answer).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"

namespace zelvan::tallio {

using TallioHeaderFields = std::map<std::string, std::string>;
// Query fields in the order they are written.
using TallioQueryFields = std::vector<std::pair<std::string, std::string>>;

class TallioHTTPResponse {
public:
    // With a reply: its status, header fields and body; without one (no answer arrived): status 0, no
    // body, no header fields and the error.
    explicit TallioHTTPResponse(fnd::Result<fnd::FetchReply> reply);

    // The bytes received; nullopt when no response arrived.
    const std::optional<fnd::Bytes>& body() const { return body_; }
    int statusCode() const { return statusCode_; }
    const std::optional<fnd::Error>& error() const { return error_; }
    const std::optional<fnd::HttpHeaders>& headers() const { return headers_; }

    // Status 200 to 399.
    bool isSuccess() const { return statusCode_ >= 200 && statusCode_ <= 399; }
    bool isError() const { return !isSuccess(); }

    // "status:%d error:%@ body:%@ headers:%@", the body as a bounded, escaped preview (safe in a log line).
    std::string description() const;

private:
    std::optional<fnd::Bytes> body_;
    int statusCode_ = 0;
    std::optional<fnd::Error> error_;
    std::optional<fnd::HttpHeaders> headers_;
};

class TallioHTTPEater {
public:
    static constexpr int kDefaultTimeoutSeconds = 20;
    using Completion = std::function<void(TallioHTTPResponse)>;

    // Sends the request and calls `done` once with what came back (the answer, a failure, the time-out or
    // the cancelling of `cancel`), on the calling thread's run loop, never inside this call and not once
    // `owner` is gone; redirects are followed. Any thread with a run loop, the main thread included.
    static void sendMethod(const std::string& method, const std::optional<fnd::Url>& url,
                           const std::optional<fnd::Bytes>& body, const std::optional<TallioHeaderFields>& headerFields,
                           int timeoutSeconds, std::shared_ptr<fnd::UrlCancelToken> cancel,
                           std::weak_ptr<const void> owner, Completion done);

    // "GET", no body, 20 seconds. A text that is not a URL gives a failed response.
    static void get(const std::string& url, const std::optional<TallioHeaderFields>& headerFields,
                    std::weak_ptr<const void> owner, Completion done);
    // "POST" with `body`, 20 seconds.
    static void post(const std::string& url, const fnd::Bytes& body,
                     const std::optional<TallioHeaderFields>& headerFields, std::weak_ptr<const void> owner,
                     Completion done);

    // "key=value" for every field joined with "&", nothing escaped; "" for no fields.
    static std::string queryDictionaryToString(const TallioQueryFields& fields);

    // The query of urlWithProtocol: none, fields, or a text written as it stands.
    using Query = std::variant<std::monostate, TallioQueryFields, std::string>;
    // "<protocol or http>://" + host + ":<port>" (unless 0 or 80) + "/<path>" + "?<query>", the parts
    // given; nullopt when the text is not a URL.
    static std::optional<fnd::Url> urlWithProtocol(const std::optional<std::string>& protocol,
                                                   const std::optional<std::string>& host, int port,
                                                   const std::optional<std::string>& path, const Query& query);
};

} // namespace zelvan::tallio
