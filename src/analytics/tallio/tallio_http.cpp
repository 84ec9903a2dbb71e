// The analytics client's HTTP exchange over fnd::fetch.
#include "analytics/tallio/tallio_http.h"

#include "core/main_thread.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"

namespace zelvan::tallio {

TallioHTTPResponse::TallioHTTPResponse(fnd::Result<fnd::FetchReply> reply) {
    if (!reply) {
        error_ = std::move(reply).error();
        return;
    }
    body_ = std::move(reply.value().body);
    statusCode_ = static_cast<int>(reply.value().response.statusCode());
    headers_ = reply.value().response.allHeaderFields();
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

void TallioHTTPEater::sendMethod(const std::string& method, const std::optional<fnd::Url>& url,
                                 const std::optional<fnd::Bytes>& body,
                                 const std::optional<TallioHeaderFields>& headerFields, int timeoutSeconds,
                                 std::shared_ptr<fnd::UrlCancelToken> cancel, std::weak_ptr<const void> owner,
                                 Completion done) {
    if (!url) {
        laterOnThisLoop([owner = std::move(owner), done = std::move(done)] {
            if (auto live = owner.lock()) {
                done(TallioHTTPResponse(fnd::UrlError::make(fnd::UrlError::BadUrl, "")));
            }
        });
        return;
    }
    fnd::UrlRequest request(*url, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData);
    if (headerFields) {
        for (const auto& [field, value] : *headerFields) {
            request.setValue(value, field);
        }
    }
    request.setHttpMethod(method);
    if (body) {
        request.setHttpBody(*body);
    }
    fnd::UrlCache::shared().setMemoryCapacity(0);
    fnd::UrlCache::shared().setDiskCapacity(0);

    fnd::FetchOptions options;
    options.timeout = timeoutSeconds;
    options.cookies = false;
    options.cancel = std::move(cancel);
    fnd::fetch(
        std::move(request), std::move(options), std::move(owner),
        [done = std::move(done)](fnd::Result<fnd::FetchReply> reply) { done(TallioHTTPResponse(std::move(reply))); });
}

void TallioHTTPEater::get(const std::string& url, const std::optional<TallioHeaderFields>& headerFields,
                          std::weak_ptr<const void> owner, Completion done) {
    sendMethod("GET", fnd::Url::parse(url), std::nullopt, headerFields, kDefaultTimeoutSeconds, nullptr,
               std::move(owner), std::move(done));
}

void TallioHTTPEater::post(const std::string& url, const fnd::Bytes& body,
                           const std::optional<TallioHeaderFields>& headerFields, std::weak_ptr<const void> owner,
                           Completion done) {
    sendMethod("POST", fnd::Url::parse(url), body, headerFields, kDefaultTimeoutSeconds, nullptr, std::move(owner),
               std::move(done));
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
