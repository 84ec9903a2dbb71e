// TallioAdCanvasViewController: the screen a touched hook ad opens. Titled "Info", it loads the ad's
// canvas page in a web view and, once the page has loaded, lays a draggable panel of five further hook
// ads over its lower part (TallioAdListView). A link to the app-store address is not followed in the
// page: the screen resolves it itself, following its redirects, and has the system open the link when it
// leads on to another address. "Cancel" returns to the host screen of the first banner. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "analytics/tallio/tallio_ad.h"
#include "analytics/tallio/tallio_ad_view.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/web_view.h"

namespace ui {
class ActivityIndicatorView;
class NavigationController;
} // namespace ui

namespace zelvan::tallio {

class TallioAdImpression;

// The panel: dragged up and down between two limits of its centre, a tap toggles between them; the web
// view's height follows it.
class TallioAdListView : public ui::View {
public:
    std::string className() const override { return "TallioAdListView"; }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

    // Moves the centre by `dy`, kept within the limits; the web view grows by the distance moved.
    void dragByYDisplacement(double dy);
    void updateWebViewFrame(double dy);

    int upperLocationLimit = 0;
    int lowerLocationLimit = 0;
    std::shared_ptr<ui::View> webView;

private:
    std::optional<gfx::Point> location(const ui::TouchSet& touches) const;
    gfx::Point lastLocation_;
    bool dragInProgress_ = false;
};

class TallioAdCanvasViewController : public ui::ViewController, public ui::WebViewDelegate {
public:
    static constexpr int kPanelRows = 5;
    // A canvas screen whose panel rows get `parts` (the parts of the banner that opens it).
    static std::shared_ptr<TallioAdCanvasViewController> create(TallioBannerParts parts);
    // Opens the canvas of the touched `banner` (its TallioBannerParts::openCanvas): the canvas address
    // and the banner's ad and impression; pushed on the banner's navigation controller, else presented
    // modally in a new navigation controller, which is returned. A canvas opened from a canvas returns to
    // the same host screen.
    static std::shared_ptr<ui::NavigationController> openFromBanner(TallioAdView& banner);
    ~TallioAdCanvasViewController() override;
    std::string className() const override { return "TallioAdCanvasViewController"; }

    void viewWillAppear(ui::Animated animated) override;
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    // Back to the host screen: dismissing the modal navigation, or popping to it.
    void cancel();
    // Requests the store link, following its redirects; once it has loaded, the system opens the address
    // that answered with the last redirect (nothing without a redirect), while the screen lives.
    void openReferralURL(const fnd::Url& url);

    // Moves `view` 20 points down when the status bar is hidden.
    static void adjustForStatusBar(ui::View& view);

    const std::string& webUrl() const { return webUrl_; }
    void setWebUrl(std::string url) { webUrl_ = std::move(url); }
    const std::shared_ptr<TallioAdImpression>& adImpression() const { return adImpression_; }
    void setAdImpression(std::shared_ptr<TallioAdImpression> impression) { adImpression_ = std::move(impression); }
    const std::shared_ptr<TallioAd>& ad() const { return ad_; }
    void setAd(std::shared_ptr<TallioAd> ad) { ad_ = std::move(ad); }
    std::shared_ptr<ui::ViewController> appViewController() const { return appViewController_; }
    void setAppViewController(std::shared_ptr<ui::ViewController> vc) { appViewController_ = std::move(vc); }
    bool isModal() const { return isModal_; }
    void setIsModal(bool modal) { isModal_ = modal; }
    const std::optional<fnd::Url>& iTunesURL() const { return iTunesURL_; }
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& loadingView() const { return loadingView_; }
    // The panel laid over the page at its first finished load; null before.
    const std::shared_ptr<TallioAdListView>& listView() const { return listView_; }
    const std::vector<std::shared_ptr<TallioAdCanvasView>>& rows() const { return rows_; }

private:
    void init();
    void addPanel();

    TallioBannerParts parts_;
    std::string webUrl_;
    std::shared_ptr<TallioAdImpression> adImpression_;
    std::shared_ptr<ui::ActivityIndicatorView> loadingView_;
    std::shared_ptr<ui::WebView> webView_;
    bool webViewLoaded_ = false;
    std::optional<fnd::Url> iTunesURL_;
    std::shared_ptr<ui::ViewController> appViewController_;
    bool isModal_ = false;
    std::shared_ptr<TallioAd> ad_;
    std::shared_ptr<TallioAdListView> listView_;
    std::vector<std::shared_ptr<TallioAdCanvasView>> rows_;
    std::string name_;
};

} // namespace zelvan::tallio
