// The banners' full-screen landing page.
#include "ads/mediation/ad_landing_page.h"

#include <utility>

#include "ads/mediation/med_log.h"
#include "platform/device/device.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/graphics/font.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace zelvan::mediation {
namespace {

constexpr double kAnimationDelay = 0.2;
constexpr double kCurlSeconds = 1.0;
constexpr auto kFlexibleSize = ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight;
constexpr auto kFlexibleMargins = ui::AutoresizingMask::FlexibleLeftMargin | ui::AutoresizingMask::FlexibleRightMargin |
                                  ui::AutoresizingMask::FlexibleTopMargin | ui::AutoresizingMask::FlexibleBottomMargin;

} // namespace

std::shared_ptr<ui::View> AdLandingPage::superView() const {
    if (chrome_.applicationSuperView) {
        if (auto view = chrome_.applicationSuperView()) {
            return view;
        }
    }
    auto windows = ui::Application::shared().windows();
    return windows.empty() ? nullptr : windows.front();
}

void AdLandingPage::show(const std::string& url, std::shared_ptr<void> owner) {
    if (webViewLoading_) {
        return;
    }
    goodByeOnlyOnce_ = false;
    webViewLoading_ = true;
    owner_ = std::move(owner);
    selfWhileOpen_ = shared_from_this();
    std::weak_ptr<AdLandingPage> weak = selfWhileOpen_;
    headerView_.reset();
    if (chrome_.headerBar) {
        headerView_ = chrome_.headerBar(
            options_.title, " Back ",
            [weak] {
                if (auto page = weak.lock()) {
                    page->backtoGameAction();
                }
            },
            true);
    }
    savedURL_ = url;
    OrvaneView_ = ui::View::create(gfx::Rect(0, 0, 320, 480));
    OrvaneView_->setBackgroundColor(gfx::Color::gray());
    makeWebView();
    if (headerView_) {
        OrvaneView_->addSubview(headerView_);
    }
    if (options_.spinnerAtOpen) {
        startSpinner();
    }
    objectsFramePerOrientation();
    pending_ = fnd::RunLoop::current().performAfter(kAnimationDelay, [weak] {
        if (auto page = weak.lock()) {
            page->animateView();
        }
    });
}

void AdLandingPage::makeWebView() {
    if (OrvaneWebView_) {
        OrvaneWebView_->setDelegate({});
        OrvaneWebView_->removeFromSuperview();
    }
    pageLoaded_ = false;
    OrvaneWebView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 46, 320, 434));
    OrvaneWebView_->setDelegate(weak_from_this());
    // The URL is loaded as the server gave it (percent escapes included).
    if (auto parsed = fnd::Url::parse(savedURL_)) {
        OrvaneWebView_->loadRequest(fnd::UrlRequest(*parsed));
    } else {
        MED_LOG(3, "Landing page: the click URL does not parse: %@", savedURL_);
    }
    if (headerView_ && headerView_->superview() == OrvaneView_) {
        OrvaneView_->insertSubviewBelowSubview(OrvaneWebView_, headerView_.get());
    } else {
        OrvaneView_->addSubview(OrvaneWebView_);
    }
}

void AdLandingPage::addLoadingLabel() {
    if (lblTitle_) {
        lblTitle_->removeFromSuperview();
    }
    const gfx::Size size = OrvaneView_->bounds().size;
    lblTitle_ = ui::View::create<ui::Label>(gfx::Rect(size.width / 2 - 75, size.height / 2 - 22, 150, 45));
    lblTitle_->setAutoresizingMask(kFlexibleMargins);
    lblTitle_->setFont(gfx::Font::systemFontOfSize(13));
    lblTitle_->setTextAlignment(ui::TextAlignment::Right);
    lblTitle_->setBackgroundColor(gfx::Color::clear());
    lblTitle_->setText("Loading...");
    OrvaneView_->addSubview(lblTitle_);
    // A page that loaded before the label came (within the 0.2 s before the curl) must not be left
    // showing "Loading..." for good.
    if (pageLoaded_) {
        endLoadingLabel();
    }
}

void AdLandingPage::endLoadingLabel() {
    if (!lblTitle_) {
        return;
    }
    if (options_.removeLabelWhenLoaded) {
        lblTitle_->removeFromSuperview();
    } else {
        lblTitle_->setHidden(true);
    }
}

void AdLandingPage::animateView() {
    auto onto = superView();
    if (!OrvaneView_ || !onto) {
        return;
    }
    addLoadingLabel();
    ui::View::beginAnimations("");
    ui::View::setAnimationDuration(kCurlSeconds);
    ui::View::setAnimationTransition(ui::ViewAnimationTransition::CurlUp, *onto, true);
    onto->addSubview(OrvaneView_);
    ui::View::commitAnimations();
}

void AdLandingPage::backtoGameAction() {
    if (goodByeOnlyOnce_ || !OrvaneView_) {
        return;
    }
    goodByeOnlyOnce_ = true;
    std::weak_ptr<AdLandingPage> weak = weak_from_this();
    pending_.cancel();
    pending_ = fnd::RunLoop::current().performAfter(kAnimationDelay, [weak] {
        if (auto page = weak.lock()) {
            page->animateRemoveView();
        }
    });
    if (OrvaneWebView_) {
        OrvaneWebView_->setDelegate({});
    }
    webViewLoading_ = false;
}

void AdLandingPage::animateRemoveView() {
    if (auto from = superView(); from && OrvaneView_ && OrvaneView_->superview()) {
        ui::View::beginAnimations("");
        ui::View::setAnimationDuration(kCurlSeconds);
        ui::View::setAnimationTransition(ui::ViewAnimationTransition::CurlDown, *from, true);
        OrvaneView_->removeFromSuperview();
        ui::View::commitAnimations();
    }
    OrvaneView_.reset();
    OrvaneWebView_.reset();
    lblTitle_.reset();
    activityIndicator_.reset();
    auto owner = std::move(owner_);
    auto self = std::move(selfWhileOpen_); // released at the end of this call
}

void AdLandingPage::objectsFramePerOrientation() {
    if (!OrvaneView_) {
        return;
    }
    const auto orientation = device::Device::current().orientation();
    MED_LOG(4, "ORIENTAAAAATION %d", static_cast<int>(orientation));
    const int angle = chrome_.applicationAngle ? chrome_.applicationAngle() : 0;
    const bool landscape = angle == 90 || angle == 270 || orientation == device::DeviceOrientation::LandscapeLeft ||
                           orientation == device::DeviceOrientation::LandscapeRight;
    const bool turns = chrome_.orientationEnabled && chrome_.orientationEnabled();
    double width = landscape && turns ? 480 : 320;
    double height = landscape && turns ? 320 : 480;
    double y = 0;
    if (!ui::Application::shared().statusBarHidden()) {
        y = 20;
        height -= 20;
    }
    OrvaneView_->setFrame(gfx::Rect(0, y, width, height));
    OrvaneView_->setAutoresizingMask(kFlexibleSize);
    if (OrvaneWebView_) {
        OrvaneWebView_->setFrame(gfx::Rect(0, 44, width, height - 44));
        OrvaneWebView_->setAutoresizingMask(kFlexibleSize);
    }
}

bool AdLandingPage::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                      ui::NavigationType /*type*/) {
    if (options_.storeLinksToSystem) {
        std::string link = request.url().absoluteString();
        if (link.find("itunes") != std::string::npos) {
            for (size_t at = link.find("itunes"); at != std::string::npos; at = link.find("itunes", at + 6)) {
                link.replace(at, 6, "phobos");
            }
            ui::Application::shared().openURL(link);
        }
    }
    return true;
}

void AdLandingPage::webViewDidStartLoad(ui::WebView& /*webView*/) {
    if (!options_.spinnerAtOpen) {
        startSpinner();
    }
}

void AdLandingPage::startSpinner() {
    if (!OrvaneView_) {
        return;
    }
    if (activityIndicator_) {
        activityIndicator_->removeFromSuperview();
    }
    const gfx::Size size = OrvaneView_->bounds().size;
    activityIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    activityIndicator_->setFrame(gfx::Rect(size.width / 2 - 12, size.height / 2 - 12, 25, 25));
    activityIndicator_->setAutoresizingMask(kFlexibleMargins);
    OrvaneView_->addSubview(activityIndicator_);
    activityIndicator_->startAnimating();
}

void AdLandingPage::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    pageLoaded_ = true;
    endLoadingLabel();
    if (activityIndicator_) {
        activityIndicator_->stopAnimating();
        activityIndicator_->removeFromSuperview();
    }
}

void AdLandingPage::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    MED_LOG(5, "Html Advertisement failed to load with error: %@", error.localizedDescription());
    auto alert = ui::AlertView::initWithTitle("", kRetryMessage, weak_from_this(), "Cancel", {"Retry"});
    alert->setTag(kRetryAlertTag);
    alert->show();
}

void AdLandingPage::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
    if (alert.tag() != kRetryAlertTag || !OrvaneView_) {
        return;
    }
    if (buttonIndex == 1) {
        makeWebView();
        if (options_.spinnerAtOpen) {
            startSpinner();
        }
        addLoadingLabel();
        objectsFramePerOrientation();
    } else {
        if (activityIndicator_) {
            activityIndicator_->stopAnimating();
        }
        backtoGameAction();
    }
}

} // namespace zelvan::mediation
