#include "ads/marlin/mn_content_controller.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/base64.h"
#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/javascript_bridge_animation_delegate.h"
#include "ads/marlin/javascript_bridge_delegate.h"
#include "ads/marlin/mn_content_owner.h"
#include "ads/marlin/mn_database.h"
#include "ads/marlin/mn_log.h"
#include "ads/marlin/mn_message_box.h"
#include "ads/marlin/mn_resources.h"
#include "platform/device/device.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/timer.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/button.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/screen.h"
#include "platform/ui/segmented_control.h"
#include "platform/ui/window.h"

namespace zelvan::marlin {

namespace {

constexpr std::string_view kPrefetchedKey = "isAdPrefetched";
constexpr std::string_view kSessionStartKey = "sessionStart";
constexpr double kNavigationBarHeight = 32;
constexpr double kPollingInterval = 1.0 / 30.0;
constexpr ui::AutoresizingMask kFlexibleSize =
    ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight;

std::string documentsPath(std::string_view name) {
    return fnd::appendingPathComponent(fnd::AppFolders::documents(), std::string(name));
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return !prefix.empty() && text.starts_with(prefix);
}

// The query of a "marlin" command URL: pieces at "&", each split at its first "=".
std::map<std::string, std::string> commandArguments(const std::string& query) {
    std::map<std::string, std::string> arguments;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) {
            end = query.size();
        }
        std::string piece = query.substr(start, end - start);
        if (!piece.empty()) {
            size_t eq = piece.find('=');
            if (eq == std::string::npos) {
                arguments[piece] = "";
            } else {
                arguments[piece.substr(0, eq)] = piece.substr(eq + 1);
            }
        }
        start = end + 1;
    }
    return arguments;
}

} // namespace

MNContentController::MNContentController(std::weak_ptr<MNContentOwner> controller, std::shared_ptr<MNDatabase> database)
    : controller_(std::move(controller)), database_(std::move(database)) {}

MNContentController::~MNContentController() {
    teardown();
}

std::shared_ptr<MNContentController> MNContentController::self() {
    return std::static_pointer_cast<MNContentController>(shared_from_this());
}

void MNContentController::dropTimer(std::shared_ptr<fnd::Timer>& timer) {
    if (timer) {
        timer->invalidate();
        timer.reset();
    }
}

void MNContentController::teardown() {
    if (jsBridge_) {
        jsBridge_->halt();
        jsBridge_->flushJavascriptCommands();
    }
    dropTimer(loadingScreenTimeout_);
    dropTimer(menuTimer_);
    dropTimer(clientPreRollCheckInTimer_);
    dropTimer(exitItemTimer_);
    if (capturedAccelerometer_) {
        releaseAccelerometer();
    }
}

// --- Layout ---

void MNContentController::loadView() {
    auto root = ui::View::create<ui::View>(ui::Screen::main().applicationFrame());
    root->setOpaque(true);
    root->setBackgroundColor(gfx::Color::black());
    root->setAutoresizingMask(kFlexibleSize);
    transformationView_ = ui::View::create<ui::View>(root->bounds());
    transformationView_->setAutoresizingMask(kFlexibleSize);
    root->addSubview(transformationView_);

    navigationBar_ =
        ui::View::create<ui::NavigationBar>(gfx::Rect(0, 0, root->bounds().size.width, kNavigationBarHeight));
    navigationBar_->setBarStyle(ui::BarStyle::Black);
    navigationBar_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                        ui::AutoresizingMask::FlexibleBottomMargin);
    navigationItem_ = std::make_shared<ui::NavigationItem>();
    std::weak_ptr<MNContentController> weak = std::static_pointer_cast<MNContentController>(shared_from_this());
    exitItem_ =
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Done, [weak](ui::BarButtonItem&) {
            if (auto s = weak.lock()) {
                s->dismiss();
            }
        });
    navigationItem_->setLeftBarButtonItem(exitItem_);
    loadingIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    navigationControls_ =
        ui::SegmentedControl::initWithItems({MNResources::backButton(), MNResources::forwardButton()});
    navigationControls_->setMomentary(true);
    navigationControls_->setSegmentedControlStyle(ui::SegmentedControlStyle::Bar);
    navigationControls_->setTintColor(gfx::Color::gray());
    navigationControls_->setWidth(40, 0);
    navigationControls_->setWidth(40, 1);
    navigationControls_->addTarget(weak, &MNContentController::segmentedControlValueChanged,
                                   ui::ControlEvents::ValueChanged);
    navigationItem_->setRightBarButtonItem(ui::BarButtonItem::initWithCustomView(navigationControls_));
    navigationBar_->pushNavigationItem(navigationItem_);
    navigationBar_->setHidden(true);
    transformationView_->addSubview(navigationBar_);
    loadingMessage_ = "Loading...";
    setView(root);
}

std::shared_ptr<ui::View> MNContentController::transformationView() {
    view();
    return transformationView_;
}

gfx::Size MNContentController::transformationViewSize() const {
    return transformationView_ ? transformationView_->bounds().size : gfx::Size(320, 480);
}

int MNContentController::deviceOrientation() const {
    return static_cast<int>(ui::Application::shared().statusBarOrientation());
}

// --- Appearance ---

void MNContentController::viewWillAppear(ui::Animated /*animated*/) {
    mark(kVisibleContent, true);
    placeMenuButton();
    if (menuButton_) {
        menuButton_->setHidden(true);
    }
    scheduleMenuButtonAppearance();
}

void MNContentController::viewDidAppear(ui::Animated /*animated*/) {
    dismissLoadingScreen();
    captureAccelerometer();
    scheduleMenuButtonAppearance();
    if (auto c = controller()) {
        if (auto app = c->appWindow()) {
            app->setHidden(true);
        }
        c->mnWindow()->setWindowLevel(ui::kWindowLevelAlert);
        c->mnWindow()->setHidden(false);
    }
}

void MNContentController::viewWillDisappear(ui::Animated /*animated*/) {
    dropTimer(menuTimer_);
    releaseAccelerometer();
}

void MNContentController::viewDidDisappear(ui::Animated /*animated*/) {
    prepareAnimationView(false);
    mark(kVisibleContent, false);
}

void MNContentController::didReceiveMemoryWarning() {
    ViewController::didReceiveMemoryWarning();
    if (auto c = controller()) {
        c->marlinDidReceiveMemoryWarning();
    }
}

// --- Client ---

std::string MNContentController::bootExpression(int64_t applicationID) {
    auto& device = device::Device::current();
    std::string deviceName = fnd::format("%@ - %@", device.model(), device.systemVersion());
    std::erase(deviceName, ' ');
    const std::string version = clientVersion().value_or("0.0");
    return fnd::format("boot(%lld, '%@', '%@', '%@', '%@');", static_cast<long long>(applicationID),
                       fnd::jsEscape(deviceName), fnd::jsEscape(device.uniqueIdentifier()),
                       std::string(MNContentOwner::kSdkVersion), fnd::jsEscape(version));
}

void MNContentController::bootClient(int64_t applicationID) {
    auto& db = database();
    auto seed = [&db](std::string_view name, const std::string& script) {
        fnd::Value rows = db.sqlExecute("SELECT filename FROM javascript WHERE filename=?", {fnd::Value(name)});
        if (!rows.asArray() || rows.asArray()->count() == 0) {
            db.execute("INSERT INTO javascript (filename, script) VALUES(?, ?)",
                       {fnd::Value(name), fnd::Value(Base64::base64StringWithString(script))});
        }
    };
    seed(MNDatabase::kBootScriptFile, MNResources::bootJS());
    seed(MNDatabase::kClientScriptFile, MNResources::clientJS());
    isAdPrefetched_ = db.valueForRecordID(kPrefetchedKey, MNDatabase::kSettingsTable, 0) != 0;
    clientState_ = 0;
    preparePageBrowserMode(false);
    updateSessionStart();
    loadScript(documentsPath(MNDatabase::kBootScriptFile), bootExpression(applicationID));
}

void MNContentController::bootClient() {
    bootClient(applicationID());
}

std::string MNContentController::contentBaseURL() {
    std::string path = documentsPath("MNContent");
    std::string escaped;
    for (char c : path) {
        if (c == '/') {
            escaped += "//";
        } else if (c == ' ') {
            escaped += "%20";
        } else {
            escaped += c;
        }
    }
    return "file:/" + escaped + "//";
}

void MNContentController::loadScript(const std::string& path, const std::string& execute) {
    loadScriptWithBaseURL(path, execute, contentBaseURL());
}

void MNContentController::loadScript(const std::string& path, const std::string& expression,
                                     const std::optional<std::string>& baseURL) {
    if (baseURL) {
        loadScriptWithBaseURL(path, expression, *baseURL);
    } else {
        loadScript(path, expression);
    }
}

void MNContentController::loadScriptWithBaseURL(const std::string& path, const std::string& execute,
                                                const std::string& baseURL) {
    preparePageBrowserMode(false);
    const std::string name = fnd::lastPathComponent(path);
    std::string script;
    fnd::Value rows = database().sqlExecute("SELECT script FROM javascript WHERE filename=?", {fnd::Value(name)});
    if (rows.asArray() && rows.asArray()->count() > 0) {
        auto row = rows.asArray()->objectAtIndex(0);
        std::string stored =
            row.asArray() && row.asArray()->count() > 0 ? row.asArray()->objectAtIndex(0).stringValue() : "";
        script = Base64::stringWithBase64String(stored).value_or("");
    } else if (auto bytes = fnd::readFile(path)) {
        script.assign(bytes->begin(), bytes->end());
    } else {
        ZLOG_TO(kMarlinLog, Warn, "marlin: no script named %s to load", name.c_str());
    }
    jsBridge_->loadJavascriptString(script, execute, name, fnd::Url::parse(baseURL));
    if (animationView_) {
        animationView_->setBaseURL(baseURL_ ? fnd::Url::parse(*baseURL_) : std::nullopt);
    }
    baseURL_ = baseURL;
}

void MNContentController::requestFile(const std::string& path) {
    requestPage(fnd::Url::fileUrl(path).absoluteString(), false);
}

std::string MNContentController::currentScript() {
    return webView_ ? webView_->stringByEvaluatingJavaScriptFromString("MNScriptName();") : "";
}

void MNContentController::updateSessionStart() {
    if (sessionStart_ > 0 || !webView_) {
        return;
    }
    const std::string now = webView_->stringByEvaluatingJavaScriptFromString("new Date().getTime()");
    char* end = nullptr;
    const double value = std::strtod(now.c_str(), &end);
    if (end == now.c_str() || !std::isfinite(value) || value <= 0) {
        ZLOG_TO(kMarlinLog, Warn, "marlin: the page gave no usable time for the session start");
        return;
    }
    sessionStart_ = static_cast<int64_t>(value);
    database().setRecordIDTableValue(kSessionStartKey, MNDatabase::kSettingsTable, sessionStart_);
}

// --- Pre-roll check-in and states ---

void MNContentController::setClientPreRollCheckInTimer(std::shared_ptr<fnd::Timer> timer) {
    dropTimer(clientPreRollCheckInTimer_);
    clientPreRollCheckInTimer_ = std::move(timer);
    MNLog("clientPreRollCheckInTimer set.");
}

bool MNContentController::hasPreRollCheckInTimer() const {
    return clientPreRollCheckInTimer_ && clientPreRollCheckInTimer_->isValid();
}

void MNContentController::setHasClientCheckedInOnPreRoll(bool checkedIn) {
    hasClientCheckedInOnPreRoll_ = checkedIn;
    if (checkedIn) {
        dropTimer(clientPreRollCheckInTimer_);
        MNLog("Pre-roll check-in timer cleared.");
    }
}

void MNContentController::forceClientReboot() {
    MNLog("Forcing client reboot...");
    clientPreRollCheckInTimer_.reset();
    database().setRecordIDTableValue(kPrefetchedKey, MNDatabase::kSettingsTable, 0);
    database().execute("DELETE FROM nextAd", {});
    isAdPrefetched_ = false;
    dismissLoadingScreen();
    clientState_ = -1;
    dismiss();
    bootClient(applicationID());
}

void MNContentController::mark(unsigned flag, bool visible) {
    const unsigned before = markedVisibilityFlags_;
    markedVisibilityFlags_ = visible ? (before | flag) : (before & ~flag);
    auto c = controller();
    if (!c) {
        return;
    }
    if (before == 0 && markedVisibilityFlags_ != 0) {
        c->marlinDisplayWillOpen();
        c->makeKeyWindow();
    } else if (before != 0 && markedVisibilityFlags_ == 0) {
        c->marlinDisplayWillClose();
    }
}

void MNContentController::presentContent() {
    if (auto c = controller()) {
        c->presentController(self(), false);
    }
}

void MNContentController::cancelAdDisplay() {
    if (clientState_ == 3 || clientState_ == 4) {
        MNLog("Not cancelling ad display because we are already displaying!");
        return;
    }
    dismissLoadingScreen();
    isAdDisplayCancelled_ = true;
    auto c = controller();
    if (c) {
        c->dismissController(self(), false);
        c->marlinAdDisplayFailed();
    }
    mark(kVisibleContent, false);
    mark(kVisibleLoadingScreen, false);
}

void MNContentController::dismissContent() {
    if (auto c = controller()) {
        c->dismissController(self(), false);
    }
}

void MNContentController::dismiss() {
    dismissContent();
    if (clientState_ == 4) {
        clientState_ = 0;
        bootClient(applicationID());
    } else if (clientState_ == 3) {
        if (currentScript() == MNDatabase::kClientScriptFile) {
            jsBridge_->sendJavascriptCommand("prefetchAd();");
        } else {
            loadScript(documentsPath(MNDatabase::kClientScriptFile), "prefetchAd()");
        }
    }
    mark(kVisibleContent, false);
}

// --- Menu button ---

void MNContentController::scheduleMenuButtonAppearance() {
    if (menuTimerValue_ > 0) {
        dropTimer(menuTimer_);
        std::weak_ptr<MNContentController> weak = self();
        menuTimer_ = fnd::Timer::scheduled(menuTimerValue_, fnd::Repeats::No, [weak](fnd::Timer&) {
            if (auto s = weak.lock()) {
                s->showMenuButton();
            }
        });
    } else if (menuTimerValue_ == 0) {
        hideMenuButton();
    } else {
        showMenuButton();
    }
}

void MNContentController::showMenuButton() {
    menuTimer_.reset();
    if (!menuButton_) {
        placeMenuButton();
    }
    if (menuButton_) {
        menuButton_->setHidden(false);
        menuButton_->setEnabled(true);
        transformationView_->bringSubviewToFront(menuButton_.get());
    }
}

void MNContentController::hideMenuButton() {
    dropTimer(menuTimer_);
    if (menuButton_) {
        menuButton_->setHidden(true);
        menuButton_->setEnabled(false);
    }
}

void MNContentController::placeMenuButton() {
    if (isBrowserMode_) {
        return;
    }
    auto tv = transformationView();
    const bool hidden = menuButton_ ? menuButton_->isHidden() : true;
    if (menuButton_) {
        menuButton_->removeFromSuperview();
    }
    menuButton_ = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    menuButton_->setFrame(gfx::Rect(8, tv->bounds().size.height - 32, 64, 24));
    menuButton_->setTitle("Menu", ui::ControlState::Normal);
    menuButton_->setHidden(hidden);
    menuButton_->addTarget(std::weak_ptr<MNContentController>(self()), &MNContentController::displayActionSheet,
                           ui::ControlEvents::TouchUpInside);
    tv->addSubview(menuButton_);
}

void MNContentController::displayActionSheet() {
    hideMenuButton();
    if (jsBridgeDelegate_) {
        jsBridgeDelegate_->displayActionSheet();
    }
}

// --- Browser mode, pages and the animation view ---

void MNContentController::preparePageBrowserMode(bool browserMode) {
    if (browserMode == isBrowserMode_ && webView_) {
        return;
    }
    isBrowserMode_ = browserMode;
    if (browserMode) {
        hideMenuButton();
    }
    auto tv = transformationView();
    const gfx::Rect bounds = tv->bounds();
    navigationBar_->setHidden(!browserMode);
    const gfx::Rect webFrame =
        browserMode ? gfx::Rect(0, kNavigationBarHeight, bounds.size.width, bounds.size.height - kNavigationBarHeight)
                    : bounds;
    if (browserMode && exitItemDisplayTime_ != 0) {
        showExitItem(false);
        dropTimer(exitItemTimer_);
        std::weak_ptr<MNContentController> weak = self();
        exitItemTimer_ = fnd::Timer::scheduled(exitItemDisplayTime_, fnd::Repeats::No, [weak](fnd::Timer&) {
            if (auto s = weak.lock()) {
                s->showExitItem(true);
            }
        });
    }
    if (!webView_) {
        webView_ = ui::View::create<ui::WebView>(webFrame);
        webView_->setScalesPageToFit(true);
        webView_->setAutoresizingMask(kFlexibleSize);
        tv->insertSubviewAtIndex(webView_, 0);
        auto me = self();
        webView_->setDelegate(std::static_pointer_cast<ui::WebViewDelegate>(me));
        jsBridge_ = JavascriptBridge::javascriptBridgeWithPollingInterval(kPollingInterval, webView_);
        std::weak_ptr<IMarlinContentHost> host = std::static_pointer_cast<IMarlinContentHost>(me);
        jsBridge_->setContentHost(host);
        jsBridgeDelegate_ = std::make_shared<JavascriptBridgeDelegate>(host);
        jsBridgeAnimationDelegate_ = std::make_shared<JavascriptBridgeAnimationDelegate>(host);
        jsBridge_->addCommandHandler(jsBridgeDelegate_);
        jsBridge_->addCommandHandler(jsBridgeAnimationDelegate_);
    } else {
        webView_->setFrame(webFrame);
    }
}

void MNContentController::showExitItem(bool show) {
    if (navigationItem_) {
        navigationItem_->setLeftBarButtonItem(show ? exitItem_ : nullptr);
    }
}

void MNContentController::requestPage(const std::string& url, bool browserMode) {
    releaseAccelerometer();
    preparePageBrowserMode(browserMode);
    isLoading_ = true;
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG_TO(kMarlinLog, Warn, "marlin: refusing to open a page whose address does not parse");
        return;
    }
    if (startsWith(url, controller() ? controller()->addresses().videoURL : "")) {
        const gfx::Size size = transformationViewSize();
        const std::string title = webViewTitle_.empty() ? "YouTube" : webViewTitle_;
        const std::string html = fnd::format(MNResources::youtubeTemplateHTML(), static_cast<int>(size.width),
                                             fnd::htmlEscape(title), fnd::htmlEscape(url), size.width, size.height);
        webView_->loadData(fnd::Bytes(html.begin(), html.end()), "text/html", "utf-8", parsed);
        return;
    }
    webView_->loadRequest(fnd::UrlRequest(*parsed));
}

void MNContentController::prepareAnimationView(bool prepare) {
    if (!prepare) {
        if (animationView_) {
            animationView_->removeFromSuperview();
            animationView_.reset();
        }
        if (jsBridgeAnimationDelegate_) {
            jsBridgeAnimationDelegate_->setAnimationView(nullptr);
        }
        return;
    }
    const gfx::Rect frame = webView_ ? webView_->frame() : transformationView()->bounds();
    if (animationView_) {
        animationView_->setFrame(frame);
        return;
    }
    animationView_ = ui::View::create<MNAnimationView>(frame);
    animationView_->setBaseURL(baseURL_ ? fnd::Url::parse(*baseURL_) : std::nullopt);
    animationView_->setAutoresizingMask(kFlexibleSize);
    auto tv = transformationView();
    tv->addSubview(animationView_);
    tv->bringSubviewToFront(animationView_.get());
}

void MNContentController::setRelativeRotation(float degrees) {
    transform_ = gfx::AffineTransform::identity().rotate(degrees * std::numbers::pi / 180.0);
    auto tv = transformationView();
    tv->setTransform(transform_);
    const gfx::Rect mapped = transform_.applyToRect(view()->bounds());
    tv->setBounds(gfx::Rect(0, 0, std::round(mapped.size.width), std::round(mapped.size.height)));
}

void MNContentController::goBack() {
    if (webView_) {
        webView_->goBack();
    }
}

void MNContentController::goForward() {
    if (webView_) {
        webView_->goForward();
    }
}

void MNContentController::segmentedControlValueChanged(ui::Control& control) {
    // The back and forward pair sends it.
    if (static_cast<ui::SegmentedControl&>(control).selectedSegmentIndex() == 0) {
        goBack();
    } else {
        goForward();
    }
}

void MNContentController::updateNavigationImages() {
    if (!navigationControls_ || !webView_) {
        return;
    }
    navigationControls_->setImage(webView_->canGoBack() ? MNResources::backButton() : MNResources::backButtonDisabled(),
                                  0);
    navigationControls_->setImage(
        webView_->canGoForward() ? MNResources::forwardButton() : MNResources::forwardButtonDisabled(), 1);
}

// --- Device ---

void MNContentController::captureAccelerometer() {
    auto& accelerometer = device::Accelerometer::shared();
    auto me = std::static_pointer_cast<device::AccelerometerDelegate>(self());
    if (accelerometer.delegate() != me) {
        appAccelerometerDelegate_ = accelerometer.delegate();
        appAccelerometerUpdateInterval_ = accelerometer.updateInterval();
    }
    accelerometer.setDelegate(me);
    accelerometer.setUpdateInterval(sdkAccelerometerUpdateInterval_);
    capturedAccelerometer_ = true;
}

void MNContentController::releaseAccelerometer() {
    if (!capturedAccelerometer_) {
        return;
    }
    auto& accelerometer = device::Accelerometer::shared();
    accelerometer.setDelegate(appAccelerometerDelegate_);
    accelerometer.setUpdateInterval(appAccelerometerUpdateInterval_);
    capturedAccelerometer_ = false;
}

void MNContentController::setSdkAccelerometerUpdateInterval(double seconds) {
    sdkAccelerometerUpdateInterval_ = seconds;
    if (capturedAccelerometer_) {
        device::Accelerometer::shared().setUpdateInterval(seconds);
    }
}

void MNContentController::accelerometerDidAccelerate(device::Accelerometer& /*accelerometer*/,
                                                     const device::Acceleration& a) {
    if (jsBridge_) {
        jsBridge_->sendJavascriptCommand(fnd::format("accelerometerDidAccelerate(%f, %f, %f);", a.x, a.y, a.z));
    }
}

void MNContentController::hideStatusBar() {
    auto& app = ui::Application::shared();
    if (app.statusBarHidden()) {
        return;
    }
    app.setStatusBarHidden(true);
    didHideStatusBar_ = true;
    gfx::Rect frame = view()->frame();
    frame.origin.y = 0;
    view()->setFrame(frame);
}

void MNContentController::showStatusBar() {
    if (didHideStatusBar_) {
        ui::Application::shared().setStatusBarHidden(false);
        didHideStatusBar_ = false;
    }
}

// --- Loading screen ---

void MNContentController::showLoadingScreen() {
    if (!isAdPrefetched_) {
        return;
    }
    if (loadingScreen_) {
        loadingScreen_->hide();
    }
    loadingScreen_ = MNMessageBox::messageBox();
    auto spinner =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    spinner->startAnimating();
    loadingScreen_->addView(spinner);
    if (loadingMessage_.starts_with("@")) {
        // The client script names a page of its own files: only a path inside Documents is loaded.
        if (auto path = fnd::containedPath(fnd::AppFolders::documents(), loadingMessage_.substr(1))) {
            auto page = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 256, 256));
            page->loadRequest(fnd::UrlRequest(fnd::Url::fileUrl(*path)));
            loadingScreen_->addView(page);
        } else {
            ZLOG_TO(kMarlinLog, Error, "marlin: loading page %@ is not inside Documents",
                    fnd::logPreview(loadingMessage_));
        }
    } else {
        loadingScreen_->setMessage(loadingMessage_);
    }
    loadingScreen_->setTransform(transform_);
    loadingScreen_->show();
    mark(kVisibleLoadingScreen, true);
}

void MNContentController::dismissLoadingScreen() {
    dropTimer(loadingScreenTimeout_);
    if (loadingScreen_) {
        loadingScreen_->hide();
        loadingScreen_.reset();
    }
    mark(kVisibleLoadingScreen, false);
}

// --- URL policy ---

bool MNContentController::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                            ui::NavigationType type) {
    return shouldStartLoad(request.url(), type);
}

bool MNContentController::shouldStartLoad(const fnd::Url& url, ui::NavigationType type) {
    const std::string& scheme = url.scheme();
    const std::string& text = url.absoluteString();
    if (scheme == "file") {
        return true;
    }
    if (scheme == "about") {
        return false;
    }
    if (scheme == "http" || scheme == "https") {
        if (javascriptRequestPassthrough_ && webView_) {
            const std::string answer = webView_->stringByEvaluatingJavaScriptFromString(
                fnd::format("shouldStartLoadWithRequest(\"%@\");", fnd::jsEscape(text)));
            if (answer != "true") {
                return false;
            }
        }
        auto c = controller();
        if (c && (startsWith(text, c->addresses().storeURL) || startsWith(text, c->addresses().mapsURL))) {
            ui::Application::shared().openURL(text);
            return false;
        }
        if (type == ui::NavigationType::Other || isBrowserMode_) {
            return true;
        }
        requestPage(text, true);
        return false;
    }
    if (scheme == "marlin") {
        handleMarlinURL(url);
        return false;
    }
    ui::Application::shared().openURL(text);
    return false;
}

void MNContentController::handleMarlinURL(const fnd::Url& url) {
    const std::string& host = url.host();
    if (host == "back" || host == "forward") {
        if (webView_) {
            webView_->stopLoading();
        }
        host == "back" ? goBack() : goForward();
    } else if (host == "skip") {
        dismiss();
    } else if (host == "ct") {
        if (webView_) {
            webView_->stringByEvaluatingJavaScriptFromString(
                fnd::format("handleClickthrough(\"%@\")", fnd::jsEscape(url.absoluteString())));
        }
    }
    if (isBrowserMode_ || host != "command") {
        return;
    }
    std::string command = url.path();
    if (command.starts_with("/")) {
        command.erase(0, 1);
    }
    auto arguments = commandArguments(url.query());
    if (command == "performCommand") {
        auto method = fnd::unescape(arguments["method"]);
        if (!method) {
            ZLOG_TO(kMarlinLog, Warn, "marlin: a performCommand page load carried a badly escaped method");
            return;
        }
        if (jsBridge_) {
            jsBridge_->executeCocoaCommand(*method);
        }
    } else if (command == "dbWrite") {
        const fnd::Bytes data = Base64::dataWithBase64String(arguments["data"]);
        if (!database().setRecordIDTableData(arguments["id"], arguments["table"], data)) {
            ZLOG_TO(kMarlinLog, Warn, "marlin: a dbWrite page load was refused");
        }
    }
}

// --- Web-view events ---

void MNContentController::webViewDidStartLoad(ui::WebView& /*webView*/) {
    isLoading_ = true;
    updateNavigationImages();
}

void MNContentController::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    isLoading_ = false;
    updateNavigationImages();
    if (isBrowserMode_) {
        showExitItem(true);
    }
}

void MNContentController::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    isLoading_ = false;
    dismissLoadingScreen();
    auto root = viewIfLoaded();
    const bool visible = root && root->window() && !root->window()->isHidden();
    if (!visible || error.code() == -999 || error.code() == 204) {
        MNLog("Page load failed: %@", error.description());
        return;
    }
    if (isBrowserMode_) {
        auto alert = ui::AlertView::initWithTitle(error.localizedDescription(), error.localizedFailureReason(),
                                                  std::weak_ptr<ui::AlertViewDelegate>(), std::string("Okay"));
        alert->show();
    } else {
        dismiss();
    }
}

// --- The controller's side of the host ---

std::string MNContentController::serverURL() const {
    auto c = controller();
    return c ? c->serverURL() : "";
}

void MNContentController::setServerURL(const std::string& url) {
    if (auto c = controller()) {
        c->setServerURL(url);
    }
}

int64_t MNContentController::applicationID() const {
    auto c = controller();
    return c ? c->applicationID() : 0;
}

void MNContentController::setApplicationID(int64_t applicationID) {
    if (auto c = controller()) {
        c->setApplicationID(applicationID);
    }
}

std::optional<std::string> MNContentController::clientVersion() {
    auto c = controller();
    return c ? c->clientVersion() : std::nullopt;
}

void MNContentController::setClientVersion(const std::string& version) {
    if (auto c = controller()) {
        c->setClientVersion(version);
    }
}

void MNContentController::notifyConnectionFailed() {
    if (auto c = controller()) {
        c->marlinConnectionFailed();
    }
}

MNDatabase& MNContentController::database() {
    return *database_;
}

} // namespace zelvan::marlin
