// TallioHTTPEater: the analytics client's one blocking HTTP exchange (method, URL, body, header fields,
// time-out in whole seconds) and its URL helpers; TallioHTTPResponse: what came back. Nothing is cached,
// no cookie is sent or stored and no credential is ever offered (a 401 is an ordinary failed answer).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_response.h"

namespace zelvan::tallio {

using TallioHeaderFields = std::map<std::string, std::string>;
// Query fields in the order they are written.
using TallioQueryFields = std::vector<std::pair<std::string, std::string>>;

class TallioHTTPResponse {
public:
    // With a response: its status, header fields and `body`; without one (no answer arrived): status 0,
    // no body and no header fields. The error is kept either way.
    TallioHTTPResponse(const std::optional<fnd::UrlResponse>& response, fnd::Bytes body,
                       std::optional<fnd::Error> error);

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

    // Sends the request and blocks the calling thread (no run loop is pumped) until the answer, a failure,
    // the time-out or the cancelling of `cancel`; redirects are followed. Safe from any thread, the main
    // thread included.
    static TallioHTTPResponse sendMethod(const std::string& method, const std::optional<fnd::Url>& url,
                                         const std::optional<fnd::Bytes>& body,
                                         const std::optional<TallioHeaderFields>& headerFields, int timeoutSeconds,
                                         fnd::UrlCancelToken* cancel = nullptr);

    // "GET", no body, 20 seconds. A text that is not a URL gives a failed response.
    static TallioHTTPResponse get(const std::string& url, const std::optional<TallioHeaderFields>& headerFields);
    static TallioHTTPResponse get(const fnd::Url& url, const std::optional<TallioHeaderFields>& headerFields);
    static TallioHTTPResponse get(const std::string& url);
    // "POST" with `body`, 20 seconds.
    static TallioHTTPResponse post(const std::string& url, const fnd::Bytes& body,
                                   const std::optional<TallioHeaderFields>& headerFields);
    static TallioHTTPResponse post(const fnd::Url& url, const fnd::Bytes& body,
                                   const std::optional<TallioHeaderFields>& headerFields);
    static TallioHTTPResponse post(const std::string& url, const fnd::Bytes& body);

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
