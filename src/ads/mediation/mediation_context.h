// MediationContext: what the banner mediation shares process-wide - the registry lock and the impression
// state, the network starters, the view factories of the networks whose adapters hand over raw ads, the offer
// core, the house-ad service, the ad hosts' endpoint, the settings and the clients behind the thin interfaces
// (NetworkLibraries). It constructs nothing of the mediation above it: makeMediation (mediation_wiring.h)
// makes it with the objects its class-level entry points hand out (the controller registry, the house-ad
// request, the raw Kavlo and Selvo requests), and every adapter is handed it at construction. The
// application registry's `mediation` slot holds it. Main thread unless noted.
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
class AdControllerRegistry;
class OrvaneAdInterface;
class KavloInterface;
class SelvoInterface;

// Names one attempt of a controller; the adapter passes it back with its report.
using AttemptToken = uint64_t;

class MediationContext : public std::enable_shared_from_this<MediationContext> {
public:
    // Above the slowest adapter's own limits (10 s connect plus 20 s reply).
    static constexpr double kDefaultWatchdogSeconds = 45;

    // Starts one attempt of a network for `controller`; the adapter it returns (null for one that keeps no
    // per-attempt object) is owned by the controller until the attempt ends.
    using Starter = std::function<std::shared_ptr<MediationAdapter>(ORVAdController& controller, AttemptToken token)>;
    // Makes the view of an HTML banner (raw-HTML networks) of the given size.
    using HtmlAdFactory = std::function<std::shared_ptr<ui::View>(const std::string& html, gfx::Size size)>;
    // Makes the view of a house ad.
    using HouseAdFactory = std::function<std::shared_ptr<ui::View>(const HouseAd& ad)>;

    // No starters yet; `libraries` are the clients behind the thin interfaces (an empty set: no network of
    // theirs has an ad).
    explicit MediationContext(std::shared_ptr<NetworkLibraries> libraries = std::make_shared<NetworkLibraries>());
    MediationContext(const MediationContext&) = delete;
    MediationContext& operator=(const MediationContext&) = delete;

    // The lock of the controller registry, which every registry operation and every ad put on screen holds.
    std::recursive_mutex& getLock() { return lock_; }

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

    // --- The clients behind thin interfaces, and full-page ads ---
    NetworkLibraries& libraries() { return *libraries_; }

    // --- What the class-level entry points hand out, set by makeMediation (null until then) ---
    // The controller registry (ORVAdModel).
    const std::shared_ptr<AdControllerRegistry>& controllers() const { return controllers_; }
    void setControllers(std::shared_ptr<AdControllerRegistry> registry) { controllers_ = std::move(registry); }
    // The house-ad request and the raw-HTTP adapters (their sharedInstance).
    const std::shared_ptr<OrvaneAdInterface>& orvaneAdInterface() const { return orvaneAdInterface_; }
    void setOrvaneAdInterface(std::shared_ptr<OrvaneAdInterface> made) { orvaneAdInterface_ = std::move(made); }
    const std::shared_ptr<KavloInterface>& kavloInterface() const { return kavloInterface_; }
    void setKavloInterface(std::shared_ptr<KavloInterface> made) { kavloInterface_ = std::move(made); }
    const std::shared_ptr<SelvoInterface>& selvoInterface() const { return selvoInterface_; }
    void setSelvoInterface(std::shared_ptr<SelvoInterface> made) { selvoInterface_ = std::move(made); }

private:
    std::recursive_mutex lock_;
    // Members go bottom-up: the clients (libraries_) first, the controllers with their running adapters last.
    std::shared_ptr<AdControllerRegistry> controllers_;
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
    std::shared_ptr<NetworkLibraries> libraries_;
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate; only the class-level entry points (mediation_entry_points.cpp)
// call it.
std::shared_ptr<MediationContext> context();

} // namespace zelvan::mediation
