// The Adwick banner's request and loaded ad, read from the shared ad view's source; the request of the
// banner the mediation shows, read from the ad view in its host view; and the mediation's requests and
// impressions, read from the offer client's side of the mediation (app/wiring/mediation_offer.h).
#include "app/demo/ad_banner_report.h"

#include <string_view>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_ad_source.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_view.h"
#include "ads/mediation/ad_frame_view.h"
#include "ads/mediation/ad_view_controller.h"
#include "ads/mediation/itd_selvo_advertisement.h"
#include "ads/mediation/mediation_ad_source.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_view.h"
#include "ads/mediation/reelbox_ad_controller.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_url_builder.h"
#include "ads/selvo/view/sv_ad_view_concrete.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "app/wiring/mediation_offer.h"

namespace zelvan::app {
namespace {

// The ad the Adwick banner `view` shows, or null.
std::shared_ptr<adwick::AdwickAd> adwickAdOf(const std::shared_ptr<ui::View>& view) {
    auto banner = std::dynamic_pointer_cast<adwick::AdwickViewInternal>(view);
    return banner && banner->controller() ? banner->controller()->currentlyDisplayedAd() : nullptr;
}

std::string adwickReply(const adwick::AdwickAd& ad) {
    return "reply: medium " + std::to_string(ad.medium()) + ", action " + ad.action().value_or("none") + ", text \"" +
           ad.text().value_or("") + "\", image " + (ad.userImage() ? "loaded" : "none") + ", action icon " +
           (ad.actionImage() ? "loaded" : "none");
}

// The mediation's host view in the shared ad view, or null.
std::shared_ptr<mediation::ORVAdView> mediationHost(zelvanAppDelegate& delegate) {
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
    auto source = wrapper ? std::dynamic_pointer_cast<mediation::MediationAdSource>(wrapper->adSource()) : nullptr;
    return source ? source->hostView() : nullptr;
}

// The latest address the mediation's plain HTTP requests fetched that contains `part`, or "".
std::string lastFetched(zelvanAppDelegate& delegate, std::string_view part) {
    const auto fetched = mediationRequests(delegate);
    for (auto it = fetched.rbegin(); it != fetched.rend(); ++it) {
        if (it->find(part) != std::string::npos) {
            return *it;
        }
    }
    return std::string();
}

// What the Selvo view `view` asked for and shows.
std::vector<std::string> selvoLines(zelvanAppDelegate& delegate, const std::shared_ptr<ui::View>& view) {
    std::vector<std::string> lines;
    auto banner = std::dynamic_pointer_cast<selvo::SVAdViewConcrete>(view);
    auto context = delegate.service(&AppRegistry::selvo);
    if (!banner || !context) {
        return lines;
    }
    if (auto url =
            selvo::SVURLBuilder(*context).urlForAdType(banner->requestAdType(), 0, banner->userInfoDictionary())) {
        lines.push_back("selvo: ad request " + url->absoluteString());
    }
    if (auto ad = banner->ad()) {
        lines.push_back("selvo: showing ad " + ad->adID() + ", picture " + ad->dataURL());
    }
    return lines;
}

} // namespace

std::vector<std::string> adwickBannerReport(zelvanAppDelegate& delegate) {
    std::vector<std::string> lines;
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
    auto source = wrapper ? std::dynamic_pointer_cast<adwick::AdwickAdSource>(wrapper->adSource()) : nullptr;
    auto ad = source ? adwickAdOf(source->view()) : nullptr;
    auto shared = delegate.service(&AppRegistry::adwick);
    if (!ad || !shared) {
        return lines;
    }
    lines.push_back("ad request " + shared->endpoint() + "?" +
                    adwick::AdwickAd::queryStringFromDictionary(ad->buildParams()));
    lines.push_back(adwickReply(*ad));
    return lines;
}

std::string mediationNetworkOnScreen(zelvanAppDelegate& delegate) {
    auto host = mediationHost(delegate);
    auto controller = host ? std::dynamic_pointer_cast<mediation::ORVAdController>(host->adController()) : nullptr;
    const auto& network = controller ? controller->lastNetwork() : nullptr;
    return network && !host->subviews().empty() ? network->adLibraryName : std::string();
}

std::vector<std::string> mediationBannerReport(zelvanAppDelegate& delegate) {
    std::vector<std::string> lines;
    const std::string key = mediationNetworkOnScreen(delegate);
    if (key.empty()) {
        return lines;
    }
    auto host = mediationHost(delegate);
    const auto ad = host->subviews().front();
    if (key == "orvaneads") {
        lines.push_back("orvaneads: house ad request " + lastFetched(delegate, "/GetOrvaneAd"));
    } else if (key == "custom_ad") {
        lines.push_back("custom_ad: no request; the application fills custom ad \"" +
                        host->getAdLibraryName().value_or("") + "\"");
    } else if (key == "adwick") {
        // The banner's request was built while its network was being tried; its publisher id is that
        // network's first id.
        auto adapter = std::dynamic_pointer_cast<mediation::AdViewController>(ad);
        auto shown = adapter ? adwickAdOf(adapter->adwickAd()) : nullptr;
        auto controller = std::dynamic_pointer_cast<mediation::ORVAdController>(host->adController());
        if (auto shared = delegate.service(&AppRegistry::adwick); shown && shared && controller) {
            lines.push_back("adwick: ad request " + shared->endpoint() + " for publisher " +
                            controller->lastNetwork()->adNetworkGameIDs[0] + ", " + adwickReply(*shown));
        }
    } else if (key == "selvo") {
        auto adapter = std::dynamic_pointer_cast<mediation::ITDSelvoAdvertisement>(ad);
        lines = selvoLines(delegate, adapter && adapter->adView() ? adapter->adView()->view() : nullptr);
    } else if (key == "ostrom") {
        lines.push_back("ostrom: ad request " + lastFetched(delegate, "/ostrom/oapi/"));
        lines.push_back("ostrom: picture " + lastFetched(delegate, "/ostrom/img/"));
    } else if (key == "kavlo") {
        lines.push_back("kavlo: ad request " + lastFetched(delegate, "/kavlo?"));
    } else if (key == "reelbox") {
        auto adapter = std::dynamic_pointer_cast<mediation::ReelboxAdController>(ad);
        auto page = adapter && adapter->adView() ? adapter->adView()->bannerView() : nullptr;
        if (page && page->request()) {
            lines.push_back("reelbox: ad tag " + page->request()->url().absoluteString());
        }
    }
    return lines;
}

std::vector<std::string> mediationReport(zelvanAppDelegate& delegate) {
    auto context = delegate.service(&AppRegistry::mediation);
    auto core = context ? std::dynamic_pointer_cast<OrvaneOfferCore>(context->offerCore()) : nullptr;
    return core ? core->sent : std::vector<std::string>();
}

std::vector<std::string> mediationRequests(zelvanAppDelegate& delegate) {
    auto context = delegate.service(&AppRegistry::mediation);
    auto service = context ? std::dynamic_pointer_cast<OrvaneHouseAdService>(context->houseAdService()) : nullptr;
    return service ? service->fetched() : std::vector<std::string>();
}

} // namespace zelvan::app
