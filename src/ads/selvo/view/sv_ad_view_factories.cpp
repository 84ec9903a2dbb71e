// The Selvo ad view's factories: SVAdView's class operations that make a view, and SVAdViewConcrete's that
// make one of the four kinds. They sit above the kinds, which are made here and nowhere else.
#include <utility>

#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/view/sv_ad_view.h"
#include "ads/selvo/view/sv_ad_view_concrete.h"
#include "ads/selvo/view/sv_banner_ad_view.h"
#include "ads/selvo/view/sv_interstitial_ad_view.h"
#include "ads/selvo/view/sv_text_ad_view.h"

namespace zelvan::selvo {
namespace {

double kindWidth(int orientation) {
    return orientation == 3 || orientation == 4 ? 460 : 320;
}

} // namespace

std::shared_ptr<SVAdView> SVAdView::adViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                   const std::string& publisherID, const std::string& siteID,
                                                   int orientation, DelegatePtr delegate) {
    return adViewWithType(context, type, publisherID, siteID, SVAdPlacementUnknown, std::nullopt, orientation,
                          std::move(delegate));
}

std::shared_ptr<SVAdView> SVAdView::adViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                   const std::string& publisherID, const std::string& siteID,
                                                   int placement, const std::optional<std::string>& section,
                                                   int orientation, DelegatePtr delegate) {
    return SVAdViewConcrete::adViewWithType(context, type, publisherID, siteID, placement, section, 0, orientation,
                                            std::move(delegate));
}

std::shared_ptr<SVAdView> SVAdView::batchAdViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                        const std::string& publisherID, const std::string& siteID,
                                                        unsigned batchSize, int orientation, DelegatePtr delegate) {
    return SVAdViewConcrete::adViewWithType(context, type, publisherID, siteID, SVAdPlacementUnknown, std::nullopt,
                                            batchSize, orientation, std::move(delegate));
}

std::shared_ptr<SVAdView> SVAdView::batchAdViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                        const std::string& publisherID, const std::string& siteID,
                                                        int placement, const std::optional<std::string>& section,
                                                        unsigned batchSize, int orientation, DelegatePtr delegate) {
    return SVAdViewConcrete::adViewWithType(context, type, publisherID, siteID, placement, section, batchSize,
                                            orientation, std::move(delegate));
}

std::shared_ptr<SVAdViewConcrete>
SVAdViewConcrete::adViewWithType(const std::shared_ptr<SelvoContext>& context, int type, const std::string& publisherID,
                                 const std::string& siteID, int placement, const std::optional<std::string>& section,
                                 unsigned batchSize, int orientation, DelegatePtr delegate) {
    if (!context) {
        return nullptr;
    }
    std::shared_ptr<SVAdViewConcrete> view;
    switch (type) {
    case SVAdTypeBanner:
        view = bannerAdViewWithOrientation(context, orientation, delegate);
        break;
    case SVAdTypeSmallBanner:
        view = smallBannerAdViewWithOrientation(context, orientation, delegate);
        break;
    case SVAdTypeText:
        view = textAdViewWithOrientation(context, orientation, delegate);
        break;
    case SVAdTypeInterstitial:
        view = interstitialAdViewWithOrientation(context, orientation, delegate);
        break;
    default:
        return nullptr;
    }
    view->setPublisherID(publisherID);
    view->setSiteID(siteID);
    view->setDelegate(std::move(delegate));
    view->setBatchSize(batchSize);
    view->setPlacement(placement);
    view->setSection(section);
    view->setRealType(type);
    return view;
}

std::shared_ptr<SVAdViewConcrete>
SVAdViewConcrete::bannerAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context, int orientation,
                                              DelegatePtr delegate) {
    auto view = ui::View::create<SVBannerAdView>(gfx::Rect(0, 0, kindWidth(orientation), 80), context);
    view->setDelegate(std::move(delegate));
    return view;
}

std::shared_ptr<SVAdViewConcrete>
SVAdViewConcrete::smallBannerAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context, int orientation,
                                                   DelegatePtr delegate) {
    auto view = ui::View::create<SVSmallBannerAdView>(gfx::Rect(0, 0, kindWidth(orientation), 50), context);
    view->setDelegate(std::move(delegate));
    return view;
}

std::shared_ptr<SVAdViewConcrete>
SVAdViewConcrete::textAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context, int orientation,
                                            DelegatePtr delegate) {
    auto view = ui::View::create<SVTextAdView>(gfx::Rect(0, 0, kindWidth(orientation), 50), context);
    view->setDelegate(std::move(delegate));
    return view;
}

std::shared_ptr<SVAdViewConcrete>
SVAdViewConcrete::interstitialAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context, int /*orientation*/,
                                                    DelegatePtr delegate) {
    auto view = ui::View::create<SVInterstitialAdView>(gfx::Rect(0, 0, 0, 0), context);
    view->setDelegate(std::move(delegate));
    return view;
}

} // namespace zelvan::selvo
