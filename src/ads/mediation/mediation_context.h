// MediationContext: what the banner mediation shares process-wide - the controller registry (one
// controller per event id) and its lock, the impression state, the network starters, the view factories
// of the networks whose adapters hand over raw ads, the offer core and the settings - held in the
// application registry's `mediation` slot and reached through context(). Main thread unless noted.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "ads/mediation/mediation_types.h"
#include "ads/mediation/network_libraries.h"
#include "core/network_endpoint.h"
#include "platform/graphics/geometry.h"

namespace ui {
class View;
}

namespace zelvan::mediation {

class ORVAdController;
class MediationAdapter;
class HouseAdService;
class OrvaneAdInterface;
class KavloInterface;
class SelvoInterface;

// Names one attempt of a controller; the adapter passes it back with its report.
using AttemptToken = uint64_t;

class MediationContext : public std::enable_shared_from_this<MediationContext> {
public:
    static constexpr int kDefaultLogThreshold = 3;
    // Above the slowest adapter's own limits (10 s connect plus 20 s reply).
    static constexpr double kDefaultWatchdogSeconds = 45;

    // Starts one attempt of a network for `controller`; the adapter it returns (null for one that keeps no
    // per-attempt object) is owned by the controller until the attempt ends.
    using Starter = std::function<std::shared_ptr<MediationAdapter>(ORVAdController& controller, AttemptToken token)>;
    // Makes the view of an HTML banner (raw-HTML networks) of the given size.
    using HtmlAdFactory = std::function<std::shared_ptr<ui::View>(const std::string& html, gfx::Size size)>;
    // Makes the view of a house ad.
    using HouseAdFactory = std::function<std::shared_ptr<ui::View>(const HouseAd& ad)>;

    // Starts with the "custom_ad" and "orvaneads" (house ads) starters.
    MediationContext();
    MediationContext(const MediationContext&) = delete;
    MediationContext& operator=(const MediationContext&) = delete;

    // --- The controller registry (every operation holds the registry lock) ---
    std::recursive_mutex& getLock() { return lock_; }
    // The event's controller, or null.
    std::shared_ptr<ORVAdController> getAdController(int eventId);
    // Replaces the event's controller by a new one that takes over the old one's host view.
    std::shared_ptr<ORVAdController> resetAdController(int eventId);
    // Drops every controller; their host views forget them.
    void destroy();
    // Removes every subview of `view`.
    static void cleanView(ui::View& view);

    // -1: no show request since launch; 0: a show request and no ad since; 1: an ad was received.
    int adShownState() const { return adShownState_; }
    void setAdShownState(int state) { adShownState_ = state; }

    // --- Reaching the networks ---
    void setStarter(const std::string& key, Starter starter);
    // The starter of the key (compared exactly), or empty.
    Starter starter(const std::string& key) const;
    // True the first time a key without a starter is met in this run.
    bool firstMissingAdapter(const std::string& key) { return missing_.insert(key).second; }
    const HtmlAdFactory& htmlAdFactory() const { return htmlAdFactory_; }
    void setHtmlAdFactory(HtmlAdFactory factory) { htmlAdFactory_ = std::move(factory); }
    const HouseAdFactory& houseAdFactory() const { return houseAdFactory_; }
    void setHouseAdFactory(HouseAdFactory factory) { houseAdFactory_ = std::move(factory); }

    // The offer network's house-ad service (null: no house ads are fetched).
    std::shared_ptr<HouseAdService> houseAdService() const { return houseAdService_; }
    void setHouseAdService(std::shared_ptr<HouseAdService> service) { houseAdService_ = std::move(service); }
    // The house-ad request of this context, made at the first call.
    std::shared_ptr<OrvaneAdInterface> orvaneAdInterface();

    // The raw-HTTP adapters' shared instances, made at the first call.
    std::shared_ptr<KavloInterface> kavloInterface();
    std::shared_ptr<SelvoInterface> selvoInterface();
    // Where the ad hosts the adapters ask directly are: each under its own prefix of this endpoint's base
    // (not configured when no --ads-base was given).
    const NetworkEndpoint& endpoint() const { return endpoint_; }
    void setEndpoint(NetworkEndpoint endpoint) { endpoint_ = std::move(endpoint); }
    // True the first time `network` finds no ad host in this run (it logs one line then).
    bool firstWithoutHost(const std::string& network) { return withoutHost_.insert(network).second; }

    // The offer client (null: no order, no impressions sent).
    std::shared_ptr<OfferCore> offerCore() const { return offerCore_; }
    void setOfferCore(std::shared_ptr<OfferCore> core) { offerCore_ = std::move(core); }

    // --- Settings ---
    double watchdogSeconds() const { return watchdogSeconds_; }
    void setWatchdogSeconds(double seconds) { watchdogSeconds_ = seconds; }
    // The log threshold: the source's answer when one is set (the offer network's), else 3.
    int logThreshold() const { return thresholdSource_ ? thresholdSource_() : kDefaultLogThreshold; }
    void setLogThresholdSource(std::function<int()> source) { thresholdSource_ = std::move(source); }

    // --- The clients behind thin interfaces, and full-page ads ---
    NetworkLibraries& libraries() { return libraries_; }

private:
    std::recursive_mutex lock_;
    std::map<int, std::shared_ptr<ORVAdController>> controllers_;
    int adShownState_ = -1;
    std::map<std::string, Starter> starters_;
    std::set<std::string> missing_;
    HtmlAdFactory htmlAdFactory_;
    HouseAdFactory houseAdFactory_;
    std::shared_ptr<HouseAdService> houseAdService_;
    std::shared_ptr<OrvaneAdInterface> orvaneAdInterface_;
    std::shared_ptr<KavloInterface> kavloInterface_;
    std::shared_ptr<SelvoInterface> selvoInterface_;
    NetworkEndpoint endpoint_;
    std::set<std::string> withoutHost_;
    std::shared_ptr<OfferCore> offerCore_;
    double watchdogSeconds_ = kDefaultWatchdogSeconds;
    std::function<int()> thresholdSource_;
    NetworkLibraries libraries_;
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate.
std::shared_ptr<MediationContext> context();

} // namespace zelvan::mediation
