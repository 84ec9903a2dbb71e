// The mediation's thin client interfaces over the real clients, and the full-page bridge.
#include "app/wiring/mediation_libraries.h"

#include <mutex>

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_delegate.h"
#include "ads/adwick/adwick_view.h"
#include "ads/marlin/marlin_entry_points.h"
#include "ads/mediation/adwick_library.h"
#include "ads/mediation/marlin_library.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_full_page_ads_controller.h"
#include "ads/mediation/selvo_library.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_run_mode.h"
#include "ads/selvo/view/sv_ad_view.h"
#include "core/app_registry.h"
#include "offers/orvane/client/orv_ad_model.h"
#include "platform/device/location.h"

namespace zelvan::app {
namespace {

// --- Adwick ---

// The client's delegate over the mediation's; the banner keeps it.
class AdwickBridge final : public adwick::AdwickDelegate {
public:
    explicit AdwickBridge(std::weak_ptr<mediation::AdwickBannerDelegate> to) : to_(std::move(to)) {}

    std::optional<std::string> publisherId() override {
        auto to = to_.lock();
        return to ? to->publisherId() : std::nullopt;
    }
    void didReceiveAd(adwick::AdwickView& view) override {
        if (auto to = to_.lock()) {
            to->didReceiveAd(view);
        }
    }
    void didFailToReceiveAd(adwick::AdwickView& view) override {
        if (auto to = to_.lock()) {
            to->didFailToReceiveAd(view);
        }
    }
    std::optional<gfx::Color> adBackgroundColor() override {
        auto to = to_.lock();
        return to ? to->adBackgroundColor() : std::nullopt;
    }
    std::optional<gfx::Color> primaryTextColor() override {
        auto to = to_.lock();
        return to ? std::optional<gfx::Color>(to->primaryTextColor()) : std::nullopt;
    }
    std::optional<gfx::Color> secondaryTextColor() override {
        auto to = to_.lock();
        return to ? std::optional<gfx::Color>(to->secondaryTextColor()) : std::nullopt;
    }
    std::optional<bool> mayAskForLocation() override {
        auto to = to_.lock();
        return to ? std::optional<bool>(to->mayAskForLocation()) : std::nullopt;
    }
    std::optional<std::shared_ptr<device::Location>> location() override {
        auto to = to_.lock();
        auto point = to ? to->location() : std::nullopt;
        if (!point) {
            return std::nullopt;
        }
        return device::Location::initWithLatitude(point->latitude, point->longitude);
    }

private:
    std::weak_ptr<mediation::AdwickBannerDelegate> to_;
};

class AdwickBannerOf final : public mediation::AdwickBanner {
public:
    AdwickBannerOf(std::shared_ptr<AdwickBridge> bridge, std::shared_ptr<adwick::AdwickView> view)
        : bridge_(std::move(bridge)), view_(std::move(view)) {}
    std::shared_ptr<ui::View> view() override { return view_; }

private:
    std::shared_ptr<AdwickBridge> bridge_;
    std::shared_ptr<adwick::AdwickView> view_;
};

class AdwickClient final : public mediation::AdwickLibrary {
public:
    explicit AdwickClient(zelvanAppDelegate& delegate) : delegate_(delegate) {}
    std::shared_ptr<mediation::AdwickBanner>
    requestAdWithDelegate(std::weak_ptr<mediation::AdwickBannerDelegate> to) override {
        if (!delegate_.service(&AppRegistry::adwick)) {
            return nullptr;
        }
        auto bridge = std::make_shared<AdwickBridge>(std::move(to));
        auto view = adwick::AdwickView::requestAdWithDelegate(bridge);
        return view ? std::make_shared<AdwickBannerOf>(std::move(bridge), std::move(view)) : nullptr;
    }

private:
    zelvanAppDelegate& delegate_;
};

// --- Selvo ---

mediation::SelvoAd selvoAd(const selvo::SVAd& ad) {
    return mediation::SelvoAd{ad.adID(), ad.url()};
}

// The view's delegate over the mediation's; the banner keeps it. Some calls come from operation threads:
// they go straight on to the mediation's delegate, which expects that.
class SelvoBridge final : public selvo::SVAdViewDelegate {
public:
    explicit SelvoBridge(std::weak_ptr<mediation::SelvoBannerDelegate> to) : to_(std::move(to)) {}

    void adViewDidDisplayAd(selvo::SVAdView&, const std::shared_ptr<selvo::SVAd>& ad) override {
        if (auto to = to_.lock()) {
            to->didDisplayAd(ad ? selvoAd(*ad) : mediation::SelvoAd{});
        }
    }
    void adViewFailedWithError(selvo::SVAdView&, const fnd::Error& error) override {
        if (auto to = to_.lock()) {
            to->failedWithError(error.localizedDescription());
        }
    }
    bool implementsDisplayLandingPage() const override { return true; }
    void adViewDisplayLandingPage(selvo::SVAdView&, const std::shared_ptr<selvo::SVWebViewController>&) override {
        if (auto to = to_.lock()) {
            to->displayLandingPage();
        }
    }
    void adViewDismiss(selvo::SVAdView&, selvo::SVWebViewController&) override {
        if (auto to = to_.lock()) {
            to->dismiss();
        }
    }
    void adViewPrefetchCompleted(selvo::SVAdView&) override {
        if (auto to = to_.lock()) {
            to->prefetchCompleted();
        }
    }
    void willRefreshCache(selvo::SVAdView&) override {
        if (auto to = to_.lock()) {
            to->willRefreshCache();
        }
    }
    void willRequestAd(selvo::SVAdView&) override {
        if (auto to = to_.lock()) {
            to->willRequestAd();
        }
    }

private:
    std::weak_ptr<mediation::SelvoBannerDelegate> to_;
};

class SelvoBannerOf final : public mediation::SelvoBanner {
public:
    SelvoBannerOf(std::shared_ptr<SelvoBridge> bridge, std::shared_ptr<selvo::SVAdView> view)
        : bridge_(std::move(bridge)), view_(std::move(view)) {}
    std::shared_ptr<ui::View> view() override { return view_; }
    void displayNewAd() override { view_->displayNewAd(); }
    std::optional<mediation::SelvoAd> ad() override {
        return view_->ad() ? std::optional<mediation::SelvoAd>(selvoAd(*view_->ad())) : std::nullopt;
    }

private:
    std::shared_ptr<SelvoBridge> bridge_;
    std::shared_ptr<selvo::SVAdView> view_;
};

class SelvoClient final : public mediation::SelvoLibrary {
public:
    explicit SelvoClient(zelvanAppDelegate& delegate) : delegate_(delegate) {}
    bool available() override { return delegate_.service(&AppRegistry::selvo) != nullptr; }
    void setTestMode(bool on) override {
        if (auto context = delegate_.service(&AppRegistry::selvo)) {
            selvo::SVAdView::setTestMode(*context, on);
        }
    }
    void SVSetLogging(int level) override {
        if (auto context = delegate_.service(&AppRegistry::selvo)) {
            selvo::SVSetLogging(*context, level != 0);
        }
    }
    std::shared_ptr<mediation::SelvoBanner> adViewWithType(int type, const std::string& publisherId,
                                                           const std::string& siteId, int orientation,
                                                           std::weak_ptr<mediation::SelvoBannerDelegate> to) override {
        auto context = delegate_.service(&AppRegistry::selvo);
        if (!context) {
            return nullptr;
        }
        auto bridge = std::make_shared<SelvoBridge>(std::move(to));
        auto view = selvo::SVAdView::adViewWithType(context, type, publisherId, siteId, orientation, bridge);
        return view ? std::make_shared<SelvoBannerOf>(std::move(bridge), std::move(view)) : nullptr;
    }

private:
    zelvanAppDelegate& delegate_;
};

// --- Marlin ---

class MarlinBridge final : public marlin::MarlinDelegate {
public:
    explicit MarlinBridge(std::weak_ptr<mediation::MarlinListener> to) : to_(std::move(to)) {}
    void marlinDisplayWillOpen() override {
        if (auto to = to_.lock()) {
            to->marlinDisplayWillOpen();
        }
    }
    void marlinDisplayWillClose() override {
        if (auto to = to_.lock()) {
            to->marlinDisplayWillClose();
        }
    }
    void marlinDidReceiveMemoryWarning() override {
        if (auto to = to_.lock()) {
            to->marlinDidReceiveMemoryWarning();
        }
    }
    void marlinAdDisplayFailed() override {
        if (auto to = to_.lock()) {
            to->marlinAdDisplayFailed();
        }
    }
    void marlinConnectionFailed() override {
        if (auto to = to_.lock()) {
            to->marlinConnectionFailed();
        }
    }

private:
    std::weak_ptr<mediation::MarlinListener> to_;
};

class MarlinClient final : public mediation::MarlinLibrary {
public:
    explicit MarlinClient(zelvanAppDelegate& delegate) : delegate_(delegate) {}
    bool available() override { return delegate_.service(&AppRegistry::marlin) != nullptr; }
    void MNInit(int64_t applicationId) override { marlin::MNInit(applicationId); }
    void MNSetDelegate(std::weak_ptr<mediation::MarlinListener> listener) override {
        // The client holds its delegate weakly: this keeps the bridge.
        bridge_ = std::make_shared<MarlinBridge>(std::move(listener));
        marlin::MNSetDelegate(bridge_);
    }
    void MNSetTimeout(int seconds) override { marlin::MNSetTimeout(seconds); }
    void MNSetRelativeRotation(float degrees) override { marlin::MNSetRelativeRotation(degrees); }
    bool MNDisplayAd() override { return marlin::MNDisplayAd(); }
    void MNDealloc() override { marlin::MNDealloc(); }

private:
    zelvanAppDelegate& delegate_;
    std::shared_ptr<MarlinBridge> bridge_;
};

// --- Full page ---

class FullPageBridge final : public orvane::ORVFullPageAdsController {
public:
    explicit FullPageBridge(std::weak_ptr<mediation::MediationContext> context) : context_(std::move(context)) {}
    void initFullScreenAdNetworks() override {
        if (auto fullPage = shared()) {
            fullPage->initFullScreenAdNetworks();
        }
    }
    void showFullScreenAd() override {
        if (auto fullPage = shared()) {
            fullPage->showFullScreenAd();
        }
    }
    void setFullPagenNetworkOrientation(float angle) override {
        if (auto fullPage = shared()) {
            fullPage->setFullPagenNetworkOrientation(angle);
        }
    }
    void destroy() override {
        if (auto context = context_.lock()) {
            mediation::ORVFullPageAdsController::destroy(*context);
        }
    }

private:
    std::shared_ptr<mediation::ORVFullPageAdsController> shared() {
        auto context = context_.lock();
        return context ? mediation::ORVFullPageAdsController::shared(*context) : nullptr;
    }

    std::weak_ptr<mediation::MediationContext> context_;
};

} // namespace

std::shared_ptr<mediation::NetworkLibraries> makeNetworkLibraries(zelvanAppDelegate& delegate) {
    auto libraries = std::make_shared<mediation::NetworkLibraries>();
    libraries->adwick = std::make_shared<AdwickClient>(delegate);
    libraries->selvo = std::make_shared<SelvoClient>(delegate);
    libraries->marlin = std::make_shared<MarlinClient>(delegate);
    return libraries;
}

std::shared_ptr<orvane::ORVFullPageAdsController> makeFullPageController(zelvanAppDelegate& delegate) {
    auto context = delegate.service(&AppRegistry::mediation);
    return context ? std::make_shared<FullPageBridge>(context) : nullptr;
}

} // namespace zelvan::app
