// ITDSelvoAdvertisement: the mediation's adapter for the "selvo" network. For one attempt it makes a
// Selvo small-banner view with the network's two ids, starts it, and reports once with its attempt token:
// itself, holding the Selvo view, when an ad is displayed, or loadNextAdInLine when the client reports an
// error. The client calls its delegate from its operation threads too: the delegate it is given is a relay
// that only moves each call to the main run loop, so the adapter and the controller are touched on the
// main thread alone, and never while the client is inside the call. The controller owns the adapter; a
// silent client is ended by the controller's watchdog.
#pragma once

#include <memory>
#include <optional>

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/selvo_library.h"
#include "platform/ui/view.h"

namespace zelvan::mediation {

class ITDSelvoAdvertisement : public ui::View, public MediationAdapter {
public:
    // Frame (0, 0, 320, 48) in the offer core's ad background, then loadSelvoAd.
    static std::shared_ptr<ITDSelvoAdvertisement> initWithController(std::weak_ptr<ORVAdController> controller,
                                                                     AttemptToken token,
                                                                     std::weak_ptr<MediationContext> context);

    std::string className() const override { return "ITDSelvoAdvertisement"; }

    // Test mode off, logging off, a type-1 view for the network being tried (publisher id
    // AdNetworkGameID1, site id AdNetworkGameID2, orientation 1), black, displayNewAd. Without the Selvo
    // client the attempt finds no ad (reported on the next pass).
    void loadSelvoAd();

    // --- The view's delegate calls, on the main thread ---
    void adViewDidDisplayAd(const SelvoAd& ad);
    void adViewFailedWithError(const std::string& description);
    // Opens the current ad's landing URL with the system, when it has one.
    void adViewDisplayLandingPage();
    void adViewDismiss() {}
    void adViewPrefetchCompleted();
    void willRefreshCache();
    void willRequestAd();

    std::shared_ptr<ORVAdController> adController() const { return adController_.lock(); }
    const std::shared_ptr<SelvoBanner>& adView() const { return adView_; }
    // The ad last displayed.
    const std::optional<SelvoAd>& qad() const { return qad_; }

private:
    class Relay;

    void noAd();

    std::weak_ptr<ORVAdController> adController_;
    AttemptToken token_ = 0;
    bool reported_ = false;
    std::weak_ptr<MediationContext> context_;
    std::shared_ptr<SelvoBanner> adView_;
    std::shared_ptr<Relay> relay_;
    std::optional<SelvoAd> qad_;
};

} // namespace zelvan::mediation
