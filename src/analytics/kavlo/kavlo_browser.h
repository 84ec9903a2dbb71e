// The in-app ad browser: KavloBrowserView is one full-screen page that curls down over the key window with
// a black toolbar (back, forward, spinner, stop), hands app store, maps, video and mail links to the system,
// and feeds accelerometer readings to pages that ask for them ("shouldAccelerate()"). KavloBrowser is its
// static front. Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/device/accelerometer.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view.h"
#include "platform/ui/web_view.h"

namespace zelvan::kavlo {

class KavloContext;

inline constexpr const char* kKavloBrowserOpen = "KAVLO_BROWSER_OPEN";
inline constexpr const char* kKavloBrowserClose = "KAVLO_BROWSER_CLOSE";

// What the browser does with a load it is about to start.
struct KavloBrowserLinkDecision {
    enum class Action { Load, LoadInstead, OpenInSystem } action = Action::Load;
    std::string url; // the URL to load instead, or to hand to the system
};
// "video://" at position 0 (any case) loads as "http://"; one of `systemHosts` or "mailto:" starting at one
// of the first ten characters goes to the system; anything else loads.
KavloBrowserLinkDecision kavloBrowserLinkDecision(const std::string& urlText,
                                                  const std::vector<std::string>& systemHosts);

class KavloBrowserView : public ui::View, public ui::WebViewDelegate, public device::AccelerometerDelegate {
public:
    static constexpr double kCurlSeconds = 0.75;
    static constexpr double kAccelerometerInterval = 1.0 / 24.0;

    // The installed registry's view (sharedIn); null without a Kavlo context. An entry point
    // (kavlo_entry_points.cpp), as is the KavloBrowser front.
    static std::shared_ptr<KavloBrowserView> getInstance();
    // The one view of `context`, made on first use with (0, 0, 320, 480) and the context's system hosts.
    static std::shared_ptr<KavloBrowserView> sharedIn(KavloContext& context);

    // A view that hands links to `systemHosts` (and "mailto:") to the system.
    explicit KavloBrowserView(std::vector<std::string> systemHosts) : systemHosts_(std::move(systemHosts)) {}

    std::string className() const override { return "KavloBrowserView"; }
    void initWithFrame(gfx::Rect frame) override;

    void openRequest(const fnd::UrlRequest& request);
    void close();

    bool isVisible() const { return isVisible_; }
    bool shouldAccelerate() const { return shouldAccelerate_; }
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<ui::Toolbar>& toolbar() const { return toolbar_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void accelerometerDidAccelerate(device::Accelerometer& accelerometer,
                                    const device::Acceleration& acceleration) override;

private:
    const std::vector<std::string> systemHosts_;
    std::shared_ptr<ui::WebView> webView_;
    std::shared_ptr<ui::Toolbar> toolbar_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    bool wasStatusBarHidden_ = false;
    bool shouldAccelerate_ = false;
    std::shared_ptr<device::AccelerometerDelegate> accelerometerDelegate_;
    double accelerometerUpdateInterval_ = 0;
    bool isVisible_ = false;
};

struct KavloBrowser {
    static std::shared_ptr<KavloBrowserView> sharedBrowser() { return KavloBrowserView::getInstance(); }
    static void openRequest(const fnd::UrlRequest& request);
    static void close();
};

} // namespace zelvan::kavlo
