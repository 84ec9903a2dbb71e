// ITDOrvaneAdvertisement: the 320 x 55 banner of a house ad - its HTML in the offer client's HTML banner
// (under a clear button taking taps when there is a click URL), else its decoded picture at its own size.
// A tap opens the click URL outside ("OpenIn" "Safari") or in the landing page.
#pragma once

#include <memory>
#include <string>

#include "ads/mediation/ad_landing_page.h"
#include "ads/mediation/itd_advertisement.h"
#include "ads/mediation/mediation_types.h"

namespace zelvan::mediation {

class ITDOrvaneAdvertisement : public ui::View {
public:
    static std::shared_ptr<ITDOrvaneAdvertisement> init(HouseAd ad, AdChrome chrome = {});

    std::string className() const override { return "ITDOrvaneAdvertisement"; }
    void load();
    // Opens the click URL (the overlay button's action).
    void adClicked();
    // A tap on a picture banner with a click URL opens it.
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    // Opens the landing page for `url` (nothing while one is open).
    void ShowAdDetailedWebView(const std::string& url);
    void backtoGameAction();
    void handleOrientation() {}

    const HouseAd& orvaneAd() const { return orvaneAd_; }
    bool html() const { return html_; }
    const std::shared_ptr<AdLandingPage>& landingPage() const { return landing_; }

private:
    HouseAd orvaneAd_;
    AdChrome chrome_;
    bool html_ = false;
    std::shared_ptr<AdLandingPage> landing_;
};

} // namespace zelvan::mediation
