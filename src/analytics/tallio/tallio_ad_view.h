// TallioAdView: the 48-point hook-ad banner a host screen places under a hook name. It shows the ad's
// icon and application name, the theme's sell message and the advertiser over the theme's background,
// follows the screen's orientation, and records its impression (asked for, shown). A banner asked for
// before the server's reply is parsed waits hidden and fills itself when the parser's phase reaches 1.
// TallioAdCanvasView is the portrait-only row of the canvas screen's panel. Main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "analytics/tallio/tallio_ad.h"
#include "analytics/tallio/tallio_context.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/view.h"

namespace ui {
class ImageView;
class Label;
class NavigationController;
class ViewController;
} // namespace ui

namespace zelvan::tallio {

class TallioAdImpression;
class TallioAdParser;
class TallioAdView;

// What a banner is handed, by the client's wiring and by a canvas screen to its rows: the client's
// context (the current session and key, the canvas address), the hook-ad reply parser, and what opens
// the canvas screen of a touched banner (the screen is a higher part of the client; it returns the
// navigation controller it presented the canvas in modally, null when it pushed it).
struct TallioBannerParts {
    std::weak_ptr<TallioContext> context;
    std::shared_ptr<TallioAdParser> parser;
    std::function<std::shared_ptr<ui::NavigationController>(TallioAdView& banner)> openCanvas;
};

class TallioAdView : public ui::View {
public:
    static constexpr double kHeight = 48;
    static constexpr double kPortraitWidth = 320;
    static constexpr double kLandscapeWidth = 480;

    // A banner at (x, y) for `hook` on `viewController`'s screen, hidden until it has an ad; with
    // `attachToView` it is added to that screen's view. `orientation`: "landscape", "portrait" (any
    // case) or none (follow the screen).
    template <class T = TallioAdView>
    static std::shared_ptr<T> initWithAd(TallioBannerParts parts, std::shared_ptr<TallioAd> ad, const std::string& hook,
                                         int x, int y, const std::shared_ptr<ui::ViewController>& viewController,
                                         bool attachToView, std::optional<std::string> orientation) {
        auto view = ui::View::create<T>(gfx::Rect{double(x), double(y), kPortraitWidth, kHeight});
        view->setUp(std::move(parts), std::move(ad), hook, viewController, attachToView, std::move(orientation));
        return view;
    }
    // The banner the API hands out: filled at once when the reply is parsed, else when it is.
    static std::shared_ptr<TallioAdView> getHook(TallioBannerParts parts, const std::string& hook, int x, int y,
                                                 const std::shared_ptr<ui::ViewController>& viewController,
                                                 bool attachToView, std::optional<std::string> orientation);

    ~TallioAdView() override;
    std::string className() const override { return "TallioAdView"; }

    // Shows `ad` (null: stays as it is). An ad without an icon shows the bare blue banner.
    void updateWithAd(std::shared_ptr<TallioAd> ad);
    // Asks the parser for this banner's ad and shows it; once only. Ends the observation of the phase.
    void refreshWithAd();
    virtual void createViewElements();
    virtual void updateToOrientation();
    // The screen that asked, or its visible screen when it is a navigation controller.
    std::shared_ptr<ui::ViewController> currentViewController() const;

    // Touching a shown banner records result 2 and opens the ad's canvas through its parts: pushed on the
    // banner's navigation controller, else presented modally in a new one.
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    // Whether `vc` is a canvas screen (TallioAdCanvasViewController).
    static bool isInCanvas(const ui::ViewController* vc);
    const std::shared_ptr<ui::NavigationController>& modalNavigationController() const {
        return modalNavigationController_;
    }
    // The ad's canvas page: the canvas URL with the session, ad and impression fields; the hook and the
    // ad's cookie percent-escaped (the cookie text holds blanks).
    std::string canvasAddress() const;

    // Runs each time the banner is shown with an ad.
    std::function<void()> onAdShown;

    const TallioBannerParts& parts() const { return parts_; }

    const std::shared_ptr<TallioAd>& ad() const { return ad_; }
    const std::string& hook() const { return hook_; }
    const std::shared_ptr<TallioAdImpression>& adImpression() const { return adImpression_; }
    std::shared_ptr<ui::ViewController> viewController() const { return viewController_.lock(); }
    const std::string& viewControllerName() const { return viewControllerName_; }
    // The screen name the banner's ad is released under when it goes.
    void setViewControllerName(std::string name) { viewControllerName_ = std::move(name); }
    const std::optional<std::string>& orientation() const { return orientation_; }
    bool isLandscape() const;

    std::shared_ptr<ui::ImageView> icon() const { return icon_; }
    std::shared_ptr<ui::ImageView> landscapeBackground() const { return landscapeBackground_; }
    std::shared_ptr<ui::ImageView> portraitBackground() const { return portraitBackground_; }
    std::shared_ptr<ui::Label> sellMessageLabel() const { return sellMessageLabel_; }
    std::shared_ptr<ui::Label> appNameLabel() const { return appNameLabel_; }
    std::shared_ptr<ui::Label> advertiserLabel() const { return advertiserLabel_; }

protected:
    void setUp(TallioBannerParts parts, std::shared_ptr<TallioAd> ad, const std::string& hook,
               const std::shared_ptr<ui::ViewController>& viewController, bool attachToView,
               std::optional<std::string> orientation);
    void removeElements();
    static std::shared_ptr<ui::Label> makeLabel(const std::optional<std::string>& text, const gfx::Color& color);

    std::shared_ptr<ui::ImageView> landscapeBackground_;
    std::shared_ptr<ui::ImageView> portraitBackground_;
    std::shared_ptr<ui::ImageView> icon_;
    std::shared_ptr<ui::Label> sellMessageLabel_;
    std::shared_ptr<ui::Label> appNameLabel_;
    std::shared_ptr<ui::Label> advertiserLabel_;

private:
    void observePhase();

    TallioBannerParts parts_;
    std::string hook_;
    std::shared_ptr<TallioAd> ad_;
    std::weak_ptr<ui::ViewController> viewController_;
    std::shared_ptr<TallioAdImpression> adImpression_;
    std::shared_ptr<ui::NavigationController> modalNavigationController_;
    std::optional<std::string> orientation_;
    std::string viewControllerName_;
    bool refreshed_ = false;
    fnd::ObserverToken phaseToken_;
    fnd::ObserverToken orientationToken_;
};

// The portrait-only banner of the canvas panel: icon, background, application name and advertiser.
class TallioAdCanvasView : public TallioAdView {
public:
    std::string className() const override { return "TallioAdCanvasView"; }
    void createViewElements() override;
    void updateToOrientation() override;
};

// Hands out banners for TallioAPI::getHook, each with `parts`; makeTallio installs one in every context.
class TallioHookViewFactory : public HookViewFactory {
public:
    explicit TallioHookViewFactory(TallioBannerParts parts) : parts_(std::move(parts)) {}
    std::shared_ptr<ui::View> getHook(const std::string& hook, int x, int y,
                                      const std::shared_ptr<ui::ViewController>& viewController, bool attachToView,
                                      const std::string* orientation) override;

private:
    TallioBannerParts parts_;
};

} // namespace zelvan::tallio
