// ITDAdvertisement: the base of the banner networks' ad views (inert). ITDHTMLAdvertisement: a banner of
// 320 x the ad's height that renders a piece of HTML (raw-HTML networks, and picture-and-link networks
// turned into HTML by the controller) in a centred web view; the user's first link tap leaves the
// application, later ones load inside the banner. AdChrome carries what of the offer client's look the
// ad views use, handed in by the composition root.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/web_view.h"

namespace zelvan::mediation {

struct AdChrome {
    // The offer client's ad background colour (none: clear).
    std::optional<gfx::Color> adsBackground;
    // Makes the header bar of a full-screen page at y 0: title, left button title, its action, and whether
    // it is the basic bar fixed at 320 wide. Empty: the page has no header.
    std::function<std::shared_ptr<ui::View>(const std::string& title, const std::string& backTitle,
                                            std::function<void()> back, bool basic)>
        headerBar;
    // Makes the offer client's HTML banner of `frame` showing `html` (only link taps leave it). Empty: a
    // plain web view.
    std::function<std::shared_ptr<ui::View>(gfx::Rect frame, const std::string& html)> htmlBanner;
    // The view full-screen pages are added to (empty or null: the first window).
    std::function<std::shared_ptr<ui::View>()> applicationSuperView;
    // The application's interface angle (0, 90, 180, 270) and whether it turns with the device.
    std::function<int()> applicationAngle;
    std::function<bool()> orientationEnabled;
};

class ITDAdvertisement : public ui::View {
public:
    std::string className() const override { return "ITDAdvertisement"; }
    virtual void load() {}
    virtual void startDisplayTimer() {}
    virtual void stopDisplayTimer() {}
    // Never set: always empty.
    const std::optional<std::string>& url() const { return url_; }

private:
    std::optional<std::string> url_;
};

class ITDHTMLAdvertisement : public ITDAdvertisement, public ui::WebViewDelegate {
public:
    static constexpr const char* kEmptyPage = "<html><body></body></html>";

    // An ad of `html` (nullopt: kEmptyPage) whose web view is `adSize`; nothing is loaded until load().
    static std::shared_ptr<ITDHTMLAdvertisement> initWithHTML(const std::optional<std::string>& html, gfx::Size adSize,
                                                              AdChrome chrome = {});

    std::string className() const override { return "ITDHTMLAdvertisement"; }
    // Frame (0, 0, 320, height); a container in the ad background colour holding the centred web view,
    // which is given the page with no base URL.
    void load() override;
    // The arguments are not used: the same as load().
    void loadWithHTML(const std::optional<std::string>& html, gfx::Size adSize);

    // The page, its frames and script loads stay in the banner. The user's first link tap is opened
    // outside ("http://" put before a URL without a scheme) and refused here; later taps load inside.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    // A full-screen 320 x 480 page on the application's first window: the "Kavlo" header with " Back "
    // (backtoGameAction) and a web view (0, 46, 320, 434) loading `url`. The ad keeps itself alive while
    // the page is open.
    void ShowAdDetailedWebView(const std::string& url);
    void backtoGameAction();

    const std::string& adHtmlStr() const { return adHtmlStr_; }
    gfx::Size adSize() const { return adSize_; }
    int loadCount() const { return loadCount_; }
    const std::shared_ptr<ui::View>& KavloView() const { return KavloView_; }

private:
    int loadCount_ = 0;  // navigations the web view asked to start
    int linkClicks_ = 0; // of them, the user's link taps
    std::string adHtmlStr_;
    gfx::Size adSize_;
    AdChrome chrome_;
    std::shared_ptr<ui::View> KavloView_;
    std::shared_ptr<ITDHTMLAdvertisement> keepAlive_;
};

} // namespace zelvan::mediation
