// AdwickController: the object behind one banner view. It starts the first ad, guards fresh requests
// (30 s, none under an image banner), swaps each fresh ad in with a flip, forwards clicks to the ad and
// carries out the action the click reply names (store link, browser, canvas, call, contact, system open).
// AdwickViewInternal, the banner view's working subclass, owns it; the two are one unit.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "ads/adwick/adwick_delegate.h"
#include "ads/adwick/adwick_itunes_url_cleaner.h"
#include "ads/adwick/adwick_single_ad_view.h"
#include "ads/adwick/adwick_view.h"
#include "platform/foundation/date.h"
#include "platform/foundation/value.h"

namespace ui {
class View;
}

namespace zelvan::adwick {

class AdwickBrowserController;
class AdwickCanvasController;
class AdwickContext;
class AdwickSearchViewController;

class AdwickController : public AdwickAdDelegate,
                         public AdwickAdClickHandler,
                         public AdwickITunesURLCleanerDelegate,
                         public std::enable_shared_from_this<AdwickController> {
public:
    static constexpr double kFreshRequestGuardSeconds = 30;
    static constexpr double kSwapSeconds = 0.7;
    static constexpr const char* kSwapAnimationName = "newAdwickAd";
    // The display view of the ad shown carries this tag.
    static constexpr int kDisplayedTag = 1;

    // `context` gives the ads their server and services and the clicks their landing screens (null: the
    // ads have no server to ask).
    explicit AdwickController(std::shared_ptr<AdwickContext> context);
    ~AdwickController() override;
    AdwickController(const AdwickController&) = delete;
    AdwickController& operator=(const AdwickController&) = delete;

    std::shared_ptr<AdwickView> view() const { return view_.lock(); }
    void setView(std::weak_ptr<AdwickView> view) { view_ = std::move(view); }
    std::shared_ptr<AdwickDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<AdwickDelegate> delegate) { delegate_ = std::move(delegate); }

    void startFirstAdRequest();
    void requestFreshAd();
    std::shared_ptr<AdwickAd> createAdWithInitiatedAdRequest();
    std::shared_ptr<ui::View> createSingleAdViewWithAd(const std::shared_ptr<AdwickAd>& ad);
    void click(AdwickSingleAdView& view) { clickWithData(view, std::nullopt); }
    void clickWithData(AdwickSingleAdView& view, const std::optional<fnd::Value>& data) override;
    void restoreAdAfterClickAnimationIfPossibleForAd(const AdwickAd& ad);
    void launchWebClick(const fnd::Url& url) { displayEmbeddedBrowserWithURL(url); }
    void displayEmbeddedBrowserWithURL(const fnd::Url& url);
    void displayCanvasWithURL(const fnd::Url& url, const AdwickAd& ad);

    const std::shared_ptr<AdwickAd>& currentlyDisplayedAd() const { return currentlyDisplayedAd_; }
    const std::shared_ptr<AdwickAd>& loadingAd() const { return loadingAd_; }
    const std::optional<fnd::Date>& lastRequestForFreshAd() const { return lastRequestForFreshAd_; }
    const std::shared_ptr<AdwickBrowserController>& browserController() const { return browserController_; }
    const std::shared_ptr<AdwickCanvasController>& canvasController() const { return canvasController_; }
    const std::shared_ptr<AdwickSearchViewController>& searchController() const { return searchController_; }

    gfx::Size adSize() override;
    void adDidLoad(AdwickAd& ad) override;
    void adDidFailToLoad(AdwickAd& ad) override;
    void clickDidSucceed(AdwickAd& ad, const fnd::Value& response) override;
    void clickDidFail(AdwickAd& ad) override;
    bool displaySearchWithAd(AdwickAd& ad, const std::string& placeholderText, const std::string& webpageURL) override;
    void cleanerDidGenerateURL(AdwickITunesURLCleaner& cleaner, const fnd::Url& url) override;

private:
    void swapInLoadingAd();
    void startCleaner(const fnd::Url& url);

    std::shared_ptr<AdwickContext> context_;
    std::weak_ptr<AdwickView> view_;
    std::weak_ptr<AdwickDelegate> delegate_;
    std::shared_ptr<AdwickAd> currentlyDisplayedAd_;
    std::shared_ptr<AdwickAd> loadingAd_;
    std::shared_ptr<AdwickCanvasController> canvasController_;
    std::shared_ptr<AdwickBrowserController> browserController_;
    std::shared_ptr<AdwickSearchViewController> searchController_;
    std::optional<fnd::Date> lastRequestForFreshAd_;
    std::set<std::shared_ptr<AdwickITunesURLCleaner>> cleaners_;
};

// The banner view's working subclass: it owns the controller behind it.
class AdwickViewInternal : public AdwickView {
public:
    // A 320 x 48 view with its controller, whose first ad request has started.
    static std::shared_ptr<AdwickViewInternal> create(std::shared_ptr<AdwickContext> context,
                                                      std::weak_ptr<AdwickDelegate> delegate);

    std::string className() const override { return "AdwickViewInternal"; }
    void requestFreshAd() override;
    const std::shared_ptr<AdwickController>& controller() const { return controller_; }
    void setController(std::shared_ptr<AdwickController> controller) { controller_ = std::move(controller); }

private:
    std::shared_ptr<AdwickController> controller_;
};

} // namespace zelvan::adwick
