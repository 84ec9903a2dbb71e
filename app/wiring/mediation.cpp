// The banner mediation's wiring: the offer client as the mediation's core (ad order, generic parameters,
// impressions), the mediation as the offer client's controller registry, the Zelvan promotion that fills
// custom ads, and the shared ad view's banner rule.
#include "app/wiring/mediation.h"
#include "app/wiring/banner_slot.h"
#include "app/wiring/mediation_offer.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_ad_source.h"
#include "ads/adwick/adwick_context.h"
#include "ads/mediation/itd_advertisement.h"
#include "ads/mediation/itd_orvane_advertisement.h"
#include "ads/mediation/med_log.h"
#include "ads/mediation/mediation_ad_source.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_wiring.h"
#include "ads/mediation/network_starters.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_model.h"
#include "ads/mediation/orv_ad_view.h"
#include "ads/mediation/orvane_ad_interface.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "analytics/kavlo/kavlo_ad_source.h"
#include "analytics/kavlo/kavlo_context.h"
#include "app/wiring/mediation_libraries.h"
#include "app/wiring/networks.h"
#include "core/main_thread.h"
#include "offers/orvane/client/orv_ad_model.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_records.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/roz_web_service_fetcher.h"
#include "offers/orvane/kit/orv_ui_html_ad_banner.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/ui/label.h"

namespace zelvan::app {
namespace {

// The order's networks as the mediation reads them.
std::vector<mediation::AdNetworkRef> networks(const std::vector<orvane::ORVAdNetwork>& list) {
    std::vector<mediation::AdNetworkRef> out;
    for (const orvane::ORVAdNetwork& from : list) {
        auto to = std::make_shared<mediation::AdNetwork>();
        to->adLibraryName = from.adLibraryName;
        to->customAdName = from.customAdName;
        to->customAd = from.customAd;
        to->adCampaignId = from.adCampaignId;
        to->maxTimesToShowAdOnDevice = from.maxTimesToShowAdOnDevice;
        to->eventIntervals = from.eventIntervals;
        to->adShownURL = from.adShownURL;
        to->getAdURL = from.getAdURL;
        to->adNetworkGameIDs = from.AdNetworkGameIDs;
        out.push_back(std::move(to));
    }
    return out;
}

// One event's mediation controller as the offer client drives it.
class ControllerBridge final : public orvane::ORVAdController,
                               public orvane::ORVBannerHost,
                               public std::enable_shared_from_this<ControllerBridge> {
public:
    explicit ControllerBridge(std::shared_ptr<mediation::ORVAdController> controller)
        : controller_(std::move(controller)) {}
    void setCurrentEventID(int eventId) override { controller_->setCurrentEventID(eventId); }
    void setCurrentAdProviderIndex(int index) override { controller_->setCurrentAdProviderIndex(index); }
    void preLoadAd() override { controller_->preLoadAd(controller_->currentEventID()); }
    std::shared_ptr<ui::View> broadcastAd(int eventId) override { return controller_->broadcastAd(eventId); }
    std::shared_ptr<orvane::ORVBannerHost> hostView() override {
        return controller_->iORVAdView() ? shared_from_this() : nullptr;
    }
    bool areAdsRotating() const override { return controller_->areAdsRotating(); }
    int setCanRotateFlagAndReturn() override {
        auto host = controller_->iORVAdView();
        return host ? host->setCanRotateFlagAndReturn() : 0;
    }

private:
    std::shared_ptr<mediation::ORVAdController> controller_;
};

// The mediation's registry as the offer client's.
class AdModelBridge final : public orvane::ORVAdModel {
public:
    void resetAdController(int eventId) override { mediation::ORVAdModel::resetAdController(eventId); }
    std::shared_ptr<orvane::ORVAdController> getAdController(int eventId) override {
        auto controller = mediation::ORVAdModel::getAdController(eventId);
        return controller ? std::make_shared<ControllerBridge>(std::move(controller)) : nullptr;
    }
    void destroy() override { mediation::ORVAdModel::destroy(); }
};

// Fills a custom ad with a Zelvan promotion while it is on screen.
class ZelvanPromotion final : public mediation::CustomAdDelegate {
public:
    bool respondsToShowCustomAd() const override { return true; }
    bool respondsToEndCustomAd() const override { return true; }
    void showCustomAd(mediation::ORVAdView& host) override {
        removePromotion();
        auto banner = ui::View::create(gfx::Rect(0, 0, 320, 50));
        banner->setBackgroundColor(gfx::Color::fromRgbHex(0x0E2C4C));
        auto title = ui::View::create<ui::Label>(gfx::Rect(10, 4, 300, 24));
        title->setText("Chat and play on Zelvan");
        title->setFont(gfx::Font::boldSystemFontOfSize(16));
        title->setTextColor(gfx::Color::white());
        title->setBackgroundColor(gfx::Color::clear());
        title->setTextAlignment(ui::TextAlignment::Center);
        banner->addSubview(title);
        auto line = ui::View::create<ui::Label>(gfx::Rect(10, 28, 300, 18));
        line->setText("Invite a friend to a game today");
        line->setFont(gfx::Font::systemFontOfSize(12));
        line->setTextColor(gfx::Color::fromRgbHex(0xF2C14E));
        line->setBackgroundColor(gfx::Color::clear());
        line->setTextAlignment(ui::TextAlignment::Center);
        banner->addSubview(line);
        shown_ = banner;
        // Added once the controller has placed the custom ad, so it lies above that placeholder. The banner
        // is the owner: a promotion ended (or gone) before then has let it go, and nothing is added.
        onMain(banner, [weakHost = std::weak_ptr<ui::View>(host.self<ui::View>())](ui::View& promotion) {
            if (auto hostView = weakHost.lock()) {
                hostView->addSubview(promotion.self<ui::View>());
            }
        });
        ZLOG_TO(mediation::kMediationLog, Info, "mediation: showing the Zelvan promotion for custom ad %s",
                host.getAdLibraryName().value_or(""));
    }
    void endCustomAd(mediation::ORVAdView& /*host*/) override { removePromotion(); }

private:
    void removePromotion() {
        if (shown_) {
            shown_->removeFromSuperview();
            shown_.reset();
        }
    }

    std::shared_ptr<ui::View> shown_;
};

// The offer client's look as the mediation's ad views use it.
mediation::AdChrome offerChrome() {
    mediation::AdChrome chrome;
    if (auto shadow = orvane::ORVShadow::sharedInstance()) {
        chrome.adsBackground = shadow->adsBackGroundColor();
    }
    chrome.headerBar = [](const std::string& title, const std::string& backTitle, std::function<void()> back,
                          bool basic) {
        auto bar = basic ? orvane::ORVUINavigationBarView::initBasicWithTitle(title, 0)
                         : orvane::ORVUINavigationBarView::initWithTitle(title, 0);
        bar->setNavBarLeftBtnWithTitle(backTitle);
        bar->addLeftButtonTarget(bar, std::move(back), ui::ControlEvents::TouchUpInside);
        return std::shared_ptr<ui::View>(bar);
    };
    chrome.htmlBanner = [](gfx::Rect frame, const std::string& html) -> std::shared_ptr<ui::View> {
        return orvane::ORVUIHtmlAdBanner::initWithFrame(frame, html);
    };
    chrome.applicationSuperView = [] { return orvane::OrvaneConnect::getApplicationSuperView(); };
    chrome.applicationAngle = [] { return orvane::OrvaneConnect::getApplicationAngel(); };
    chrome.orientationEnabled = [] { return orvane::OrvaneConnect::didApplicationEnabledOrientation(); };
    return chrome;
}

} // namespace

// --- The offer client as the mediation's core and house-ad service (mediation_offer.h) ---

std::optional<mediation::AdOrder> OrvaneOfferCore::adOrder() const {
    auto model = orvane::ORVModelController::sharedInstance();
    if (!model || !model->getAdOrderDataObj()) {
        return std::nullopt;
    }
    const auto& order = *model->getAdOrderDataObj();
    return mediation::AdOrder{order.rotationTime, order.rotationDirection, order.lastNetwork, order.hasLocation};
}

std::optional<std::vector<mediation::AdNetworkRef>> OrvaneOfferCore::adNetworkArray() const {
    auto model = orvane::ORVModelController::sharedInstance();
    if (!model || !model->adNetworkArray()) {
        return std::nullopt;
    }
    return networks(*model->adNetworkArray());
}

std::vector<mediation::AdNetworkRef> OrvaneOfferCore::fullPageAdNetworkArray() const {
    auto model = orvane::ORVModelController::sharedInstance();
    return model ? networks(model->getFullPageAdNetworkArray()) : std::vector<mediation::AdNetworkRef>();
}

float OrvaneOfferCore::fullPageAdAngle() const {
    auto shadow = orvane::ORVShadow::sharedInstance();
    return shadow ? shadow->geFullPageAdAngel() : 0;
}

std::optional<gfx::Point> OrvaneOfferCore::coreLocation() const {
    auto shadow = orvane::ORVShadow::sharedInstance();
    return shadow ? shadow->coreLocation() : std::nullopt;
}

std::optional<gfx::Color> OrvaneOfferCore::adsBackGroundColor() const {
    auto shadow = orvane::ORVShadow::sharedInstance();
    return shadow ? shadow->adsBackGroundColor() : std::nullopt;
}

fnd::Value OrvaneOfferCore::genericParameters() const {
    auto shadow = orvane::ORVShadow::sharedInstance();
    return shadow ? shadow->genericParameters() : fnd::Value::dictionary();
}

void OrvaneOfferCore::adShownWithCampaignID(const std::string& campaignId) {
    sent.push_back(fnd::format("AdShown campaign \"%s\"", campaignId));
    if (auto shadow = orvane::ORVShadow::sharedInstance()) {
        shadow->adShownWithCampaignID(campaignId);
    }
}

void OrvaneOfferCore::directAdShownWithCampaignID(const std::string& campaignId) {
    sent.push_back(fnd::format("AdShown campaign \"%s\" (direct)", campaignId));
    if (auto shadow = orvane::ORVShadow::sharedInstance()) {
        shadow->directAdShownWithCampaignID(campaignId);
    }
}

std::string OrvaneHouseAdService::serviceBase() const {
    auto offers = offers_ ? offers_() : nullptr;
    return offers ? offers->serviceBase() : std::string();
}

void OrvaneHouseAdService::fetch(const mediation::HouseAdFetch& request,
                                 std::function<void(mediation::HouseAdResult)> completion) {
    auto fetcher = orvane::ROZWebServiceFetcher::create();
    fetcher->setRequestTimeout(request.timeout);
    fetcher->setBaseURL(request.url);
    if (!request.parameters.isNull()) {
        fetcher->setBindings(request.parameters);
    }
    fetcher->fetchAsynchronouslyWithCompletionInvocation(
        [completion = std::move(completion),
         fetched = fetched_](const std::shared_ptr<orvane::ROZWebServiceFetcher>& done) {
            if (auto error = done->error()) {
                completion(std::move(*error));
                return;
            }
            if (done->response()) {
                if (fetched->size() == kFetchedKept) {
                    fetched->erase(fetched->begin());
                }
                fetched->push_back(done->response()->url().absoluteString());
            }
            completion(mediation::HouseAdReply{done->response() ? done->response()->statusCode() : 0, done->data()});
        },
        request.userAgent);
}

fnd::Value OrvaneHouseAdService::parseXML(const fnd::Bytes& data) const {
    auto offers = offers_ ? offers_() : nullptr;
    auto parser = offers && offers->parser() ? offers->parser() : std::make_shared<orvane::ORVParser>();
    auto parsed = parser->parse(data);
    if (!parsed) {
        ZLOG(Warn, "mediation: the house-ad reply is not XML: %s", parsed.error().localizedDescription());
        return fnd::Value::dictionary();
    }
    return parsed.value();
}

mediation::HouseAd OrvaneHouseAdService::readHouseAd(const fnd::Value& element) const {
    const auto ad = orvane::ORVOrvaneAd::initWithInfo(element);
    return mediation::HouseAd{ad.image, ad.adHTML, ad.clickURL, ad.openInSafari};
}

// The `mediation` slot, the offer client's controller registry, and the "orvane" feature putting the
// mediation's banner into the shared ad view. Called after the "orvane" starter is set.
void installMediation(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.mediation.factory = [endpoint](zelvanAppDelegate& delegate) {
        auto context = mediation::makeMediation(makeNetworkLibraries(delegate));
        context->setHouseAdService(makeHouseAdService([&delegate] { return delegate.orvane(); }));
        context->setOfferCore(std::make_shared<OrvaneOfferCore>());
        mediation::setMedLogThresholdSource([] { return orvane::ORVLog::logThreshold(); });
        context->setEndpoint(endpoint);
        mediation::addNetworkStarters(*context, offerChrome());
        context->setHtmlAdFactory([](const std::string& html, gfx::Size size) -> std::shared_ptr<ui::View> {
            auto ad = mediation::ITDHTMLAdvertisement::initWithHTML(html, size, offerChrome());
            ad->load();
            return ad;
        });
        context->setHouseAdFactory([](const mediation::HouseAd& ad) -> std::shared_ptr<ui::View> {
            auto banner = mediation::ITDOrvaneAdvertisement::init(ad, offerChrome());
            banner->load();
            return banner;
        });
        return context;
    };
    // The offer client drives the mediation's controllers.
    auto makeOrvane = registry.orvane.factory;
    registry.orvane.factory = [makeOrvane](zelvanAppDelegate& delegate) -> std::shared_ptr<orvane::OrvaneContext> {
        auto context = makeOrvane ? makeOrvane(delegate) : nullptr;
        if (context) {
            context->setAdModel(std::make_shared<AdModelBridge>());
            context->setFullPageFactory([&delegate] { return makeFullPageController(delegate); });
        }
        return context;
    };
    // "orvane" in the feature list: the mediation's banner fills the shared ad view unless an earlier
    // banner network of the list took it.
    // The banner is made only when it can take the view: making it shows the ad box, which counts a show.
    registry.adFeatureStarters["orvane"] =
        bannerFeature([](zelvanAppDelegate& delegate) { return bannerSourceFor(delegate, "orvane"); },
                      registry.adFeatureStarters["orvane"]);
}

bool claimBannerSlot(zelvanAppDelegate& delegate, const LoginSession& session, std::shared_ptr<AdSource> source) {
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
    if (!wrapper || !source) {
        return false;
    }
    if (wrapper->sourceChosenFor() == session.userId) {
        return false; // an earlier banner network of this user's list took the slot
    }
    wrapper->setSourceChosenFor(session.userId);
    wrapper->setAdSource(std::move(source));
    return true;
}

std::shared_ptr<AdSource> bannerSourceFor(zelvanAppDelegate& delegate, std::string_view network) {
    if (network == "adwick") {
        auto shared = delegate.service(&AppRegistry::adwick);
        if (!shared || shared->endpoint().empty()) {
            return nullptr;
        }
        return adwick::AdwickAdSource::create(shared->publisherId(), shared->keywords());
    }
    if (network == "kavlo") {
        auto kavloContext = delegate.service(&AppRegistry::kavlo);
        if (!kavloContext || kavloContext->serverURL().empty()) {
            return nullptr;
        }
        return kavlo::KavloAdSource::create(kavloContext);
    }
    if (network == "orvane") {
        auto offers = delegate.orvane();
        if (!offers || !delegate.service(&AppRegistry::mediation)) {
            return nullptr;
        }
        std::weak_ptr<orvane::OrvaneContext> weak = offers;
        auto promotion = std::make_shared<ZelvanPromotion>();
        return mediation::MediationAdSource::create([weak, promotion]() -> std::shared_ptr<ui::View> {
            auto context = weak.lock();
            auto view = context ? context->shadow()->showAdBox(mediation::MediationAdSource::kEventId,
                                                               mediation::MediationAdSource::slotRect())
                                : nullptr;
            auto host = std::dynamic_pointer_cast<mediation::ORVAdView>(view);
            if (host && !host->getDelegate()) {
                host->setDelegate(promotion);
            }
            return view;
        });
    }
    return nullptr;
}

std::shared_ptr<mediation::HouseAdService>
makeHouseAdService(std::function<std::shared_ptr<orvane::OrvaneContext>()> offers) {
    return std::make_shared<OrvaneHouseAdService>(std::move(offers));
}

} // namespace zelvan::app
