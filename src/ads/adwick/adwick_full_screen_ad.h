// AdwickFullScreenAd: the full-screen variant of the ad request. requestAdWithDelegate makes the working
// AdwickFullScreenAdInternal, which loads an ad of format 1 and, once ready, can push or present a plain
// page with the ad's text (AdwickFullScreenAdViewController). A plain object only logs how to make one.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "ads/adwick/adwick_delegate.h"
#include "platform/ui/view_controller.h"

namespace ui {
class NavigationController;
class View;
} // namespace ui

namespace zelvan::adwick {

class AdwickContext;

class AdwickFullScreenAd {
public:
    static constexpr const char* kUseFactoryLine =
        "Adwick: Use +requestAdWithDelegate: to create an AdwickFullScreenAd. Do not alloc/init directly.";

    virtual ~AdwickFullScreenAd() = default;
    // The working full-screen ad, its request started (an entry point, in adwick_entry_points.cpp).
    static std::shared_ptr<AdwickFullScreenAd> requestAdWithDelegate(std::weak_ptr<AdwickDelegate> delegate);

    virtual bool readyForDisplay() const { return false; }
    virtual void showFromNavigationController(ui::NavigationController& controller);
    virtual void showFromViewController(ui::ViewController& controller);
    virtual void showFromView(ui::View& view);
};

class AdwickFullScreenAdInternal : public AdwickFullScreenAd,
                                   public AdwickAdDelegate,
                                   public std::enable_shared_from_this<AdwickFullScreenAdInternal> {
public:
    static constexpr int kVideoMedium = 5;

    // `context` gives the ad its server and services.
    explicit AdwickFullScreenAdInternal(std::shared_ptr<AdwickContext> context) : context_(std::move(context)) {}
    ~AdwickFullScreenAdInternal() override;
    void start(std::weak_ptr<AdwickDelegate> delegate);

    bool readyForDisplay() const override { return readyForDisplay_; }
    void showFromNavigationController(ui::NavigationController& controller) override;
    void showFromViewController(ui::ViewController& controller) override;
    void showFromView(ui::View& view) override;
    void playVideo();
    const std::shared_ptr<AdwickAd>& ad() const { return ad_; }

    gfx::Size adSize() override;
    void adDidLoad(AdwickAd& ad) override;
    void adDidFailToLoad(AdwickAd& /*ad*/) override {}
    void clickDidSucceed(AdwickAd& /*ad*/, const fnd::Value& /*response*/) override {}
    void clickDidFail(AdwickAd& /*ad*/) override {}

private:
    std::shared_ptr<AdwickContext> context_;
    std::weak_ptr<AdwickDelegate> delegate_;
    std::shared_ptr<AdwickAd> ad_;
    bool readyForDisplay_ = false;
};

class AdwickFullScreenAdViewController : public ui::ViewController {
public:
    std::string className() const override { return "AdwickFullScreenAdViewController"; }
    const std::shared_ptr<AdwickAd>& ad() const { return ad_; }
    void setAd(std::shared_ptr<AdwickAd> ad) { ad_ = std::move(ad); }
    void loadView() override;

private:
    std::shared_ptr<AdwickAd> ad_;
};

} // namespace zelvan::adwick
