// The Selvo adapter: the view it starts, the relay that brings the view's calls to the main thread, and
// the one report.
#include "ads/mediation/itd_selvo_advertisement.h"

#include <functional>

#include "ads/mediation/med_log.h"
#include "core/main_thread.h"
#include "platform/ui/application.h"

namespace zelvan::mediation {

// Moves each call of the client to the main run loop. It never takes a strong reference to the adapter
// off the main thread, so the adapter (and the views it holds) always goes on the main thread.
class ITDSelvoAdvertisement::Relay final : public SelvoBannerDelegate {
public:
    explicit Relay(std::weak_ptr<ITDSelvoAdvertisement> adapter) : adapter_(std::move(adapter)) {}

    void didDisplayAd(const SelvoAd& ad) override {
        hop([ad](ITDSelvoAdvertisement& adapter) { adapter.adViewDidDisplayAd(ad); });
    }
    void failedWithError(const std::string& description) override {
        hop([description](ITDSelvoAdvertisement& adapter) { adapter.adViewFailedWithError(description); });
    }
    void displayLandingPage() override {
        hop([](ITDSelvoAdvertisement& adapter) { adapter.adViewDisplayLandingPage(); });
    }
    void dismiss() override {
        hop([](ITDSelvoAdvertisement& adapter) { adapter.adViewDismiss(); });
    }
    void prefetchCompleted() override {
        hop([](ITDSelvoAdvertisement& adapter) { adapter.adViewPrefetchCompleted(); });
    }
    void willRefreshCache() override {
        hop([](ITDSelvoAdvertisement& adapter) { adapter.willRefreshCache(); });
    }
    void willRequestAd() override {
        hop([](ITDSelvoAdvertisement& adapter) { adapter.willRequestAd(); });
    }

private:
    void hop(std::function<void(ITDSelvoAdvertisement&)> call) { onMain(adapter_, std::move(call)); }

    std::weak_ptr<ITDSelvoAdvertisement> adapter_;
};

std::shared_ptr<ITDSelvoAdvertisement>
ITDSelvoAdvertisement::initWithController(std::weak_ptr<ORVAdController> controller, AttemptToken token,
                                          std::weak_ptr<MediationContext> context) {
    auto view = ui::View::create<ITDSelvoAdvertisement>(gfx::Rect());
    view->adController_ = std::move(controller);
    view->token_ = token;
    view->context_ = std::move(context);
    view->relay_ = std::make_shared<Relay>(view);
    view->setFrame(gfx::Rect(0, 0, 320, 48));
    auto shared = view->context_.lock();
    auto core = shared ? shared->offerCore() : nullptr;
    auto background = core ? core->adsBackGroundColor() : std::nullopt;
    view->setBackgroundColor(background.value_or(gfx::Color::clear()));
    view->loadSelvoAd();
    return view;
}

void ITDSelvoAdvertisement::loadSelvoAd() {
    auto context = context_.lock();
    auto library = context ? context->libraries().selvo : nullptr;
    if (library && library->available()) {
        library->setTestMode(false);
        library->SVSetLogging(0);
        auto controller = adController_.lock();
        auto network = controller ? controller->getCurrentAdNetwork() : nullptr;
        const std::string publisher = network ? network->adNetworkGameIDs[0] : std::string();
        const std::string site = network ? network->adNetworkGameIDs[1] : std::string();
        adView_ = library->adViewWithType(1, publisher, site, 1, relay_);
    } else if (context) {
        context->libraries().noteMissingClient("selvo");
    }
    auto shown = adView_ ? adView_->view() : nullptr;
    if (!shown) {
        adView_.reset();
        onMain(self<ITDSelvoAdvertisement>(), &ITDSelvoAdvertisement::noAd);
        return;
    }
    shown->setBackgroundColor(gfx::Color::black());
    adView_->displayNewAd();
}

void ITDSelvoAdvertisement::noAd() {
    if (reported_) {
        return;
    }
    reported_ = true;
    auto controller = adController_.lock();
    adController_.reset();
    if (controller) {
        controller->loadNextAdInLine(token_);
    }
}

void ITDSelvoAdvertisement::adViewDidDisplayAd(const SelvoAd& ad) {
    qad_ = ad;
    MED_LOG_FAILURE(4, "(SVAdView *)adView didDisplayAd");
    if (reported_ || !adView_) {
        return; // a refreshed ad: the view already shows it inside this one
    }
    reported_ = true;
    if (auto shown = adView_->view()) {
        addSubview(shown);
    }
    auto controller = adController_.lock();
    adController_.reset();
    if (controller) {
        controller->selvoProviderAdReady(token_, self<ITDSelvoAdvertisement>());
    }
}

void ITDSelvoAdvertisement::adViewFailedWithError(const std::string& description) {
    MED_LOG_FAILURE(4, "failedWithError");
    MED_LOG(5, "Selvo error: %@", description);
    noAd();
}

void ITDSelvoAdvertisement::adViewDisplayLandingPage() {
    auto ad = adView_ ? adView_->ad() : std::nullopt;
    if (ad && !ad->url.empty()) {
        ui::Application::shared().openURL(ad->url);
    }
}

void ITDSelvoAdvertisement::adViewPrefetchCompleted() {
    MED_LOG_FAILURE(4, "adViewPrefetchCompleted");
}

void ITDSelvoAdvertisement::willRefreshCache() {
    MED_LOG_FAILURE(4, "willRefreshCache");
}

void ITDSelvoAdvertisement::willRequestAd() {
    MED_LOG_FAILURE(4, "willRequestAd");
}

} // namespace zelvan::mediation
