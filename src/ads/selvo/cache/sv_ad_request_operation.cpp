// The single and batch ad requests: URL, download through the cache manager, parse, cache, serve.
#include "ads/selvo/cache/sv_ad_request_operation.h"

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/cache/sv_submit_report_operation.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_url_builder.h"

namespace zelvan::selvo {

SVAdRequestOperation::SVAdRequestOperation(SelvoContext& context, SVAdParams params, const fnd::Value& userInfo)
    : context_(context), adParams_(std::move(params)), userInfo_(userInfo.deepCopy()) {}

std::shared_ptr<SVAdRequestOperation> SVAdRequestOperation::requestWithParams(SelvoContext& context, SVAdParams params,
                                                                              std::weak_ptr<SVAdViewNotifier> adView,
                                                                              const fnd::Value& userInfo) {
    auto operation = std::make_shared<SVAdRequestOperation>(context, std::move(params), userInfo);
    operation->setAdView(std::move(adView));
    return operation;
}

std::shared_ptr<SVAdRequestOperation>
SVAdRequestOperation::batchRequestWithParams(SelvoContext& context, SVAdParams params,
                                             std::weak_ptr<SVAdViewNotifier> adView, unsigned batchSize,
                                             const fnd::Value& userInfo) {
    auto operation = std::make_shared<SVAdRequestOperation>(context, std::move(params), userInfo);
    operation->setBatchSize(batchSize);
    operation->setAdView(std::move(adView));
    return operation;
}

std::shared_ptr<SVAd> SVAdRequestOperation::ad() const {
    std::lock_guard lock(mutex_);
    return ad_;
}

void SVAdRequestOperation::setAd(std::shared_ptr<SVAd> ad) {
    std::lock_guard lock(mutex_);
    ad_ = std::move(ad);
}

void SVAdRequestOperation::main() {
    if (batchSize_ != 0) {
        makeBatchAdRequest();
    } else {
        makeAdRequest();
    }
}

void SVAdRequestOperation::makeAdRequest() {
    if (isCancelled()) {
        return;
    }
    auto manager = SVCacheManager::forContext(context_);
    auto url = SVURLBuilder(context_).urlForAdType(adParams_.type(), 0, userInfo_, adParams_.size());
    if (!url || !manager) {
        SVLogError(&context_, "Error creating ad request url");
        return;
    }
    // Each call on the view checks it is still there: it may have gone while this operation ran.
    if (auto view = adView_.lock()) {
        view->notifyDelegateWillRequestAd();
    }
    auto data = manager->downloadURL(url, &userInfo_);
    if (isCancelled()) {
        return;
    }
    if (!data) {
        SVLogError(&context_, "Error retrieving ad from server: %@", data.error().localizedDescription());
        return;
    }
    auto ad = SVAd::adForXMLData(SVReplyEnv{&context_, manager.get()}, *data);
    if (!ad) {
        SVLogError(&context_, "Error retrieving ad from server response: %@", ad.error().localizedDescription());
        if (auto view = adView_.lock()) {
            view->notifyDelegateFailedWithError(ad.error());
        }
        return;
    }
    setAd(std::move(*ad));
}

void SVAdRequestOperation::makeBatchAdRequest() {
    if (isCancelled()) {
        return;
    }
    auto manager = SVCacheManager::forContext(context_);
    if (!manager) {
        SVLogError(&context_, "Error getting handle to SV cache manager.");
        return;
    }
    if (auto cached = manager->adForParams(adParams_)) {
        setAd(std::move(cached));
        return;
    }
    auto reportable = manager->adsToReport();
    if (!reportable.empty()) {
        SVSubmitReportOperation::operationWithAds(context_, reportable, userInfo_)->start();
        manager->markAdsReported();
    }
    SVLog(&context_, "no cached ads, need to get some.");
    if (isCancelled()) {
        return;
    }
    if (auto view = adView_.lock()) {
        view->notifyDelegateWillRefreshCache();
    }
    auto url = SVURLBuilder(context_).urlForAdType(adParams_.type(), batchSize_, userInfo_, adParams_.size());
    if (!url) {
        SVLogError(&context_, "Error creating ad request url");
        return;
    }
    auto data = manager->downloadURL(url, &userInfo_);
    if (isCancelled()) {
        return;
    }
    if (!data) {
        SVLogError(&context_, "Error retrieving ad from server: %@", data.error().localizedDescription());
        return;
    }
    auto parsed = SVAd::adsForXMLData(SVReplyEnv{&context_, manager.get()}, *data);
    if (!parsed) {
        SVLogError(&context_, "Error getting ads from server response: %@", parsed.error().localizedDescription());
        if (auto view = adView_.lock()) {
            view->notifyDelegateFailedWithError(parsed.error());
        }
        return;
    }
    const auto& ads = *parsed;
    if (!ads) {
        return;
    }
    SVLog(&context_, "batch ads returned: %d", static_cast<int>(ads->size()));
    if (isCancelled()) {
        return;
    }
    manager->cacheAds(*ads, adParams_);
    if (isCancelled()) {
        return;
    }
    setAd(manager->adForParams(adParams_));
}

} // namespace zelvan::selvo
