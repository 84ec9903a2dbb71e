// The per-event banner controller: rotation, attempts with their watchdog, display and impressions.
#include "ads/mediation/orv_ad_controller.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "ads/mediation/med_log.h"
#include "core/main_thread.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/color.h"
#include "platform/ui/application.h"
#include "platform/ui/view.h"

namespace zelvan::mediation {
namespace {

std::string counterKey(int eventId) {
    return fnd::format("kORVEventID%d", eventId);
}

// `value` moved into [0, modulus) (modulus > 0).
int64_t wrap(int64_t value, int64_t modulus) {
    const int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

} // namespace

std::shared_ptr<ORVAdController> ORVAdController::create(std::weak_ptr<MediationContext> context) {
    std::shared_ptr<ORVAdController> controller(new ORVAdController(std::move(context)));
    controller->iORVAdView_->setAdController(controller);
    // addObservers: the next order's banner list replaces the sequence.
    controller->orderObserver_ = fnd::NotificationCenter::defaultCenter().observe(
        kOrderReceived, std::weak_ptr<ORVAdController>(controller), &ORVAdController::updateAdProviderList);
    return controller;
}

ORVAdController::ORVAdController(std::weak_ptr<MediationContext> context) : context_(std::move(context)) {
    MED_LOG(4, "Creating Ad Controller OBJ");
    iORVAdView_ = ui::View::create<ORVAdView>(gfx::Rect(0, 430, 320, 50));
    iORVAdView_->setBackgroundColor(gfx::Color::clear());
}

ORVAdController::~ORVAdController() {
    watchdog_.cancel();
    backoffTimer_.cancel();
}

int ORVAdController::anyPreloadActive() const {
    std::lock_guard lock(anyPreloadActiveLockObj_);
    return anyPreloadActive_;
}

bool ORVAdController::registerPreLoad() {
    std::lock_guard lock(anyPreloadActiveLockObj_);
    if (anyPreloadActive_ == 1) {
        return false;
    }
    anyPreloadActive_ = 1;
    return true;
}

void ORVAdController::reportPreloadProblem() {
    std::lock_guard lock(anyPreloadActiveLockObj_);
    anyPreloadActive_ = 2;
}

void ORVAdController::unRegisterPreLoad() {
    std::lock_guard lock(anyPreloadActiveLockObj_);
    anyPreloadActive_ = 0;
}

std::optional<AdOrder> ORVAdController::orderIfAny() const {
    auto context = context_.lock();
    auto core = context ? context->offerCore() : nullptr;
    return core ? core->adOrder() : std::nullopt;
}

AdOrder ORVAdController::order() const {
    return orderIfAny().value_or(AdOrder{});
}

void ORVAdController::updateAdProviderList() {
    orderObserver_.reset();
    auto context = context_.lock();
    auto core = context ? context->offerCore() : nullptr;
    if (!core) {
        return;
    }
    if (auto list = core->adNetworkArray()) {
        sequenceOfAdProviders_ = std::move(*list);
    }
}

void ORVAdController::loadSequence() {
    if (!sequenceOfAdProviders_.empty()) {
        return;
    }
    auto context = context_.lock();
    auto core = context ? context->offerCore() : nullptr;
    if (core) {
        if (auto list = core->adNetworkArray()) {
            sequenceOfAdProviders_ = std::move(*list);
        }
    }
    // A network the list could not describe is dropped rather than read.
    std::erase(sequenceOfAdProviders_, nullptr);
    if (sequenceOfAdProviders_.empty()) {
        sequenceOfAdProviders_ = defaultAdProvidersInfo();
    }
}

// --- Driving ---

void ORVAdController::preLoadAd(int eventId) {
    currentAdProviderIndex_ = 0;
    currentEventID_ = eventId;
    auto& defaults = fnd::UserDefaults::standard();
    const std::string key = counterKey(eventId);
    if (defaults.objectForKey(key).isNull()) {
        defaults.setInteger(1, key);
    }
    const AdOrder settings = order();
    const int step = settings.rotationDirection == 1 ? -1 : 1;
    const std::string next = rotationNextAd(step, settings.lastNetwork);
    if (next != kNoAd) {
        startDownloadingAdFor(next);
    }
}

std::shared_ptr<ORVAdView> ORVAdController::broadcastAd(int eventId) {
    auto context = context_.lock();
    if (context && context->adShownState() == -1) {
        context->setAdShownState(0);
    }
    auto& defaults = fnd::UserDefaults::standard();
    const std::string key = counterKey(currentEventID_);
    int64_t n = 1;
    if (defaults.objectForKey(key).isNull()) {
        defaults.setInteger(1, key);
    } else {
        n = defaults.integerForKey(key);
    }
    // The counter stops at the top of the 32-bit range instead of wrapping to negative values.
    defaults.setInteger(n < INT32_MAX ? n + 1 : INT32_MAX, key);
    const AdOrder settings = order();
    if (settings.rotationTime <= 0) {
        invokeAdShown();
    } else if (rotationWaiting_) {
        rotationWaiting_ = false;
        invokeAdShown();
        scheduleRotation(settings.rotationTime);
    }
    currentEventID_ = eventId;
    return iORVAdView_;
}

void ORVAdController::loadNextAdInLine() {
    rotateToNextAd();
}

void ORVAdController::rotateToNextAd() {
    reportPreloadProblem();
    if (!iORVAdView_) {
        return;
    }
    if (!sequenceOfAdProviders_.empty() && currentAdProviderIndex_ == static_cast<int>(sequenceOfAdProviders_.size())) {
        MED_LOG(4, "restart ad");
        currentAdProviderIndex_ = 0;
    }
    const AdOrder settings = order();
    const int step = settings.rotationDirection == 1 ? -1 : 1;
    const int resume = currentAdProviderIndex_;
    const std::string next = rotationNextAd(step, settings.lastNetwork);
    if (next == kNoAd) {
        return;
    }
    if (backoff_.tried(pickedPosition_)) {
        // Back at a network this round tried: the next round starts with it, after the back-off.
        currentAdProviderIndex_ = resume;
        beginBackoff();
        return;
    }
    startDownloadingAdFor(next);
}

void ORVAdController::beginBackoff() {
    const double seconds = backoff_.roundFailed();
    ZLOG_TO(kMediationLog, Warn, "mediation: no network of the ad order had an ad for event %d; the next round in %g s",
            currentEventID_, seconds);
    backoffTimer_.cancel();
    std::weak_ptr<ORVAdController> weak = weak_from_this();
    backoffTimer_ = fnd::RunLoop::current().performAfter(seconds, [weak] {
        auto self = weak.lock();
        // An attempt started meanwhile (a preload) carries the rotation on by itself.
        if (self && self->attemptReported_) {
            self->rotateToNextAd();
        }
    });
}

void ORVAdController::scheduleRotation(double seconds) {
    std::weak_ptr<ORVAdController> weak = weak_from_this();
    fnd::RunLoop::current().performAfter(seconds, [weak] {
        if (auto self = weak.lock()) {
            self->rotateToNextAd();
        }
    });
}

// --- Rotation ---

std::string ORVAdController::rotationNextAd(int step, int last) {
    loadSequence();
    pickedPosition_ = -1;
    if (sequenceOfAdProviders_.empty()) {
        MED_LOG_FAILURE(3, "Failed to get a sequence of providers?! Returning default provider: %@", kDefaultProvider);
        return kDefaultProvider;
    }
    const int count = static_cast<int>(sequenceOfAdProviders_.size());
    // The positions used are 0 to `last`, which never reaches past the sequence (a later order may name a
    // larger last network than the list this controller holds).
    const int top = std::min(last, count - 1);
    if (currentAdProviderIndex_ < 0 || currentAdProviderIndex_ > count ||
        (currentAdProviderIndex_ != count && currentAdProviderIndex_ > std::max(top, 0))) {
        currentAdProviderIndex_ = 0;
    }
    if (currentAdProviderIndex_ == count) {
        return kNoAd;
    }
    const int64_t modulus = static_cast<int64_t>(top) + 1;
    const int64_t move = step < 0 ? -1 : 1;
    int i = currentAdProviderIndex_;
    for (;;) {
        const AdNetwork& net = *sequenceOfAdProviders_[static_cast<size_t>(i)];
        const int max = net.maxTimesToShowAdOnDevice;
        const bool eligible = (max < 0 && canSelectAdProviderWithInfo(net)) || canSelectAdProviderWithInfo(net, max);
        if (eligible) {
            if (top > 0) {
                currentAdProviderIndex_ = static_cast<int>(wrap(i + move, modulus));
            }
            pickedPosition_ = i;
            return net.adLibraryName;
        }
        if (top > 0) {
            i = static_cast<int>(wrap(i + move, modulus));
        }
        if (i == currentAdProviderIndex_) {
            currentAdProviderIndex_ = count;
            return kNoAd;
        }
    }
}

namespace {

// The network's interval for the event (events 1 to 5), or 0: never eligible.
int64_t intervalFor(const AdNetwork& network, int eventId) {
    return eventId >= 1 && eventId <= 5 ? network.eventIntervals[static_cast<size_t>(eventId - 1)] : 0;
}

int64_t storedCounter(int eventId) {
    return fnd::UserDefaults::standard().integerForKey(counterKey(eventId));
}

} // namespace

bool ORVAdController::canSelectAdProviderWithInfo(const AdNetwork& network, int maxCount) const {
    // 64-bit arithmetic: the limit times the interval cannot overflow, and no interval of 0 or less is
    // ever divided by.
    const int64_t interval = intervalFor(network, currentEventID_);
    if (interval <= 0) {
        return false;
    }
    const int64_t count = storedCounter(currentEventID_);
    return static_cast<int64_t>(maxCount) * interval > count && count % interval == 0;
}

bool ORVAdController::canSelectAdProviderWithInfo(const AdNetwork& network) const {
    const int64_t interval = intervalFor(network, currentEventID_);
    return interval > 0 && storedCounter(currentEventID_) % interval == 0;
}

AdNetworkRef ORVAdController::getCurrentAdNetwork() const {
    auto settings = orderIfAny();
    if (!settings || settings->lastNetwork < 0 || sequenceOfAdProviders_.empty()) {
        return nullptr;
    }
    // Without a banner list in the offer core the sequence is the built-in default, which no network of
    // the order stands for. Positions are read from the sequence the rotation walks.
    auto context = context_.lock();
    auto core = context ? context->offerCore() : nullptr;
    auto list = core ? core->adNetworkArray() : std::nullopt;
    if (!list || list->empty()) {
        return nullptr;
    }
    const int count = static_cast<int>(sequenceOfAdProviders_.size());
    const int64_t modulus = static_cast<int64_t>(std::min(settings->lastNetwork, count - 1)) + 1;
    const int64_t d = settings->rotationDirection == 1 ? 1 : -1;
    const int64_t position = wrap(static_cast<int64_t>(currentAdProviderIndex_) + d, modulus);
    return position < count ? sequenceOfAdProviders_[static_cast<size_t>(position)] : nullptr;
}

std::string ORVAdController::currentAdProviderName() {
    loadSequence();
    if (sequenceOfAdProviders_.empty()) {
        MED_LOG_FAILURE(3, "Failed to get a sequence of providers?! Returning default provider: %@", kDefaultProvider);
        return kDefaultProvider;
    }
    const int count = static_cast<int>(sequenceOfAdProviders_.size());
    if (currentAdProviderIndex_ < 0 || currentAdProviderIndex_ > count) {
        currentAdProviderIndex_ = 0;
    }
    for (int i = currentAdProviderIndex_; i < count; ++i) {
        const AdNetwork& net = *sequenceOfAdProviders_[static_cast<size_t>(i)];
        const int max = net.maxTimesToShowAdOnDevice;
        if ((max < 0 && canSelectAdProviderWithInfo(net)) || canSelectAdProviderWithInfo(net, max)) {
            currentAdProviderIndex_ = i + 1;
            return net.adLibraryName;
        }
    }
    return kNoAd;
}

// --- Attempts ---

void ORVAdController::startDownloadingAdFor(std::string_view rawKey) {
    if (!registerPreLoad()) {
        return;
    }
    auto current = getCurrentAdNetwork();
    if (current && current->customAd && iORVAdView_) {
        handleCustomAdEndSelector(iORVAdView_->getDelegate());
    }
    const std::string key = fnd::trim(rawKey, fnd::CharSet::WhitespaceAndNewline);
    MED_LOG(4, "Current Ad provider = <%@> for EventID=<%d> and for NsOrder", key, currentEventID_);
    auto context = context_.lock();
    auto starter = context ? context->starter(key) : MediationContext::Starter();
    if (!starter) {
        if (context && context->firstMissingAdapter(key)) {
            ZLOG_TO(kMediationLog, Info, "mediation: no adapter for %s", fnd::logPreview(key));
        }
        // Skipping moves straight on to the next network; once every position was skipped in one go (no
        // network of the order has an adapter here) the rotation ends as when none is eligible, instead of
        // walking round for ever.
        const size_t positions = std::max<size_t>(sequenceOfAdProviders_.size(), 1);
        if (skipDepth_ >= positions) {
            currentAdProviderIndex_ = static_cast<int>(sequenceOfAdProviders_.size());
            reportPreloadProblem();
            return;
        }
        ++skipDepth_;
        loadNextAdInLine();
        --skipDepth_;
        return;
    }
    if (key != "custom_ad") {
        adProviderName_ = key;
    }
    backoff_.attempted(pickedPosition_);
    const AttemptToken token = ++attempt_;
    attemptReported_ = false;
    watchdog_.cancel();
    std::weak_ptr<ORVAdController> weak = weak_from_this();
    watchdog_ = fnd::RunLoop::current().performAfter(context->watchdogSeconds(), [weak, token] {
        if (auto self = weak.lock()) {
            self->watchdogFired(token);
        }
    });
    auto adapter = starter(*this, token);
    if (token == attempt_ && !attemptReported_) {
        adapter_ = std::move(adapter);
    } else {
        // It reported while starting: its attempt is over already.
        retire(std::move(adapter));
    }
}

bool ORVAdController::acceptReport(AttemptToken token, const char* call) {
    if (token != attempt_ || attemptReported_) {
        ZLOG_TO(kMediationLog, Warn,
                "mediation: dropped a late or second report (%s) of attempt %llu; the current one is %llu", call,
                static_cast<unsigned long long>(token), static_cast<unsigned long long>(attempt_));
        return false;
    }
    attemptReported_ = true;
    watchdog_.cancel();
    retire(std::move(adapter_));
    return true;
}

void ORVAdController::retire(std::shared_ptr<MediationAdapter> adapter) {
    if (adapter) {
        // Released on the next pass, never inside the adapter's own callback.
        onMain([adapter = std::move(adapter)] {});
    }
}

void ORVAdController::watchdogFired(AttemptToken token) {
    if (token != attempt_ || attemptReported_) {
        return;
    }
    ZLOG_TO(kMediationLog, Warn, "mediation: %s gave no answer within %g s; trying the next network", adProviderName_,
            context_.lock() ? context_.lock()->watchdogSeconds() : MediationContext::kDefaultWatchdogSeconds);
    attemptReported_ = true;
    retire(std::move(adapter_));
    loadNextAdInLine();
}

fnd::Value ORVAdController::orvaneParameters() const {
    auto context = context_.lock();
    auto core = context ? context->offerCore() : nullptr;
    fnd::Value params = core ? core->genericParameters() : fnd::Value();
    auto dict = params.asDictionary();
    if (!dict) {
        params = fnd::Value::dictionary();
        dict = params.asDictionary();
    }
    dict->setObject(fnd::Value(1), "EventID");
    dict->setObject(fnd::Value(1), "EventSequenceNumber");
    if (auto net = getCurrentAdNetwork()) {
        dict->setObject(fnd::Value(net->adCampaignId), "AdCampaignID");
    }
    dict->setObject(fnd::Value(" "), "AdType");
    return params;
}

fnd::Value ORVAdController::houseAdBindings() const {
    fnd::Value params = orvaneParameters();
    auto dict = params.asDictionary();
    dict->setObject(fnd::Value(currentEventID_), "EventID");
    const fnd::Value counter = fnd::UserDefaults::standard().objectForKey(counterKey(currentEventID_));
    if (!counter.isNull()) {
        dict->setObject(counter, "EventSequenceNumber");
    }
    return params;
}

// --- Display ---

void ORVAdController::orvaneConnectDidReceiveAd(std::shared_ptr<ui::View> view) {
    auto context = context_.lock();
    std::unique_lock<std::recursive_mutex> registry;
    if (context) {
        registry = std::unique_lock(context->getLock());
    }
    auto host = iORVAdView_;
    if (!host) {
        return;
    }
    if (!view) {
        unRegisterPreLoad();
        return;
    }
    backoff_.reset();
    backoffTimer_.cancel();
    MED_LOG_FAILURE(3, "showingAd = YES %@", adProviderName_);
    MED_LOG(4, "orvaneConnectDidReceiveAd %d", static_cast<int>(view.use_count()));
    MED_LOG(3, "ORVAdController::orvaneConnectDidReceiveAd %d", static_cast<int>(view.use_count()));
    if (!host->subviews().empty()) {
        auto first = host->subviews().front();
        first->removeFromSuperview();
        MED_LOG(4, "removing ad as count was greater");
    }
    const AdOrder settings = order();
    if (!view->superview()) {
        MED_LOG(4, "Finally adding ad to for display");
        auto net = getCurrentAdNetwork();
        if (!(net && net->customAd)) {
            handleCustomAdEndSelector(host->getDelegate());
        }
        lastNetwork_ = net;
        host->addSubview(view);
        view->setUserInteractionEnabled(true);
        host->setUserInteractionEnabled(true);
        if (settings.rotationTime > 0) {
            host->setAlpha(0);
            ui::View::beginAnimations("");
            ui::View::setAnimationDuration(1.0);
            host->setAlpha(1);
            ui::View::setAnimationTransition(settings.rotationDirection == 1
                                                 ? ui::ViewAnimationTransition::FlipFromLeft
                                                 : ui::ViewAnimationTransition::FlipFromRight,
                                             *host, true);
            ui::View::commitAnimations();
        }
        view.reset();
        MED_LOG(4, "orvaneConnectDidReceiveAd after release %d", 0);
        host->adPlaced();
    }
    if (settings.rotationTime > 0) {
        MED_LOG(4, "Rotating Ad with Interval %d", settings.rotationTime);
        if (host->superview()) {
            if (context) {
                context->setAdShownState(1);
            }
            invokeAdShown();
            if (host->getCanRotateFlagAndReturn() != 0) {
                scheduleRotation(settings.rotationTime);
            }
        } else {
            rotationWaiting_ = true;
        }
    } else if (context && context->adShownState() == 0) {
        context->setAdShownState(1);
        invokeAdShown();
    }
    if (context) {
        context->setAdShownState(1);
    }
    unRegisterPreLoad();
}

void ORVAdController::invokeAdShown() {
    auto context = context_.lock();
    if (!context || context->adShownState() != 1) {
        return;
    }
    // The network on screen, not the one the rotation names next (after "noAd" that would be arbitrary).
    const AdNetworkRef net = lastNetwork_;
    const std::string campaign = net ? net->adCampaignId : std::string();
    MED_LOG(4, "AD SHOWN CALLED");
    MED_LOG(4, "ADnetwork  %@", net ? net->adLibraryName : std::string());
    MED_LOG(4, "ADnetwork  %@", campaign);
    auto core = context->offerCore();
    if (!core) {
        return;
    }
    if (net && !net->adShownURL.empty()) {
        core->directAdShownWithCampaignID(campaign);
    } else {
        core->adShownWithCampaignID(campaign);
    }
}

std::string ORVAdController::htmlForAdWithImageSourceURL(std::string_view imageURL, std::string_view clickURL) {
    return fnd::format("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 TRANSITIONAL//EN\">"
                       "<html><head><title></title></head>"
                       "<body bgcolor=\"#000000\" topmargin=\"0\" leftmargin=\"0\" style=\"margin:0\">"
                       "<a href=\"%s\"><center><img src=\"%s\" alt=\"Check it out!\" height=\"50\" width=\"300\">"
                       "</center></a></body></html>",
                       fnd::htmlEscape(clickURL), fnd::htmlEscape(imageURL));
}

// --- The adapter contract ---

void ORVAdController::viewReady(AttemptToken token, const char* call, std::shared_ptr<ui::View> view) {
    if (!acceptReport(token, call)) {
        return;
    }
    if (!view) {
        unRegisterPreLoad();
        return;
    }
    orvaneConnectDidReceiveAd(std::move(view));
}

void ORVAdController::adwickAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    viewReady(token, "adwickAdReady", std::move(view));
}

void ORVAdController::selvoProviderAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    viewReady(token, "selvoProviderAdReady", std::move(view));
}

void ORVAdController::ostromAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    MED_LOG(3, "Ostrom Ad Ready");
    if (!acceptReport(token, "ostromAdReady")) {
        return;
    }
    if (!view) {
        MED_LOG_FAILURE(3, "No Add to show from providers %@", adProviderName_);
        unRegisterPreLoad();
        return;
    }
    MED_LOG_FAILURE(3, "showing Ostrom Ad = YES %@", adProviderName_);
    ostromAdCntl_ = view;
    orvaneConnectDidReceiveAd(std::move(view));
}

void ORVAdController::reelboxAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    MED_LOG(3, "video Egg AdReady");
    if (!acceptReport(token, "reelboxAdReady")) {
        return;
    }
    if (!view) {
        MED_LOG_FAILURE(3, "No Add to show from providers %@", adProviderName_);
        unRegisterPreLoad();
        return;
    }
    MED_LOG_FAILURE(3, "showingAd = YES %@", adProviderName_);
    orvaneConnectDidReceiveAd(std::move(view));
}

void ORVAdController::quillonAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    MED_LOG(3, "Showing Quillon ad");
    viewReady(token, "quillonAdReady", std::move(view));
}

void ORVAdController::tessalyAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    MED_LOG(3, "Tessaly Add Ready");
    viewReady(token, "tessalyAdReady", std::move(view));
}

void ORVAdController::kavloAdReady(AttemptToken token, const std::string& html) {
    MED_LOG(3, "kavloAdReady");
    if (!acceptReport(token, "kavloAdReady")) {
        return;
    }
    auto context = context_.lock();
    if (!context || !context->htmlAdFactory()) {
        ZLOG_TO(kMediationLog, Info, "mediation: no HTML ad view yet, so the kavlo ad is dropped");
        unRegisterPreLoad();
        return;
    }
    kavloAdCntl_ = context->htmlAdFactory()(html, gfx::Size(300, 50));
    if (kavloAdCntl_) {
        kavloAdCntl_->setBackgroundColor(gfx::Color::black());
    }
    orvaneConnectDidReceiveAd(kavloAdCntl_);
}

void ORVAdController::selvoAdReady(AttemptToken token, const std::string& bannerURL, const std::string& clickURL,
                                   gfx::Size size) {
    MED_LOG(3, "selvoAdReady");
    if (!acceptReport(token, "selvoAdReady")) {
        return;
    }
    auto context = context_.lock();
    if (!context || !context->htmlAdFactory()) {
        ZLOG_TO(kMediationLog, Info, "mediation: no HTML ad view yet, so the selvo ad is dropped");
        unRegisterPreLoad();
        return;
    }
    currentAd_ = context->htmlAdFactory()(htmlForAdWithImageSourceURL(bannerURL, clickURL), size);
    orvaneConnectDidReceiveAd(currentAd_);
}

void ORVAdController::orvaneAdReady(AttemptToken token, const HouseAd& ad) {
    if (!acceptReport(token, "orvaneAdReady")) {
        return;
    }
    auto context = context_.lock();
    if (!context || !context->houseAdFactory()) {
        ZLOG_TO(kMediationLog, Info, "mediation: no house-ad view yet, so the house ad is dropped");
        unRegisterPreLoad();
        return;
    }
    orvaneAdCntl_ = context->houseAdFactory()(ad);
    if (orvaneAdCntl_) {
        orvaneConnectDidReceiveAd(orvaneAdCntl_);
    } else {
        MED_LOG_FAILURE(3, "No Ad from Orvane");
        unRegisterPreLoad();
    }
}

void ORVAdController::loadNextAdInLine(AttemptToken token) {
    if (acceptReport(token, "loadNextAdInLine")) {
        loadNextAdInLine();
    }
}

// --- Custom ads ---

void ORVAdController::showCustomAdTo(const std::shared_ptr<CustomAdDelegate>& delegate) {
    auto host = iORVAdView_;
    if (!customAdStartSelectorCalled_ && host && delegate && delegate->respondsToShowCustomAd()) {
        MED_LOG(4, "Custom Ads showCustomAd Called");
        customAdStartSelectorCalled_ = true;
        delegate->showCustomAd(*host);
    } else {
        MED_LOG(3, "ORV: showCustomAd is not implemented");
    }
}

void ORVAdController::customAdReady(AttemptToken token, std::shared_ptr<ui::View> view) {
    MED_LOG(3, "Custom Ad Ready");
    if (!acceptReport(token, "customAdReady")) {
        return;
    }
    if (!view) {
        MED_LOG_FAILURE(3, "Some erroe in customAds %@", adProviderName_);
        unRegisterPreLoad();
        return;
    }
    MED_LOG_FAILURE(3, "showing Custom Ad = YES %@", adProviderName_);
    {
        std::lock_guard lock(ownLock_);
        MED_LOG(4, "Custom Ads Event Called");
        customAdCalled_ = true;
        auto host = iORVAdView_;
        auto delegate = host ? host->getDelegate() : nullptr;
        if (!customAdStartSelectorCalled_ && host && delegate && delegate->respondsToShowCustomAd()) {
            host->setEventId(currentEventID_);
            if (auto net = getCurrentAdNetwork()) {
                host->setAdLibraryName(net->customAdName);
            }
        }
        showCustomAdTo(delegate);
    }
    orvaneConnectDidReceiveAd(std::move(view));
}

void ORVAdController::handleCustomAdStartSelector(const std::shared_ptr<CustomAdDelegate>& delegate) {
    std::lock_guard lock(ownLock_);
    if (!customAdCalled_) {
        return;
    }
    MED_LOG(4, "Custom Ads Event Called");
    if (auto host = iORVAdView_) {
        host->setEventId(currentEventID_);
        if (auto net = getCurrentAdNetwork()) {
            host->setAdLibraryName(net->customAdName);
        }
    }
    showCustomAdTo(delegate);
}

void ORVAdController::handleCustomAdEndSelector(const std::shared_ptr<CustomAdDelegate>& delegate) {
    std::lock_guard lock(ownLock_);
    if (!customAdCalled_) {
        return;
    }
    MED_LOG(4, "Custom Ads End Event Called");
    auto host = iORVAdView_;
    if (customAdStartSelectorCalled_ && host && delegate && delegate->respondsToEndCustomAd()) {
        MED_LOG(4, "Custom Ads endCustomAd Called");
        customAdStartSelectorCalled_ = false;
        host->setEventId(currentEventID_);
        if (lastNetwork_) {
            host->setAdLibraryName(lastNetwork_->customAdName);
        }
        delegate->endCustomAd(*host);
    } else {
        MED_LOG(3, "ORV: endCustomAd is not implemented");
    }
}

// --- Uncalled operations ---

std::shared_ptr<ui::View> ORVAdController::populateAdView() {
    if (currentAd_) {
        showingAd_ = true;
        return currentAd_;
    }
    MED_LOG_FAILURE(3, "No Add to show from providers %@", adProviderName_);
    return nullptr;
}

void ORVAdController::hideAd() {
    showingAd_ = false;
    currentAd_.reset();
}

void ORVAdController::startAdsRotation() {
    areAdsRotating_ = true;
    loadNextAdInLine();
}

void ORVAdController::openWebpage(const std::string& url) {
    ui::Application::shared().openURL(url);
}

} // namespace zelvan::mediation
