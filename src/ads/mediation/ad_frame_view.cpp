// The Reelbox banner view: loading and checking the ad page, the takeover and its links.
#include "ads/mediation/ad_frame_view.h"

#include <cctype>
#include <utility>

#include "ads/mediation/med_log.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url.h"
#include "platform/graphics/font.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/touch.h"
#include "platform/ui/window.h"

namespace zelvan::mediation {
namespace {

constexpr double kHideStatusBarDelay = 0.5;
constexpr double kShowStatusBarDelay = 0.65;
constexpr const char* kShowTakeover = "showTakeover";
constexpr const char* kHideTakeover = "hideTakeover";
constexpr const char* kRuleCount = "document.getElementById( 'gfx' ).sheet.cssRules.length";
constexpr const char* kRuleText = "document.getElementById( 'gfx' ).sheet.cssRules[%d].cssText";

// A count the page gives: its decimal digits, capped; anything that is not a plain number is 0.
int pageCount(const std::string& text, int cap) {
    const std::string trimmed = fnd::trim(text, fnd::CharSet::WhitespaceAndNewline);
    if (trimmed.empty()) {
        return 0;
    }
    int value = 0;
    for (char c : trimmed) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return 0;
        }
        value = value >= cap ? cap : value * 10 + (c - '0');
    }
    return value > cap ? cap : value;
}

} // namespace

std::shared_ptr<AdFrameView> AdFrameView::create(gfx::Rect frame) {
    auto view = ui::View::create<AdFrameView>(frame);
    view->localInit();
    return view;
}

std::weak_ptr<ui::WebViewDelegate> AdFrameView::asDelegate() {
    return std::static_pointer_cast<ui::WebViewDelegate>(self<AdFrameView>());
}

void AdFrameView::localInit() {
    setBackgroundColor(gfx::Color::clear());
    setUserInteractionEnabled(false);
    bannerView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 300, 50));
    bannerView_->setOpaque(false);
    bannerView_->setBackgroundColor(gfx::Color::clear());
    bannerView_->setUserInteractionEnabled(false);
    bannerView_->setDelegate(asDelegate());
    bannerView_->setScalesPageToFit(false);
    addSubview(bannerView_);
    takeoverView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 44, 320, 436));
    takeoverView_->setUserInteractionEnabled(true);
    takeoverView_->setScalesPageToFit(false);
    takeoverContainer_ = ui::View::create(gfx::Rect(0, 0, 320, 480));
    takeoverContainer_->addSubview(takeoverView_);
    createCloseButton();
}

void AdFrameView::createCloseButton() {
    auto toolbar = ui::View::create<ui::Toolbar>(gfx::Rect(0, 0, 320, 44));
    toolbar->setBarStyle(ui::BarStyle::Default);
    toolbar->setTintColor(gfx::Color::darkGray());
    std::weak_ptr<AdFrameView> weak = self<AdFrameView>();
    toolbar->setItems(
        {ui::BarButtonItem::initWithTitle("Return", ui::BarButtonItemStyle::Done, [weak](ui::BarButtonItem&) {
            if (auto view = weak.lock()) {
                view->onCloseEvent();
            }
        })});
    takeoverContainer_->addSubview(toolbar);
    auto label = ui::View::create<ui::Label>(gfx::Rect(194, 0, 120, 44));
    label->setFont(label->font()->fontWithSize(12));
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::gray());
    label->setShadowColor(gfx::Color::darkGray());
    label->setShadowOffset(gfx::Size(1, 1));
    label->setText("Powered by Reelbox");
    takeoverContainer_->addSubview(label);
    activityIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    activityIndicator_->setHidesWhenStopped(true);
    const gfx::Rect box = activityIndicator_->frame();
    activityIndicator_->setFrame(
        gfx::Rect(160 - box.size.width / 2, 22 - box.size.height / 2, box.size.width, box.size.height));
    takeoverContainer_->addSubview(activityIndicator_);
}

AdFrameView::~AdFrameView() {
    for (auto* web : {&bannerView_, &landingView_, &takeoverView_}) {
        if (*web) {
            (*web)->setDelegate({});
            (*web)->stopLoading();
        }
    }
    statusBarTimer_.cancel();
    if (takeoverContainer_) {
        takeoverContainer_->removeFromSuperview();
    }
}

std::string AdFrameView::adTagURL(const std::map<std::string, std::string>& parameters, const std::string& rid) const {
    auto value = [&parameters](const char* key) {
        auto found = parameters.find(key);
        return found == parameters.end() ? std::string() : found->second;
    };
    std::string url = serverBase_ + fnd::format("/LSERVER/hserver/aamsz=iphone/rid=%@/pui=%@/ccid=/area=fb_%@/pb=%@/"
                                                "adVersion=%@",
                                                rid, device::Device::current().uniqueIdentifier(), value("area"),
                                                value("publisher"), kAdVersion);
    std::map<std::string, std::string> extras{{"_site", "kinlink"}, {"_dim", "300x50"}};
    for (const auto& [key, text] : parameters) {
        extras[key] = text;
    }
    for (const auto& [key, text] : extras) {
        if (!key.empty() && key[0] == '_') {
            url += fnd::format("/%@=%@", key.substr(1), text);
        }
    }
    return url;
}

void AdFrameView::requestAd(const std::map<std::string, std::string>& parameters) {
    if (takeoverVisible_) {
        return;
    }
    setUserInteractionEnabled(false);
    for (auto* web : {&bannerView_, &takeoverView_, &landingView_}) {
        if (*web) {
            (*web)->stopLoading();
        }
    }
    localAd_ = false;
    const auto seconds = static_cast<uint32_t>(fnd::Clock::now().since1970());
    const std::string rid = device::Device::current().uniqueIdentifier() + fnd::format("%08x", seconds);
    auto given = [&parameters](const char* key) -> const std::string* {
        auto found = parameters.find(key);
        return found == parameters.end() ? nullptr : &found->second;
    };
    std::string url;
    if (const std::string* adURL = given("adURL")) {
        url = *adURL;
    } else if (const std::string* local = given("localAd")) {
        auto path = fnd::Bundle::main().pathForResource(*local, "html");
        if (!path) {
            ZLOG_TO(kMediationLog, Warn, "mediation: no bundled ad page %s", fnd::logPreview(*local));
            setLastError(kNoAdError);
            post(kVELoadFailure);
            return;
        }
        bannerView_->loadRequest(fnd::UrlRequest(fnd::Url::fileUrl(*path)));
        localAd_ = true;
        return;
    } else if (const std::string* publisher = given("publisher");
               publisher && fnd::caseInsensitiveCompare(*publisher, "testpublisher") == 0) {
        url = serverBase_ + kSamplePath;
    } else {
        url = adTagURL(parameters, rid);
    }
    ZLOG_TO(kMediationLog, Info, "Reelbox ad URL: %s", url);
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        setLastError("The ad URL does not parse");
        post(kVELoadFailure);
        return;
    }
    bannerView_->loadRequest(fnd::UrlRequest(*parsed));
}

std::string AdFrameView::eval(ui::WebView& webView, const std::string& js) {
    return webView.stringByEvaluatingJavaScriptFromString(js);
}

void AdFrameView::verifyAdLoad(ui::WebView& webView) {
    if (eval(webView, "getCloseBounds()").empty()) {
        setLastError(kNoAdError);
        post(kVELoadFailure);
        return;
    }
    eval(webView, "sendLoadBeacons()");
    setUserInteractionEnabled(true);
    post(kVELoadSuccess);
    takeoverView_->setDelegate(asDelegate());
    const std::string type = eval(webView, "getAdType()");
    switch (type.empty() ? 1 : pageCount(type, 5)) {
    case 1:
        processOneFileInlineStyle(webView);
        break;
    case 2:
        processOneFileExternalStyle(webView);
        break;
    case 3:
        processTwoFileExternalStyle(webView);
        break;
    case 4:
        processAdTag(webView);
        break;
    default:
        break;
    }
}

void AdFrameView::processOneFileInlineStyle(ui::WebView& webView) {
    const std::string html = eval(webView, "document.documentElement.innerHTML");
    takeoverView_->loadHTMLString(html, fnd::Url::parse(eval(webView, "window.location.href")));
}

void AdFrameView::processOneFileExternalStyle(ui::WebView& webView) {
    const int count = pageCount(eval(webView, kRuleCount), kMaxStyleRules);
    std::string style = "<style type=\"text/css\">";
    for (int i = 0; i < count; ++i) {
        style += eval(webView, fnd::format(kRuleText, i));
    }
    style += "</style>";
    std::string html = eval(webView, "document.documentElement.innerHTML");
    const size_t link = html.find("<link");
    const size_t close = link == std::string::npos ? link : html.find('>', link);
    // A page without a style link keeps its markup as it is.
    if (close != std::string::npos) {
        html.replace(link, close - link + 1, style);
    }
    takeoverView_->loadHTMLString(html, fnd::Url::parse("about:blank"));
}

void AdFrameView::processTwoFileExternalStyle(ui::WebView& webView) {
    if (auto url = fnd::Url::parse(eval(webView, "getTakeoverURL()"))) {
        takeoverView_->loadRequest(fnd::UrlRequest(*url));
    }
}

void AdFrameView::processAdTag(ui::WebView& webView) {
    bannerView_->setUserInteractionEnabled(false);
    if (auto url = fnd::Url::parse(eval(webView, "getBanner()"))) {
        takeoverView_->loadRequest(fnd::UrlRequest(*url));
    }
}

void AdFrameView::webViewDidFinishLoad(ui::WebView& webView) {
    if (&webView == bannerView_.get()) {
        verifyAdLoad(webView);
    } else if (&webView == landingView_.get()) {
        activityIndicator_->stopAnimating();
    } else if (&webView == takeoverView_.get()) {
        eval(webView, "showTakeover()");
        takeoverView_->setDelegate(asDelegate());
    }
}

void AdFrameView::webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) {
    setLastError(error.localizedDescription());
    ZLOG_TO(kMediationLog, Info, "Error = %s", lastError_);
    if (&webView == landingView_.get()) {
        activityIndicator_->stopAnimating();
    } else if (&webView == bannerView_.get()) {
        onAdLoadFailed();
    }
}

void AdFrameView::onAdLoadFailed() {
    post(kVELoadFailure);
}

void AdFrameView::post(const char* name) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(name, fnd::Value(self<AdFrameView>()));
}

void AdFrameView::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    bool began = false;
    for (const auto& touch : touches) {
        began = began || (touch && touch->phase() == ui::TouchPhase::Began);
    }
    auto window = this->window();
    // A touch while the takeover shows would save the full-screen bounds over the window's own.
    if (!began || takeoverVisible_ || !window) {
        return;
    }
    auto& application = ui::Application::shared();
    statusBarWasHidden_ = application.statusBarHidden();
    bannerView_->setDelegate({});
    takeoverView_->setDelegate(asDelegate());
    takeoverVisible_ = true;
    savedWindowBounds_ = window->bounds();
    window->setBounds(ui::Screen::main().bounds());
    std::weak_ptr<AdFrameView> weak = self<AdFrameView>();
    ui::View::beginAnimations(kShowTakeover);
    ui::View::setAnimationDuration(kTakeoverSeconds);
    ui::View::setAnimationTransition(ui::ViewAnimationTransition::CurlUp, *window, true);
    ui::View::setAnimationDelegate(weak);
    ui::View::setAnimationWillStartSelector([weak](const std::string& name, void*) {
        if (auto view = weak.lock()) {
            view->animationWillStart(name);
        }
    });
    ui::View::setAnimationDidStopSelector([weak](const std::string& name, bool, void*) {
        if (auto view = weak.lock()) {
            view->animationDidStop(name);
        }
    });
    bannerView_->removeFromSuperview();
    window->addSubview(takeoverContainer_);
    ui::View::commitAnimations();
    post(kVELaunchedAd);
}

void AdFrameView::animationWillStart(const std::string& name) {
    statusBarTimer_.cancel();
    const bool hideTakeover = name == kHideTakeover;
    // Closing hides the bar again only when it was hidden before the takeover.
    const bool hide = hideTakeover ? statusBarWasHidden_ : true;
    std::weak_ptr<AdFrameView> weak = self<AdFrameView>();
    statusBarTimer_ =
        fnd::RunLoop::current().performAfter(hideTakeover ? kHideStatusBarDelay : kShowStatusBarDelay, [weak, hide] {
            if (auto view = weak.lock()) {
                view->toggleStatusBar(hide);
            }
        });
}

void AdFrameView::toggleStatusBar(bool hide) {
    ui::Application::shared().setStatusBarHidden(hide, ui::Animated::Yes);
}

void AdFrameView::animationDidStop(const std::string& name) {
    if (name == kShowTakeover) {
        takeoverView_->setDelegate(asDelegate());
        eval(*takeoverView_, "sendTapBeacons()");
    } else if (name == kHideTakeover) {
        if (auto window = this->window()) {
            window->setBounds(savedWindowBounds_);
        }
        if (landingView_) {
            landingView_->stopLoading();
            landingView_->removeFromSuperview();
            landingView_->setDelegate({});
            landingView_.reset();
        }
        activityIndicator_->stopAnimating();
        takeoverView_->setDelegate({});
        post(kVEClosedAd);
    }
}

void AdFrameView::onCloseEvent() {
    if (!takeoverVisible_) {
        return;
    }
    takeoverVisible_ = false;
    bannerView_->setDelegate(asDelegate());
    takeoverView_->setDelegate({});
    if (landingView_) {
        landingView_->setDelegate({});
    }
    eval(*takeoverView_, "sendTSpentBeacons()");
    auto window = takeoverContainer_->window();
    std::weak_ptr<AdFrameView> weak = self<AdFrameView>();
    ui::View::beginAnimations(kHideTakeover);
    ui::View::setAnimationDuration(kTakeoverSeconds);
    if (window) {
        ui::View::setAnimationTransition(ui::ViewAnimationTransition::CurlDown, *window, true);
    }
    ui::View::setAnimationDelegate(weak);
    // The status bar goes back as it was before the takeover.
    ui::View::setAnimationWillStartSelector([weak](const std::string& name, void*) {
        if (auto view = weak.lock()) {
            view->animationWillStart(name);
        }
    });
    ui::View::setAnimationDidStopSelector([weak](const std::string& name, bool, void*) {
        if (auto view = weak.lock()) {
            view->animationDidStop(name);
        }
    });
    addSubview(bannerView_);
    takeoverContainer_->removeFromSuperview();
    ui::View::commitAnimations();
}

bool AdFrameView::webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                                    ui::NavigationType type) {
    if (&webView == takeoverView_.get() && takeoverVisible_) {
        return processAction(request, type);
    }
    return true;
}

bool AdFrameView::processAction(const fnd::UrlRequest& request, ui::NavigationType type) {
    if (landingView_) {
        landingView_->setDelegate({});
        landingView_->stopLoading();
        landingView_->removeFromSuperview();
    }
    landingView_ = ui::View::create<ui::WebView>(gfx::Rect());
    landingView_->setBackgroundColor(gfx::Color::white());
    landingView_->setDelegate(asDelegate());
    takeoverContainer_->addSubview(landingView_);
    activityIndicator_->startAnimating();
    const fnd::Url& url = request.url();
    const std::string scheme = fnd::lowercase(url.scheme());
    if (scheme == "video") {
        if (auto video = generateRequest(fnd::format("http://%@%@", url.host(), url.path()))) {
            landingView_->loadRequest(*video);
        }
        return false;
    }
    if (scheme == "http" || scheme == "https") {
        if (type != ui::NavigationType::LinkClicked) {
            return true;
        }
        landingView_->setFrame(gfx::Rect(0, 44, 320, 436));
        landingView_->setScalesPageToFit(true);
        landingView_->loadRequest(request);
        return false;
    }
    return true;
}

std::optional<fnd::UrlRequest> AdFrameView::generateRequest(const std::string& url) const {
    auto parsed = fnd::Url::parse(url);
    if (!localAd_) {
        return parsed ? std::optional<fnd::UrlRequest>(fnd::UrlRequest(*parsed)) : std::nullopt;
    }
    if (!parsed) {
        return std::nullopt;
    }
    const std::string last = parsed->lastPathComponent();
    auto path = fnd::Bundle::main().pathForResource(last.substr(0, last.find('.')), parsed->pathExtension());
    return path ? std::optional<fnd::UrlRequest>(fnd::UrlRequest(fnd::Url::fileUrl(*path))) : std::nullopt;
}

} // namespace zelvan::mediation
