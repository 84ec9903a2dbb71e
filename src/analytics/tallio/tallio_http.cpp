// The analytics client's blocking HTTP exchange over fnd's synchronous URL loading.
#include "analytics/tallio/tallio_http.h"

#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"

namespace zelvan::tallio {

TallioHTTPResponse::TallioHTTPResponse(const std::optional<fnd::UrlResponse>& response, fnd::Bytes body,
                                       std::optional<fnd::Error> error)
    : error_(std::move(error)) {
    if (response) {
        body_ = std::move(body);
        statusCode_ = static_cast<int>(response->statusCode());
        headers_ = response->allHeaderFields();
    }
}

std::string TallioHTTPResponse::description() const {
    std::string headers;
    if (headers_) {
        for (const auto& field : *headers_) {
            headers += (headers.empty() ? "" : ", ") + field.name + ": " + field.value;
        }
    }
    return fnd::format("status:%d error:%s body:%s headers:%s", statusCode_,
                       error_ ? error_->localizedDescription() : "(null)", body_ ? fnd::logPreview(*body_) : "(null)",
                       headers_ ? fnd::logPreview(std::string_view("{" + headers + "}")) : "(null)");
}

TallioHTTPResponse TallioHTTPEater::sendMethod(const std::string& method, const std::optional<fnd::Url>& url,
                                               const std::optional<fnd::Bytes>& body,
                                               const std::optional<TallioHeaderFields>& headerFields,
                                               int timeoutSeconds, fnd::UrlCancelToken* cancel) {
    if (!url) {
        return TallioHTTPResponse(std::nullopt, {}, fnd::UrlError::make(fnd::UrlError::BadUrl, ""));
    }
    fnd::UrlRequest request(*url, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData, timeoutSeconds);
    if (headerFields) {
        for (const auto& [field, value] : *headerFields) {
            request.setValue(value, field);
        }
    }
    request.setHttpMethod(method);
    if (body) {
        request.setHttpBody(*body);
    }
    request.setCachePolicy(fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData);
    request.setHttpShouldHandleCookies(false);
    fnd::UrlCache::shared().setMemoryCapacity(0);
    fnd::UrlCache::shared().setDiskCapacity(0);

    auto result = fnd::UrlConnection::sendSynchronousRequest(request, cancel);
    if (!result.ok()) {
        return TallioHTTPResponse(std::nullopt, {}, result.error());
    }
    return TallioHTTPResponse(result.value().response, std::move(result.value().data), std::nullopt);
}

TallioHTTPResponse TallioHTTPEater::get(const fnd::Url& url, const std::optional<TallioHeaderFields>& headerFields) {
    return sendMethod("GET", url, std::nullopt, headerFields, kDefaultTimeoutSeconds);
}

TallioHTTPResponse TallioHTTPEater::get(const std::string& url, const std::optional<TallioHeaderFields>& headerFields) {
    return sendMethod("GET", fnd::Url::parse(url), std::nullopt, headerFields, kDefaultTimeoutSeconds);
}

TallioHTTPResponse TallioHTTPEater::get(const std::string& url) {
    return get(url, std::nullopt);
}

TallioHTTPResponse TallioHTTPEater::post(const fnd::Url& url, const fnd::Bytes& body,
                                         const std::optional<TallioHeaderFields>& headerFields) {
    return sendMethod("POST", url, body, headerFields, kDefaultTimeoutSeconds);
}

TallioHTTPResponse TallioHTTPEater::post(const std::string& url, const fnd::Bytes& body,
                                         const std::optional<TallioHeaderFields>& headerFields) {
    return sendMethod("POST", fnd::Url::parse(url), body, headerFields, kDefaultTimeoutSeconds);
}

TallioHTTPResponse TallioHTTPEater::post(const std::string& url, const fnd::Bytes& body) {
    return post(url, body, std::nullopt);
}

std::string TallioHTTPEater::queryDictionaryToString(const TallioQueryFields& fields) {
    std::string text;
    for (const auto& [key, value] : fields) {
        if (!text.empty()) {
            text += '&';
        }
        text += key + "=" + value;
    }
    return text;
}

std::optional<fnd::Url> TallioHTTPEater::urlWithProtocol(const std::optional<std::string>& protocol,
                                                         const std::optional<std::string>& host, int port,
                                                         const std::optional<std::string>& path, const Query& query) {
    std::string text = (protocol ? *protocol : std::string("http")) + "://";
    if (host) {
        text += *host;
    }
    if (port != 0 && port != 80) {
        text += fnd::format(":%d", port);
    }
    if (path) {
        text += "/" + *path;
    }
    if (const auto* fields = std::get_if<TallioQueryFields>(&query)) {
        text += "?" + queryDictionaryToString(*fields);
    } else if (const auto* written = std::get_if<std::string>(&query)) {
        text += "?" + *written;
    }
    return fnd::Url::parse(text);
}

} // namespace zelvan::tallio
