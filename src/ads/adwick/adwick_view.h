// AdwickView: the banner view embedding code names. requestAdWithDelegate gives a 320 x 48 view that
// loads its first ad at once and replaces it by itself afterwards; the working subclass that owns the ad
// controller, AdwickViewInternal, is declared with the controller (adwick_controller.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/view.h"

namespace zelvan::adwick {

class AdwickDelegate;

class AdwickView : public ui::View {
public:
    static constexpr std::string_view kVersion = "20090609";

    std::string className() const override { return "AdwickView"; }

    // A new banner view whose first ad request has started; empty until an ad loads (an entry point, in
    // adwick_entry_points.cpp).
    static std::shared_ptr<AdwickView> requestAdWithDelegate(std::weak_ptr<AdwickDelegate> delegate);
    static std::string version() { return std::string(kVersion); }
    // A fresh ad, unless one was asked for within 30 s or an image banner is shown.
    virtual void requestFreshAd() {}
};

} // namespace zelvan::adwick
