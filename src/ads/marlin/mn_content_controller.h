// MNContentController: the view controller in which the interstitial client script runs. It holds the
// web view and the script bridge with its two command handlers, boots the client, starts displays and
// watches the pre-roll check-in, turns the page's URL loads into actions, shows the loading screen, the
// Menu button and an in-ad browser, and relays the accelerometer to the script.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ads/marlin/marlin_content_host.h"
#include "platform/device/accelerometer.h"
#include "platform/foundation/url.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/web_view.h"

namespace fnd {
class Timer;
}
namespace ui {
class ActivityIndicatorView;
class BarButtonItem;
class Button;
class NavigationBar;
class SegmentedControl;
} // namespace ui

namespace zelvan::marlin {

class JavascriptBridge;
class JavascriptBridgeAnimationDelegate;
class JavascriptBridgeDelegate;
class MNContentOwner;
class MNMessageBox;

class MNContentController : public ui::ViewController,
                            public IMarlinContentHost,
                            public ui::WebViewDelegate,
                            public ui::AlertViewDelegate,
                            public device::AccelerometerDelegate {
public:
    // Visibility bits.
    static constexpr unsigned kVisibleContent = 1;
    static constexpr unsigned kVisibleLoadingScreen = 2;
    static constexpr double kPreRollCheckInSeconds = 10;

    // `controller` owns this content controller; `database` is its store, shared so that it outlives both.
    MNContentController(std::weak_ptr<MNContentOwner> controller, std::shared_ptr<MNDatabase> database);
    ~MNContentController() override;

    std::string className() const override { return "MNContentController"; }
    void loadView() override;
    void viewWillAppear(ui::Animated animated) override;
    void viewDidAppear(ui::Animated animated) override;
    void viewWillDisappear(ui::Animated animated) override;
    void viewDidDisappear(ui::Animated animated) override;
    void didReceiveMemoryWarning() override;

    // --- Client ---
    void bootClient(int64_t applicationID);
    // The boot expression for `applicationID` as bootClient runs it.
    std::string bootExpression(int64_t applicationID);
    void loadScript(const std::string& path, const std::string& execute);
    void loadScriptWithBaseURL(const std::string& path, const std::string& execute, const std::string& baseURL);
    void requestFile(const std::string& path);
    void updateSessionStart();
    void forceClientReboot();
    void setClientPreRollCheckInTimer(std::shared_ptr<fnd::Timer> timer);
    bool hasPreRollCheckInTimer() const;
    void cancelAdDisplay();
    void dismiss();
    void mark(unsigned flag, bool visible);
    unsigned markedVisibilityFlags() const { return markedVisibilityFlags_; }
    bool isAdDisplayCancelled() const { return isAdDisplayCancelled_; }
    void setAdDisplayCancelled(bool cancelled) { isAdDisplayCancelled_ = cancelled; }
    // Stops the bridge's polling and every timer; the controller calls it as it goes.
    void teardown();

    // --- Menu button ---
    void scheduleMenuButtonAppearance();
    void showMenuButton();
    void placeMenuButton();
    void displayActionSheet();
    const std::shared_ptr<ui::Button>& menuButton() const { return menuButton_; }

    // --- Views ---
    void preparePageBrowserMode(bool browserMode);
    std::shared_ptr<ui::View> transformationView();
    void setRelativeRotation(float degrees);
    const gfx::AffineTransform& transform() const { return transform_; }
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<JavascriptBridge>& jsBridge() const { return jsBridge_; }
    const std::shared_ptr<JavascriptBridgeDelegate>& jsBridgeDelegate() const { return jsBridgeDelegate_; }
    const std::shared_ptr<MNMessageBox>& loadingScreen() const { return loadingScreen_; }
    const std::shared_ptr<ui::NavigationBar>& navigationBar() const { return navigationBar_; }
    void goBack();
    void goForward();
    void segmentedControlValueChanged(ui::Control& control);

    // --- Device ---
    void captureAccelerometer();
    void releaseAccelerometer();
    void accelerometerDidAccelerate(device::Accelerometer& accelerometer, const device::Acceleration& a) override;
    void hideStatusBar();
    void showStatusBar();

    // --- The page's loads ---
    // The URL policy: whether the web view may load `url` (navigation `type`).
    bool shouldStartLoad(const fnd::Url& url, ui::NavigationType type);
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    // --- IMarlinContentHost ---
    int clientState() const override { return clientState_; }
    void setClientState(int state) override { clientState_ = state; }
    bool isAdPrefetched() const override { return isAdPrefetched_; }
    void setAdPrefetched(bool prefetched) override { isAdPrefetched_ = prefetched; }
    bool hasClientCheckedInOnPreRoll() const override { return hasClientCheckedInOnPreRoll_; }
    void setHasClientCheckedInOnPreRoll(bool checkedIn) override;
    std::string loadingMessage() const override { return loadingMessage_; }
    void setLoadingMessage(const std::string& message) override { loadingMessage_ = message; }
    std::string webViewTitle() const override { return webViewTitle_; }
    void setWebViewTitle(const std::string& title) override { webViewTitle_ = title; }
    double exitItemDisplayTime() const override { return exitItemDisplayTime_; }
    void setExitItemDisplayTime(double seconds) override { exitItemDisplayTime_ = seconds; }
    double menuTimerValue() const override { return menuTimerValue_; }
    void setMenuTimerValue(double seconds) override { menuTimerValue_ = seconds; }
    double sdkAccelerometerUpdateInterval() const override { return sdkAccelerometerUpdateInterval_; }
    void setSdkAccelerometerUpdateInterval(double seconds) override;
    bool javascriptRequestPassthrough() const override { return javascriptRequestPassthrough_; }
    void setJavascriptRequestPassthrough(bool on) override { javascriptRequestPassthrough_ = on; }
    void presentContent() override;
    // Slides the content away without animation, leaving the client's state as it is.
    void dismissContent() override;
    void bootClient() override;
    void showLoadingScreen() override;
    void dismissLoadingScreen() override;
    void hideMenuButton() override;
    bool isBrowserMode() const override { return isBrowserMode_; }
    void setBrowserMode(bool on) override { preparePageBrowserMode(on); }
    void loadScript(const std::string& path, const std::string& expression,
                    const std::optional<std::string>& baseURL) override;
    void requestPage(const std::string& url, bool browserMode) override;
    std::string currentScript() override;
    gfx::Size transformationViewSize() const override;
    int deviceOrientation() const override;
    void prepareAnimationView(bool prepare) override;
    std::shared_ptr<MNAnimationView> animationView() override { return animationView_; }
    std::string serverURL() const override;
    void setServerURL(const std::string& url) override;
    int64_t applicationID() const override;
    void setApplicationID(int64_t applicationID) override;
    std::optional<std::string> clientVersion() override;
    void setClientVersion(const std::string& version) override;
    int64_t sessionStart() const override { return sessionStart_; }
    void notifyConnectionFailed() override;
    MNDatabase& database() override;

private:
    std::shared_ptr<MNContentController> self();
    std::shared_ptr<MNContentOwner> controller() const { return controller_.lock(); }
    // "file:/" and the Documents/"MNContent" path with every "/" doubled and blanks as "%20", then "//".
    static std::string contentBaseURL();
    void handleMarlinURL(const fnd::Url& url);
    void updateNavigationImages();
    void showExitItem(bool show);
    void dropTimer(std::shared_ptr<fnd::Timer>& timer);

    std::weak_ptr<MNContentOwner> controller_;
    std::shared_ptr<MNDatabase> database_;
    std::shared_ptr<ui::View> transformationView_;
    std::shared_ptr<ui::NavigationBar> navigationBar_;
    std::shared_ptr<ui::WebView> webView_;
    std::shared_ptr<MNAnimationView> animationView_;
    std::shared_ptr<ui::SegmentedControl> navigationControls_;
    std::shared_ptr<ui::NavigationItem> navigationItem_;
    std::shared_ptr<ui::BarButtonItem> exitItem_;
    std::shared_ptr<ui::ActivityIndicatorView> loadingIndicator_;
    std::shared_ptr<MNMessageBox> loadingScreen_;
    std::shared_ptr<ui::Button> menuButton_;
    std::optional<std::string> baseURL_;
    std::shared_ptr<fnd::Timer> loadingScreenTimeout_;
    std::shared_ptr<fnd::Timer> menuTimer_;
    std::shared_ptr<fnd::Timer> clientPreRollCheckInTimer_;
    std::shared_ptr<fnd::Timer> exitItemTimer_;
    double exitItemDisplayTime_ = 0;
    double menuTimerValue_ = 10;
    std::shared_ptr<JavascriptBridge> jsBridge_;
    std::shared_ptr<JavascriptBridgeDelegate> jsBridgeDelegate_;
    std::shared_ptr<JavascriptBridgeAnimationDelegate> jsBridgeAnimationDelegate_;
    unsigned markedVisibilityFlags_ = 0;
    int64_t sessionStart_ = 0;
    bool isAdDisplayCancelled_ = false;
    bool isBrowserMode_ = false;
    bool isLoading_ = false;
    bool didHideStatusBar_ = false;
    bool javascriptRequestPassthrough_ = false;
    bool isAdPrefetched_ = false;
    bool hasClientCheckedInOnPreRoll_ = false;
    int clientState_ = 0;
    std::string loadingMessage_ = "Loading...";
    std::string webViewTitle_;
    gfx::AffineTransform transform_;
    double appAccelerometerUpdateInterval_ = 0;
    std::weak_ptr<device::AccelerometerDelegate> appAccelerometerDelegate_;
    bool capturedAccelerometer_ = false;
    double sdkAccelerometerUpdateInterval_ = 1000.0;
};

} // namespace zelvan::marlin
