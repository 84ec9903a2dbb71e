// OstromAdsFetcher: the work of one Ostrom attempt - it probes the web view's user agent, asks the Ostrom
// ad server for an ad (XML), fetches the image the reply names with that user agent, builds the 320 x 55
// tappable banner from it and tells its adapter view the outcome once. A tap on the banner opens the
// click target in the shared full-screen landing page titled "Ostrom". Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/mediation/ad_landing_page.h"
#include "ads/mediation/house_ad_service.h"
#include "ads/mediation/itd_advertisement.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_types.h"
#include "ads/mediation/ostrom_ads_model.h"
#include "platform/foundation/value.h"
#include "platform/ui/view.h"
#include "platform/ui/web_view.h"

namespace zelvan::mediation {

// The adapter a fetcher works for (OstromAdViewController): asked for the network being tried, told the
// outcome.
class OstromAdsFetcherOwner {
public:
    virtual ~OstromAdsFetcherOwner() = default;
    // The network whose ids the request carries; null when the attempt has no controller any more.
    virtual AdNetworkRef currentAdNetwork() const = 0;
    virtual void adSuccessAction() = 0;
    virtual void adFailureAction() = 0;
};

class OstromAdsFetcher : public ui::WebViewDelegate, public std::enable_shared_from_this<OstromAdsFetcher> {
public:
    static constexpr const char* kPrefix = "/ostrom";
    static constexpr const char* kAdPath = "/oapi/reqAd.jsp";
    static constexpr const char* kProbeURL = "http://127.0.0.1:1234556/";
    static constexpr double kRequestTimeout = 10.0;
    static constexpr double kImageTimeout = 20.0;

    OstromAdsFetcher(std::weak_ptr<MediationContext> context, AdChrome chrome);

    void setController(std::weak_ptr<OstromAdsFetcherOwner> controller) { controller_ = std::move(controller); }

    // The ad request endpoint under the ad host ("" without one).
    std::string baseURL() const;
    // The query of the ad request: ids of the network being tried, the stored user id ("0" without one).
    fnd::Value bindings() const;

    // Probes the user agent, then sends the ad request.
    bool startOstromAdRequestWithXMLData();
    void fetchOstromAdInternal();
    bool fetchOstromActualAd();
    void processOstromXMLResponse(const HouseAdResult& reply);
    void processActualAdResponse(const HouseAdResult& reply);
    // Builds the banner from the image bytes (undecodable bytes: an empty banner).
    bool parseOstromActualAdResponse(const fnd::Bytes& data);

    // The banner's tap: the landing page for the click link, when there is one.
    void linkBtnClickAction();

    // The probe's navigation is refused; every other web view's is allowed.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;

    const std::shared_ptr<ui::View>& ostromAdView() const { return ostromAdView_; }
    const std::optional<OstromAdsModel>& ostromAdModelObj() const { return ostromAdModelObj_; }
    const std::string& userAgent() const { return userAgent_; }
    const std::shared_ptr<ui::WebView>& wv() const { return wv_; }
    const std::shared_ptr<AdLandingPage>& landingPage() const { return landing_; }

private:
    void fetch(HouseAdFetch request, void (OstromAdsFetcher::*done)(const HouseAdResult&));
    void fail();
    void succeed();

    std::weak_ptr<MediationContext> context_;
    AdChrome chrome_;
    std::weak_ptr<OstromAdsFetcherOwner> controller_;
    std::shared_ptr<ui::View> ostromAdView_;
    std::optional<OstromAdsModel> ostromAdModelObj_;
    std::string userAgent_;
    std::shared_ptr<ui::WebView> wv_;
    std::shared_ptr<AdLandingPage> landing_;
};

} // namespace zelvan::mediation
