// The Adwick banner's request and loaded ad, read from the shared ad view's source.
#include "app/demo/ad_banner_report.h"

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_ad_source.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_view.h"
#include "ads/zlv_ad_wrapper_view.h"

namespace zelvan::app {

std::vector<std::string> adwickBannerReport(zelvanAppDelegate& delegate) {
    std::vector<std::string> lines;
    auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
    auto source = wrapper ? std::dynamic_pointer_cast<adwick::AdwickAdSource>(wrapper->adSource()) : nullptr;
    auto view = source ? std::dynamic_pointer_cast<adwick::AdwickViewInternal>(source->view()) : nullptr;
    auto ad = view && view->controller() ? view->controller()->currentlyDisplayedAd() : nullptr;
    auto shared = delegate.service(&AppRegistry::adwick);
    if (!ad || !shared) {
        return lines;
    }
    lines.push_back("ad request " + shared->endpoint() + "?" +
                    adwick::AdwickAd::queryStringFromDictionary(ad->buildParams()));
    lines.push_back("reply: medium " + std::to_string(ad->medium()) + ", action " + ad->action().value_or("none") +
                    ", text \"" + ad->text().value_or("") + "\", image " + (ad->userImage() ? "loaded" : "none") +
                    ", action icon " + (ad->actionImage() ? "loaded" : "none"));
    return lines;
}

} // namespace zelvan::app
