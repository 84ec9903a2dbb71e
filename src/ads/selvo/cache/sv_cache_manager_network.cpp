// SVCacheManager's network side: the fetch with its own cookie handling (waited for by the operations,
// or not), the tracking pixels, the reachability probe, and running impression reports synchronously or on
// the shared queue.
#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/cache/sv_fetch_wait.h"
#include "ads/selvo/cache/sv_submit_report_operation.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_misc.h"
#include "core/main_thread.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/cookie.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"
#include "reachability/reachability.h"

namespace zelvan::selvo {

bool SVCacheManager::networkReachable() {
    std::lock_guard lock(pingMutex_);
    const double now = fnd::Clock::monotonic();
    if (pingTime_ && now - *pingTime_ < kPingLifetime) {
        return lastPingResult_;
    }
    pingTime_ = now;
    const auto& reachability = context_.reachability();
    if (!reachability) {
        lastPingResult_ = true; // nothing to ask: let the request itself find out
        return lastPingResult_;
    }
    reachability->setHostName(context_.probeHost());
    const int remote = reachability->remoteHostStatus();
    const int internet = reachability->internetConnectionStatus();
    lastPingResult_ = !(remote == NotReachable && internet == NotReachable);
    return lastPingResult_;
}

fnd::Result<fnd::UrlRequest> SVCacheManager::downloadRequest(const std::optional<fnd::Url>& url,
                                                             const fnd::Value* userInfo) {
    if (!url) {
        SVLogError(&context_, "Error url parameter is required.");
        return fnd::UrlError::make(fnd::UrlError::BadUrl, "");
    }
    // Reply-supplied URLs may name local files, which the loading layer would read: only the web is asked.
    if (url->scheme() != "http" && url->scheme() != "https") {
        SVLogError(&context_, "Error creating download URL request.");
        SVLogError(&context_, "Error downloading URL:%@  Error:%@", fnd::logPreview(url->absoluteString()),
                   std::string("only http and https are fetched"));
        return fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::UnsupportedUrl,
                          std::string_view("unsupported URL"));
    }
    fnd::UrlRequest request(*url);
    {
        std::lock_guard lock(lock_);
        auto fields = fnd::Cookie::requestHeaderFields(fnd::CookieStorage::shared().cookiesForUrl(*url));
        for (const auto& field : fields) {
            request.setValue(field.value, field.name);
            SVLog(&context_, ">>>>>>Sending Cooke %@ for %@", fnd::logPreview(field.value),
                  fnd::logPreview(url->absoluteString()));
        }
    }
    if (userInfo != nullptr) {
        SVMisc(&context_).addSVHeaders(request, *userInfo);
    }
    return request;
}

fnd::FetchOptions SVCacheManager::downloadOptions(size_t maxBytes) const {
    fnd::FetchOptions options;
    options.maxBodyBytes = maxBytes;
    options.cancel = fetches_;
    // The cookies are handled here, so the loading layer must not add or store them a second time.
    options.cookies = false;
    return options;
}

fnd::Result<fnd::Bytes> SVCacheManager::downloaded(const fnd::Url& url, fnd::Result<fnd::FetchReply> reply) {
    if (!reply) {
        SVLogError(&context_, "Error downloading URL:%@  Error:%@", fnd::logPreview(url.absoluteString()),
                   reply.error().localizedDescription());
        return std::move(reply).error();
    }
    auto cookies = fnd::Cookie::cookiesWithResponseHeaderFields(reply->response.allHeaderFields(), url);
    for (const auto& cookie : cookies) {
        SVLog(&context_, ">>>>>>Recevied Cooke for %@ name: %@ : value: %@", fnd::logPreview(url.absoluteString()),
              fnd::logPreview(cookie.name), fnd::logPreview(cookie.value));
    }
    std::lock_guard lock(lock_);
    fnd::CookieStorage::shared().setCookies(cookies, url, std::nullopt);
    return std::move(reply->body);
}

fnd::Result<fnd::Bytes> SVCacheManager::downloadURL(const std::optional<fnd::Url>& url, const fnd::Value* userInfo,
                                                    size_t maxBytes) {
    fnd::UrlRequest request = TRY(downloadRequest(url, userInfo));
    fnd::FetchOptions options = downloadOptions(maxBytes);
    options.runLoopMode = std::string(SVDownloadRunMode);
    return downloaded(*url, SVFetchAndWait(std::move(request), std::move(options)));
}

void SVCacheManager::fetchURL(const std::optional<fnd::Url>& url, const fnd::Value* userInfo,
                              std::function<void(fnd::Result<fnd::Bytes>)> completion, size_t maxBytes) {
    auto request = downloadRequest(url, userInfo);
    if (!request) {
        laterOnThisLoop(weak_from_this(), [error = std::move(request).error(), completion = std::move(completion)](
                                              SVCacheManager&) mutable { completion(std::move(error)); });
        return;
    }
    // While the completion runs the fetch holds this manager.
    fnd::fetch(std::move(request.value()), downloadOptions(maxBytes), weak_from_this(),
               [this, url = *url, completion = std::move(completion)](fnd::Result<fnd::FetchReply> reply) {
                   completion(downloaded(url, std::move(reply)));
               });
}

void SVCacheManager::pingTrackingPixels(std::vector<std::string> pixels, fnd::Value userInfo) {
    pingTrackingPixel(std::move(pixels), 0, std::move(userInfo));
}

void SVCacheManager::pingTrackingPixel(std::vector<std::string> pixels, size_t next, fnd::Value userInfo) {
    if (next >= pixels.size()) {
        return;
    }
    const std::string pixel = pixels[next];
    SVLog(&context_, "ping tracking pixel:%@", fnd::logPreview(pixel));
    fetchURL(fnd::Url::parse(pixel), &userInfo,
             [this, pixels = std::move(pixels), next, userInfo](fnd::Result<fnd::Bytes> done) mutable {
                 if (!done) {
                     SVLogError(&context_, "Error pinging tracking pixel URL:%@ Error:%@",
                                fnd::logPreview(pixels[next]), done.error().localizedDescription());
                 }
                 pingTrackingPixel(std::move(pixels), next + 1, std::move(userInfo));
             });
}

void SVCacheManager::submitSynchronousReport(const fnd::Value& userInfo) {
    std::lock_guard lock(lock_);
    auto ads = adsToReport();
    if (ads.empty()) {
        return;
    }
    SVSubmitReportOperation::operationWithAds(context_, ads, userInfo)->start();
    markAdsReported();
}

void SVCacheManager::submitReport(const fnd::Value& userInfo) {
    std::lock_guard lock(lock_);
    auto ads = adsToReport();
    if (ads.empty()) {
        return;
    }
    auto operation = SVSubmitReportOperation::operationWithAds(context_, ads, userInfo);
    std::weak_ptr<SVCacheManager> weak = weak_from_this();
    std::weak_ptr<SVSubmitReportOperation> weakOperation = operation;
    operation->onFinished = [weak, weakOperation] {
        // A cancelled report marks nothing; a finished one lets the cache delete what it reported.
        auto finished = weakOperation.lock();
        if (!finished || finished->isCancelled()) {
            return;
        }
        onMain(weak, &SVCacheManager::markAdsReported);
    };
    requestQueue_->addOperation(operation);
}

} // namespace zelvan::selvo
