// The Ostrom attempt's requests, the banner and its landing page.
#include "ads/mediation/ostrom_ads_fetcher.h"

#include <utility>

#include "ads/mediation/house_ad_reply.h"
#include "ads/mediation/med_log.h"
#include "core/main_thread.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/log.h"
#include "platform/foundation/url.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/image.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"

namespace zelvan::mediation {

OstromAdsFetcher::OstromAdsFetcher(std::weak_ptr<MediationContext> context, AdChrome chrome)
    : context_(std::move(context)), chrome_(std::move(chrome)) {}

std::string OstromAdsFetcher::baseURL() const {
    auto shared = context_.lock();
    return shared ? shared->endpoint().sibling(kPrefix).url(kAdPath) : std::string();
}

fnd::Value OstromAdsFetcher::bindings() const {
    auto controller = controller_.lock();
    auto net = controller ? controller->currentAdNetwork() : nullptr;
    auto stored = fnd::UserDefaults::standard().stringForKey(OstromAdsModel::kUserIdKey);
    const std::string user = stored && !stored->empty() ? *stored : "0";
    return fnd::Value::dictionary({{"adspace", fnd::Value(net ? net->adNetworkGameIDs[0] : std::string())},
                                   {"pub", fnd::Value(net ? net->adNetworkGameIDs[1] : std::string())},
                                   {"beacon", fnd::Value("true")},
                                   {"format", fnd::Value("IMG")},
                                   {"position", fnd::Value("top")},
                                   {"adcount", fnd::Value("1")},
                                   {"user", fnd::Value(user)},
                                   {"response", fnd::Value("XML")},
                                   {"height", fnd::Value("55")},
                                   {"width", fnd::Value("320")}});
}

bool OstromAdsFetcher::startOstromAdRequestWithXMLData() {
    // The probe is never shown and loads nothing: its address has a port no URL may have, so its user
    // agent is read at once instead of from the refused navigation.
    wv_ = ui::View::create<ui::WebView>(gfx::Rect(40, 40, 320, 200));
    wv_->setDelegate(weak_from_this());
    if (!fnd::Url::parse(kProbeURL)) {
        userAgent_ = wv_->userAgent();
        fetchOstromAdInternal();
    } else {
        wv_->loadRequest(fnd::UrlRequest(*fnd::Url::parse(kProbeURL)));
    }
    return false;
}

bool OstromAdsFetcher::webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                                         ui::NavigationType /*type*/) {
    if (&webView != wv_.get()) {
        return true;
    }
    userAgent_ = request.valueForHTTPHeaderField("User-Agent").value_or(webView.userAgent());
    fetchOstromAdInternal();
    return false;
}

void OstromAdsFetcher::fetch(HouseAdFetch request, void (OstromAdsFetcher::*done)(const HouseAdResult&)) {
    auto shared = context_.lock();
    auto service = shared ? shared->houseAdService() : nullptr;
    if (!service) {
        fail();
        return;
    }
    request.userAgent = userAgent_;
    std::weak_ptr<OstromAdsFetcher> weak = weak_from_this();
    service->fetch(request, [weak, done](HouseAdResult reply) {
        // A fetcher gone with its attempt has nobody to tell.
        if (auto self = weak.lock()) {
            ((*self).*done)(reply);
        }
    });
}

void OstromAdsFetcher::fetchOstromAdInternal() {
    const std::string base = baseURL();
    if (base.empty()) {
        auto shared = context_.lock();
        if (shared && shared->firstWithoutHost("ostrom")) {
            ZLOG_TO(kMediationLog, Info, "mediation: no --ads-base given, so no ostrom banner is fetched");
        }
        onMain(weak_from_this(), &OstromAdsFetcher::fail);
        return;
    }
    MED_LOG(4, "Ostrom: Going to fetch Ostrom Ads XML Data");
    HouseAdFetch request;
    request.url = base;
    request.parameters = bindings();
    request.timeout = kRequestTimeout;
    fetch(std::move(request), &OstromAdsFetcher::processOstromXMLResponse);
}

void OstromAdsFetcher::processOstromXMLResponse(const HouseAdResult& reply) {
    MED_LOG(4, "Ostrom Process XML response Called");
    auto shared = context_.lock();
    auto parsed = parseHouseAdReply(reply, shared ? shared->houseAdService().get() : nullptr);
    if (!parsed) {
        MED_LOG_FAILURE(3, "OSTROM FAILED: No data received while attempting to fetch the data from the server");
        fail();
        return;
    }
    MED_LOG(4, "Ostrom Process XML Reponse :Success: Data Received Now check for Elements");
    MED_LOG(4, "Ostrom Returned Data %@ ", parsed->description());
    const fnd::Value response = xmlElement(*parsed, "response");
    auto responseDict = response.asDictionary();
    if (responseDict && responseDict->containsKey("error")) {
        const fnd::Value error = xmlElement(response, "error");
        MED_LOG(4, "Ostrom XML Response: ERROR: error Response Received");
        MED_LOG(4, "OSTROM FAILED: ErrorCode: %@  Desc: %@", xmlText(error, "code"), xmlText(error, "desc"));
        fail();
        return;
    }
    ostromAdModelObj_ = OstromAdsModel::initWithInfo(response);
    fetchOstromActualAd();
}

bool OstromAdsFetcher::fetchOstromActualAd() {
    MED_LOG(4, "Going to fetch Ostrom Ads");
    if (!ostromAdModelObj_ || ostromAdModelObj_->adImgLink.empty()) {
        // A reply with neither an error nor an image (a body that is not XML too) names nothing to fetch.
        MED_LOG(3, "OSTROM FAILED: the reply names no ad image");
        fail();
        return false;
    }
    HouseAdFetch request;
    request.url = ostromAdModelObj_->adImgLink;
    request.timeout = kImageTimeout;
    fetch(std::move(request), &OstromAdsFetcher::processActualAdResponse);
    return false;
}

void OstromAdsFetcher::processActualAdResponse(const HouseAdResult& reply) {
    MED_LOG(4, "SIMPLE Start Processing response of OstromAds Request");
    if (!reply) {
        MED_LOG(3, "OstromAdsFetcher:: processResponse Error =%@", reply.error().localizedDescription());
        MED_LOG(4, "OSTROM FAILED:");
        fail();
        return;
    }
    // The image reply's status is not looked at.
    if (parseOstromActualAdResponse(reply->data)) {
        MED_LOG(4, "OSTROM SUCESS: NOtification sent");
        succeed();
    } else {
        MED_LOG(4, "OSTROM FAILED: Error in Parsing");
        fail();
    }
}

bool OstromAdsFetcher::parseOstromActualAdResponse(const fnd::Bytes& data) {
    MED_LOG(4, "Ostrom Actual Ad Response called");
    const gfx::Rect frame(0, 0, 320, 55);
    ostromAdView_ = ui::View::create(frame);
    ostromAdView_->setUserInteractionEnabled(true);
    auto image = ui::ImageView::initWithImage(gfx::Image::imageWithData(data));
    image->setFrame(ostromAdView_->bounds());
    image->setUserInteractionEnabled(true);
    ostromAdView_->addSubview(image);
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(frame);
    button->setBackgroundColor(gfx::Color::clear());
    button->addTarget(weak_from_this(), &OstromAdsFetcher::linkBtnClickAction, ui::ControlEvents::TouchUpInside);
    ostromAdView_->addSubview(button);
    ostromAdView_->bringSubviewToFront(button.get());
    return true;
}

void OstromAdsFetcher::linkBtnClickAction() {
    MED_LOG(4, "Link button clicked");
    if (!ostromAdModelObj_ || ostromAdModelObj_->adClickLink.empty()) {
        return;
    }
    MED_LOG(4, "Clicked URL = %@", ostromAdModelObj_->adClickLink);
    if (!landing_) {
        landing_ = std::make_shared<AdLandingPage>(chrome_, LandingOptions{"Ostrom", /*removeLabelWhenLoaded=*/false,
                                                                           /*spinnerAtOpen=*/true,
                                                                           /*storeLinksToSystem=*/true});
    }
    // The page keeps this fetcher alive while it is open.
    landing_->show(ostromAdModelObj_->adClickLink, shared_from_this());
}

void OstromAdsFetcher::fail() {
    if (auto controller = controller_.lock()) {
        controller->adFailureAction();
    }
}

void OstromAdsFetcher::succeed() {
    if (auto controller = controller_.lock()) {
        controller->adSuccessAction();
    }
}

} // namespace zelvan::mediation
