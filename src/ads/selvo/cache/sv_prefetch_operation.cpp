// The prefetch: a batch render request fetched on the worker's run loop in its private mode, parsed and
// cached under the requesting view's parameters.
#include "ads/selvo/cache/sv_prefetch_operation.h"

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_misc.h"
#include "ads/selvo/sv_url_builder.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"

namespace zelvan::selvo {

SVPrefetchOperation::SVPrefetchOperation(SelvoContext& context, std::vector<SVAdRequest> adRequests,
                                         std::weak_ptr<SVAdViewNotifier> adView, const fnd::Value& userInfo)
    : context_(context), adRequests_(std::move(adRequests)), adView_(std::move(adView)),
      userInfo_(userInfo.deepCopy()) {}

void SVPrefetchOperation::main() {
    requestAds(adRequests_);
}

std::optional<fnd::Error> SVPrefetchOperation::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void SVPrefetchOperation::requestAds(const std::vector<SVAdRequest>& requests) {
    if (isCancelled()) {
        return;
    }
    auto url = SVURLBuilder(context_).urlForAdRequests(requests, userInfo_);
    if (isCancelled()) {
        return;
    }
    if (!url) {
        SVLog(&context_, "Error creating prefetch request");
        SVLog(&context_, "Error retrieving ad from server: %@", std::string("(null)"));
        return;
    }
    auto data = downloadURL(*url);
    if (isCancelled()) {
        return;
    }
    if (!data) {
        SVLog(&context_, "Error retrieving ad from server: %@", data.error().localizedDescription());
        return;
    }
    auto manager = SVCacheManager::forContext(context_);
    if (!manager) {
        SVLog(&context_, "Error getting handle to SV database.");
        return;
    }
    auto parsed = SVAd::adsForXMLData(SVReplyEnv{&context_, manager.get()}, *data);
    if (!parsed) {
        SVLog(&context_, "Error retrieving ads from prefetch server response: %@",
              parsed.error().localizedDescription());
        if (auto view = adView_.lock()) {
            view->notifyDelegateFailedWithError(parsed.error());
        }
        return;
    }
    const auto& ads = *parsed;
    if (!ads || ads->empty() || isCancelled()) {
        return;
    }
    SVLog(&context_, "batch ads returned: %d", static_cast<int>(ads->size()));
    auto view = adView_.lock();
    if (!view) {
        return; // the parameters to cache under went with the view
    }
    SVAdParams params(view->requestAdType(), view->publisherID(), view->siteID(), view->placement(), view->section(),
                      view->msize());
    view.reset();
    manager->cacheAds(*ads, params);
}

fnd::Result<fnd::Bytes> SVPrefetchOperation::downloadURL(const fnd::Url& url) {
    fnd::UrlRequest request(url, fnd::UrlRequestCachePolicy::ReloadIgnoringLocalCacheData, kTimeout);
    SVMisc(&context_).addSVHeaders(request, userInfo_);
    fnd::FetchOptions options;
    options.timeout = kTimeout;
    options.maxBodyBytes = SVCacheManager::kMaxImageBytes;
    options.runLoopMode = std::string(SVPrefetchRunMode);
    auto reply = SVFetchAndWait(std::move(request), std::move(options), [this] { return isCancelled(); });
    if (isCancelled()) {
        return fnd::UrlError::make(fnd::UrlError::Cancelled, url.absoluteString());
    }
    std::lock_guard lock(mutex_);
    if (!reply) {
        lastError_ = reply.error();
        return std::move(reply).error();
    }
    lastError_.reset();
    return std::move(reply->body);
}

} // namespace zelvan::selvo
