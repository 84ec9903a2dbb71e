// AdwickView: the banner view embedding code names. requestAdWithDelegate gives a 320 x 48 view that
// loads its first ad at once and replaces it by itself afterwards; AdwickViewInternal is the working
// subclass that owns the ad controller.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/view.h"

namespace zelvan::adwick {

class AdwickController;
class AdwickDelegate;

class AdwickView : public ui::View {
public:
    static constexpr std::string_view kVersion = "20090609";

    std::string className() const override { return "AdwickView"; }

    // A new banner view whose first ad request has started; empty until an ad loads.
    static std::shared_ptr<AdwickView> requestAdWithDelegate(std::weak_ptr<AdwickDelegate> delegate);
    static std::string version() { return std::string(kVersion); }
    // A fresh ad, unless one was asked for within 30 s or an image banner is shown.
    virtual void requestFreshAd() {}
};

class AdwickViewInternal : public AdwickView {
public:
    std::string className() const override { return "AdwickViewInternal"; }
    void requestFreshAd() override;
    const std::shared_ptr<AdwickController>& controller() const { return controller_; }
    void setController(std::shared_ptr<AdwickController> controller) { controller_ = std::move(controller); }

private:
    std::shared_ptr<AdwickController> controller_;
};

} // namespace zelvan::adwick
