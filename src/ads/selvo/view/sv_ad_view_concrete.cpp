// SVAdViewConcrete: initial state and tear-down, and the request side of the cycle - queuing single, batch
// and prefetch operations and taking their completion back to the main thread. The factories are in
// sv_ad_view_factories.cpp.
#include "ads/selvo/view/sv_ad_view_concrete.h"

#include <exception>

#include "ads/selvo/cache/sv_ad_request_operation.h"
#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/cache/sv_prefetch_operation.h"
#include "ads/selvo/cache/sv_register_app_launch_operation.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/view/media_view.h"
#include "core/main_thread.h"

namespace zelvan::selvo {

// What the operations hold (weakly) of the view: it forwards to the view until the view cuts it, and
// the cut waits for a call in progress, so no operation thread reaches a view being destroyed.
class SVAdViewConcrete::Handle : public SVAdViewNotifier {
public:
    explicit Handle(SVAdViewConcrete* view) : view_(view) {}

    void cut() {
        std::lock_guard lock(mutex_);
        view_ = nullptr;
    }
    // The request type, read on the main thread before each operation is made (the kind's override
    // cannot be asked while a view is being destroyed).
    void setRequestAdType(int type) { type_ = type; }

    void notifyDelegateWillRequestAd() override {
        std::lock_guard lock(mutex_);
        if (view_ != nullptr) {
            view_->notifyDelegateWillRequestAd();
        }
    }
    void notifyDelegateWillRefreshCache() override {
        std::lock_guard lock(mutex_);
        if (view_ != nullptr) {
            view_->notifyDelegateWillRefreshCache();
        }
    }
    void notifyDelegateFailedWithError(const fnd::Error& error) override {
        std::lock_guard lock(mutex_);
        if (view_ != nullptr) {
            view_->notifyDelegateFailedWithError(error);
        }
    }
    void ended(fnd::Operation& operation, bool finished, bool own) {
        std::lock_guard lock(mutex_);
        if (view_ != nullptr) {
            view_->operationEnded(operation, finished, own);
        }
    }

    int requestAdType() const override { return type_.load(); }
    std::string publisherID() const override {
        std::lock_guard lock(mutex_);
        return view_ != nullptr ? view_->publisherID() : std::string();
    }
    std::string siteID() const override {
        std::lock_guard lock(mutex_);
        return view_ != nullptr ? view_->siteID() : std::string();
    }
    int placement() const override {
        std::lock_guard lock(mutex_);
        return view_ != nullptr ? view_->placement() : SVAdPlacementUnknown;
    }
    std::optional<std::string> section() const override {
        std::lock_guard lock(mutex_);
        return view_ != nullptr ? view_->section() : std::nullopt;
    }
    int msize() const override {
        std::lock_guard lock(mutex_);
        return view_ != nullptr ? view_->msize() : SVAdRequest::kNoSize;
    }

private:
    mutable std::recursive_mutex mutex_;
    SVAdViewConcrete* view_;
    std::atomic<int> type_{0};
};

SVAdViewConcrete::SVAdViewConcrete(std::shared_ptr<SelvoContext> context)
    : context_(std::move(context)), handle_(std::make_shared<Handle>(this)) {}

void SVAdViewConcrete::initWithFrame(gfx::Rect frame) {
    SVAdView::initWithFrame(frame);
    weakSelf_ = self<SVAdViewConcrete>();
    batchSize_ = 0;
    font_ = gfx::Font::systemFontOfSize(10);
    textColor_ = gfx::Color::black();
    adTransitionInterval_ = 0;
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    setBackgroundColor(gfx::Color::clear());
    setOpaque(false);
    msize_ = SVAdRequest::kNoSize;
    openInSafari_ = false;
    openWebview_ = false;
    hideActionText_ = false;
    closeButton_ = true;
    adTransition_ = ui::Transition::animation();
    adTransition_->setType(ui::TransitionType::Fade);
    requestQueue_ = std::make_unique<SVWorkQueue>(context_->workerPool());
}

SVAdViewConcrete::~SVAdViewConcrete() {
    if (adTimer_) {
        adTimer_->invalidate();
        adTimer_.reset();
    }
    // Stop hearing from every operation first (waiting for a call in progress), then cancel them.
    handle_->cut();
    std::vector<std::shared_ptr<fnd::Operation>> batchOps;
    {
        std::lock_guard lock(batchMutex_);
        batchOps.swap(runningBatchOps_);
    }
    for (const auto& operation : batchOps) {
        operation->cancel();
    }
    // Waits for the running request; completions only post to the main thread.
    requestQueue_.reset();
    webViewController_.reset();
    imageLayer_.reset();
    if (mediaView_) {
        mediaView_->cleanup();
        mediaView_.reset();
    }
}

bool SVAdViewConcrete::isBusy() const {
    return singleInFlight_ || (requestQueue_ && requestQueue_->operationCount() > 0);
}

void SVAdViewConcrete::displayNewAd() {
    if (isBusy()) {
        SVLog(context_, "SVADView already busy, returning with out requesting new ads.");
        return;
    }
    registerAppLaunch();
    auto operation = requestAdOperation();
    if (!operation) {
        SVLogError(context_, "Error: Failed to create a new ad request operation.");
        return;
    }
    const bool own = batchSize_ == 0;
    observe(operation, own);
    if (own) {
        singleInFlight_ = true;
        requestQueue_->addOperation(operation);
    } else if (auto manager = SVCacheManager::forContext(*context_)) {
        {
            std::lock_guard lock(batchMutex_);
            runningBatchOps_.push_back(operation);
        }
        manager->requestQueue().addOperation(operation);
    }
    if (!currentAd_) {
        if (auto delegate = this->delegate()) {
            if (auto fallback = delegate->defaultAd(*this)) {
                setAd(fallback);
            }
        }
    }
}

void SVAdViewConcrete::prefetchAds(const std::optional<std::vector<SVAdRequest>>& requests) {
    if (!requests) {
        return;
    }
    auto manager = SVCacheManager::forContext(*context_);
    if (!manager) {
        return;
    }
    handle_->setRequestAdType(requestAdType());
    auto operation = SVPrefetchOperation::prefetchRequest(*context_, *requests, handle_, userInfoDictionary());
    observe(operation, false);
    {
        std::lock_guard lock(batchMutex_);
        runningBatchOps_.push_back(operation);
    }
    manager->requestQueue().addOperation(operation);
}

void SVAdViewConcrete::submitReport() {
    if (auto manager = SVCacheManager::forContext(*context_)) {
        manager->submitReport(userInfoDictionary());
    }
}

void SVAdViewConcrete::submitSynchronousReport() {
    if (auto manager = SVCacheManager::forContext(*context_)) {
        manager->submitSynchronousReport(userInfoDictionary());
    }
}

void SVAdViewConcrete::registerAppLaunch() {
    if (SVRegisterAppLaunchOperation::alreadyRegistered()) {
        return;
    }
    if (auto manager = SVCacheManager::forContext(*context_)) {
        manager->requestQueue().addOperation(
            std::make_shared<SVRegisterAppLaunchOperation>(*context_, userInfoDictionary()));
    }
}

std::shared_ptr<fnd::Operation> SVAdViewConcrete::requestAdOperation() {
    const int type = requestAdType();
    handle_->setRequestAdType(type);
    SVAdParams params(type, publisherID(), siteID(), placement_, section(), msize_);
    if (batchSize_ == 0) {
        return SVAdRequestOperation::requestWithParams(*context_, std::move(params), handle_, userInfoDictionary());
    }
    return SVAdRequestOperation::batchRequestWithParams(*context_, std::move(params), handle_, batchSize_,
                                                        userInfoDictionary());
}

fnd::Value SVAdViewConcrete::userInfoDictionary() const {
    const auto section = this->section();
    return SVUserInfoDictionary(*context_, publisherID(), siteID(), placement_, section.value_or(""), this);
}

void SVAdViewConcrete::observe(const std::shared_ptr<fnd::Operation>& operation, bool own) {
    // The callbacks run on the operation's thread (or the cancelling one) while the operation is alive,
    // so a plain pointer to it is safe; the handle is held weakly.
    fnd::Operation* raw = operation.get();
    std::weak_ptr<Handle> handle = handle_;
    operation->onFinished = [handle, raw, own] {
        if (auto h = handle.lock()) {
            h->ended(*raw, true, own);
        }
    };
    operation->onCancelled = [handle, raw, own] {
        if (auto h = handle.lock()) {
            h->ended(*raw, false, own);
        }
    };
}

void SVAdViewConcrete::operationEnded(fnd::Operation& operation, bool finished, bool own) {
    try {
        removeBatchOp(&operation);
        if (!finished) {
            return;
        }
        if (auto* request = dynamic_cast<SVAdRequestOperation*>(&operation)) {
            auto ad = operation.isCancelled() ? nullptr : request->ad();
            if (own || ad) {
                // Posted, not waited for: the main thread may be tearing the view down and waiting for this
                // very operation. The view stays busy until the completion has run.
                onMain(weakSelf_, [ad, own](SVAdViewConcrete& view) { view.completedOnMain(ad, own); });
            }
        } else if (dynamic_cast<SVPrefetchOperation*>(&operation) != nullptr) {
            notifyDelegatePrefetchFinished();
        }
    } catch (const std::exception& e) {
        SVLogError(context_, "Exception during processing of a notification event: %@", e.what());
    }
}

void SVAdViewConcrete::removeBatchOp(const fnd::Operation* operation) {
    std::lock_guard lock(batchMutex_);
    std::erase_if(runningBatchOps_, [operation](const auto& held) { return held.get() == operation; });
}

std::vector<std::shared_ptr<fnd::Operation>> SVAdViewConcrete::runningBatchOps() const {
    std::lock_guard lock(batchMutex_);
    return runningBatchOps_;
}

void SVAdViewConcrete::completedOnMain(const std::shared_ptr<SVAd>& ad, bool own) {
    if (own) {
        singleInFlight_ = false;
    }
    if (ad) {
        setAd(ad);
        scheduleNextAd();
    }
}

} // namespace zelvan::selvo
