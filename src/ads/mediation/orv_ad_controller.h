// ORVAdController: one ad event's banner mediation. It picks the next network of the ad order (rotation
// over the ordered list, with per-network show limits counted per event on the device), starts that
// network's adapter through the context's starters, takes the finished ad view from it, swaps it into the
// banner host view with a flip, reports the impression to the offer network and schedules the next
// rotation.
//
// Each attempt gets a token that its adapter passes back with its one report; a second or late report is
// logged and dropped. A silent attempt is ended after the context's watchdog time as if its adapter had
// found no ad. The controller owns the running adapter (adapters hold it weakly and only report) and
// releases it on the run loop's next pass once the attempt ended. A failed attempt starts the next network
// at once until the rotation comes back to a network this round already tried; then the next round waits
// for the round back-off (RoundBackoff), which an ad that shows starts over. Main thread.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_types.h"
#include "ads/mediation/orv_ad_view.h"
#include "ads/mediation/round_backoff.h"
#include "platform/foundation/observer_token.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"

namespace ui {
class View;
}

namespace zelvan::mediation {

class ORVCustomAdViewController;

// One network's attempt: made by its starter, owned by the controller until it reports.
class MediationAdapter {
public:
    virtual ~MediationAdapter() = default;
};

class ORVAdController : public ORVAdViewOwner, public std::enable_shared_from_this<ORVAdController> {
public:
    static constexpr const char* kNoAd = "noAd";
    static constexpr const char* kDefaultProvider = "orvaneads";
    static constexpr const char* kOrderReceived = "GetAdOrderDidReceiveData";

    // A controller with a fresh host view (0, 430, 320, 50), listening for the next ad order.
    static std::shared_ptr<ORVAdController> create(std::weak_ptr<MediationContext> context);
    ~ORVAdController() override;
    ORVAdController(const ORVAdController&) = delete;
    ORVAdController& operator=(const ORVAdController&) = delete;

    // --- Accessors ---
    int currentAdProviderIndex() const { return currentAdProviderIndex_; }
    void setCurrentAdProviderIndex(int index) { currentAdProviderIndex_ = index; }
    int currentEventID() const { return currentEventID_; }
    void setCurrentEventID(int eventId) { currentEventID_ = eventId; }
    const std::shared_ptr<ORVAdView>& iORVAdView() const { return iORVAdView_; }
    void setIORVAdView(std::shared_ptr<ORVAdView> view) { iORVAdView_ = std::move(view); }
    const std::string& adProviderName() const { return adProviderName_; }
    void setAdProviderName(std::string name) { adProviderName_ = std::move(name); }
    const std::vector<AdNetworkRef>& sequenceOfAdProviders() const { return sequenceOfAdProviders_; }
    void setSequenceOfAdProviders(std::vector<AdNetworkRef> sequence) { sequenceOfAdProviders_ = std::move(sequence); }
    bool areAdsRotating() const { return areAdsRotating_; }
    void setAreAdsRotating(bool rotating) { areAdsRotating_ = rotating; }
    int die() const { return die_; }
    void setDie(int die) { die_ = die; }
    bool anyThreadActive() const { return anyThreadActive_; }
    void setAnyThreadActive(bool active) { anyThreadActive_ = active; }
    // 0 idle, 1 an attempt is running, 2 the rotation moved on.
    int anyPreloadActive() const;
    bool rotationWaiting() const { return rotationWaiting_; }
    // The network whose ad is on screen, or null.
    const AdNetworkRef& lastNetwork() const { return lastNetwork_; }
    // The token of the latest attempt (0 before the first).
    AttemptToken currentAttempt() const { return attempt_; }
    void setCustomAdCntl(std::shared_ptr<ORVCustomAdViewController> view) { customAdCntl_ = std::move(view); }

    // --- Driving ---
    // Starts the first attempt for the event.
    void preLoadAd(int eventId);
    // Counts a show request, resumes a waiting rotation and returns the host view.
    std::shared_ptr<ORVAdView> broadcastAd(int eventId);
    // The network had no ad: the next one is tried at once, or after the back-off once the round is over.
    void loadNextAdInLine();
    // The rotation step (also the rotation timer's target).
    void rotateToNextAd();
    // Takes the offer core's banner list, if it has one, and stops listening for orders.
    void updateAdProviderList();

    // --- Rotation ---
    // The key of the network to try, "noAd", or "orvaneads" when there is no list at all.
    std::string rotationNextAd(int step, int last);
    bool canSelectAdProviderWithInfo(const AdNetwork& network, int maxCount) const;
    bool canSelectAdProviderWithInfo(const AdNetwork& network) const;
    // The network being tried or shown; null without an order, while the order names no banner network
    // (the house ads the rotation then falls back on are no network of the order), or outside the sequence.
    AdNetworkRef getCurrentAdNetwork() const;
    // The forward-only form of the rotation.
    std::string currentAdProviderName();

    // --- Attempts and display ---
    // Starts one network's adapter (nothing while an attempt runs).
    void startDownloadingAdFor(std::string_view key);
    // The house-ad request's base parameters (a dictionary): the offer core's generic parameters, "EventID"
    // and "EventSequenceNumber" 1, the current network's "AdCampaignID" when there is one, "AdType" " ".
    fnd::Value orvaneParameters() const;
    // What the "orvaneads" network sends: orvaneParameters with "EventID" the current event and, when the
    // event has a stored show counter, "EventSequenceNumber" that counter.
    fnd::Value houseAdBindings() const;
    // Puts a finished ad on screen.
    void orvaneConnectDidReceiveAd(std::shared_ptr<ui::View> view);
    // The impression report for the network on screen.
    void invokeAdShown();
    // A whole page showing the image linked to the click address (both escaped).
    static std::string htmlForAdWithImageSourceURL(std::string_view imageURL, std::string_view clickURL);

    // --- The adapter contract: each attempt ends with one of these, with its token ---
    void adwickAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void selvoProviderAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void ostromAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void reelboxAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void quillonAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void tessalyAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void kavloAdReady(AttemptToken token, const std::string& html);
    void selvoAdReady(AttemptToken token, const std::string& bannerURL, const std::string& clickURL, gfx::Size size);
    void orvaneAdReady(AttemptToken token, const HouseAd& ad);
    void customAdReady(AttemptToken token, std::shared_ptr<ui::View> view);
    void loadNextAdInLine(AttemptToken token);

    // --- Custom ads ---
    void handleCustomAdStartSelector(const std::shared_ptr<CustomAdDelegate>& delegate) override;
    void handleCustomAdEndSelector(const std::shared_ptr<CustomAdDelegate>& delegate) override;

    // --- Kept for completeness; nothing in the client calls them ---
    std::shared_ptr<ui::View> populateAdView();
    void hideAd();
    void startAdsRotation();
    void openWebpage(const std::string& url);
    static void resetCurrentAdvertisement() {}

private:
    explicit ORVAdController(std::weak_ptr<MediationContext> context);

    bool registerPreLoad();
    void reportPreloadProblem();
    void unRegisterPreLoad();
    // The order's settings (defaults without an order).
    AdOrder order() const;
    std::optional<AdOrder> orderIfAny() const;
    // Loads the sequence when it is empty.
    void loadSequence();
    // Takes a report of `token`: false (logged) for a late or second one. Ends the attempt otherwise.
    bool acceptReport(AttemptToken token, const char* call);
    void retire(std::shared_ptr<MediationAdapter> adapter);
    void watchdogFired(AttemptToken token);
    void scheduleRotation(double seconds);
    // Every network of the round was tried without an ad: the next round starts after the back-off.
    void beginBackoff();
    // The ready calls that hand over a finished view (nil ends the attempt).
    void viewReady(AttemptToken token, const char* call, std::shared_ptr<ui::View> view);
    void showCustomAdTo(const std::shared_ptr<CustomAdDelegate>& delegate);

    std::weak_ptr<MediationContext> context_;
    std::shared_ptr<ui::View> currentAd_;
    std::vector<AdNetworkRef> sequenceOfAdProviders_;
    std::string adProviderName_;
    int currentAdProviderIndex_ = 0;
    int currentEventID_ = 0;
    bool rotationWaiting_ = false;
    std::shared_ptr<ORVAdView> iORVAdView_;
    std::shared_ptr<ui::View> kavloAdCntl_, orvaneAdCntl_, ostromAdCntl_;
    std::shared_ptr<ORVCustomAdViewController> customAdCntl_;
    bool areAdsRotating_ = false;
    int anyPreloadActive_ = 0;
    mutable std::mutex anyPreloadActiveLockObj_;
    std::recursive_mutex ownLock_;
    bool customAdCalled_ = false;
    bool customAdStartSelectorCalled_ = false;
    AdNetworkRef lastNetwork_;
    bool showingAd_ = false;
    int die_ = 0;
    bool anyThreadActive_ = false;

    // The running attempt.
    AttemptToken attempt_ = 0;
    bool attemptReported_ = true;
    std::shared_ptr<MediationAdapter> adapter_;
    fnd::PerformHandle watchdog_;
    fnd::ObserverToken orderObserver_;
    // Networks skipped in a row for want of an adapter, within one rotation.
    size_t skipDepth_ = 0;
    // The position of the network rotationNextAd named last (-1 for none, or the default provider).
    int pickedPosition_ = -1;
    RoundBackoff backoff_;
    fnd::PerformHandle backoffTimer_;
};

} // namespace zelvan::mediation
