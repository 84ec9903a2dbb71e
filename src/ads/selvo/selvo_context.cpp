// The Selvo client's shared context: its flags, error sink, server addresses, device info and ad cache slot.
#include "ads/selvo/selvo_context.h"

#include <utility>

#include "ads/selvo/sv_ad_cache.h"
#include "ads/selvo/sv_device_info.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/log.h"
#include "platform/foundation/url.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::selvo {
namespace {

// Set while this thread runs the error sink.
thread_local bool insideSink = false;

} // namespace

SelvoContext::SelvoContext(std::shared_ptr<Reachability> reachability, SelvoConfig config,
                           std::shared_ptr<fnd::WorkerPool> workerPool)
    : reachability_(std::move(reachability)), config_(std::move(config)), workerPool_(std::move(workerPool)) {
    if (auto url = config_.endpoint.configured() ? fnd::Url::parse(config_.endpoint.root()) : std::nullopt) {
        probeHost_ = url->host();
    }
}

SelvoContext::~SelvoContext() {
    std::shared_ptr<SVAdCache> cache;
    {
        std::lock_guard lock(cacheMutex_);
        cache = std::move(adCache_);
        closing_ = true; // an operation still finishing finds no cache rather than making a new one
    }
    if (cache) {
        cache->shutdown();
    }
}

std::shared_ptr<fnd::WorkerPool> SelvoContext::workerPool() {
    std::lock_guard lock(poolMutex_);
    if (!workerPool_) {
        workerPool_ = std::make_shared<fnd::WorkerPool>("selvo", 1);
    }
    return workerPool_;
}

std::shared_ptr<SVAdCache> SelvoContext::adCache(const std::function<std::shared_ptr<SVAdCache>()>& make) {
    std::lock_guard lock(cacheMutex_);
    if (!adCache_ && make && !closing_) {
        adCache_ = make();
    }
    return adCache_;
}

std::shared_ptr<SVAdCache> SelvoContext::existingAdCache() const {
    std::lock_guard lock(cacheMutex_);
    return adCache_;
}

void SelvoContext::setErrorSink(ErrorSink sink) {
    std::lock_guard lock(sinkMutex_);
    sink_ = sink ? std::make_shared<const ErrorSink>(std::move(sink)) : nullptr;
}

void SelvoContext::reportError(const std::string& line) const {
    if (insideSink) {
        return;
    }
    std::shared_ptr<const ErrorSink> sink;
    {
        std::lock_guard lock(sinkMutex_);
        sink = sink_;
    }
    if (!sink) {
        return;
    }
    insideSink = true;
    (*sink)(line);
    insideSink = false;
}

std::optional<std::string> SelvoContext::adServer(bool batch) const {
    if (!config_.endpoint.configured()) {
        return std::nullopt;
    }
    switch (runMode()) {
    case kRunModeProduction:
    case kRunModeTest:
        return config_.endpoint.url(batch ? "/batch/adserver" : "/adserver");
    case kRunModeQualityAssurance:
        return config_.endpoint.url("/qa/adserver");
    case kRunModeStaging:
        return config_.endpoint.url("/staging/adserver");
    default:
        return std::nullopt;
    }
}

std::optional<std::string> SelvoContext::proxySiteServer() const {
    if (!config_.endpoint.configured()) {
        return std::nullopt;
    }
    switch (runMode()) {
    case kRunModeProduction:
    case kRunModeTest:
        return config_.endpoint.url("/siteserver/sdkproxy.jsp?");
    case kRunModeQualityAssurance:
        return config_.endpoint.url("/qa/siteserver/sdkproxy.jsp?");
    case kRunModeStaging:
        return config_.endpoint.url("/staging/siteserver/sdkproxy.jsp?");
    default:
        return std::nullopt;
    }
}

fnd::Value SelvoContext::deviceInfo() const {
    // Dictionaries share by reference, so every caller gets its own deep copy of the one built here.
    std::call_once(deviceOnce_, [this] { deviceInfo_ = SVBuildDeviceInfo(); });
    return deviceInfo_.deepCopy();
}

std::shared_ptr<SVMisc> SelvoContext::misc() const {
    std::lock_guard lock(miscMutex_);
    return misc_;
}

void SelvoContext::setMisc(std::shared_ptr<SVMisc> misc) {
    std::lock_guard lock(miscMutex_);
    misc_ = std::move(misc);
}

std::shared_ptr<SelvoContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::selvo) : nullptr;
}

} // namespace zelvan::selvo
