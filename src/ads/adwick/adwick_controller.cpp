// The ad controller: first ad and fresh requests, the flip that swaps a fresh ad in, clicks, and the
// click reply's dispatch to the store-link cleaner, the landing screens, the alerts or the system.
#include "ads/adwick/adwick_controller.h"

#include <utility>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_browser_controller.h"
#include "ads/adwick/adwick_canvas_controller.h"
#include "ads/adwick/adwick_click_to_call_alert.h"
#include "ads/adwick/adwick_click_to_contacts_alert.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_old_school_single_ad_view.h"
#include "ads/adwick/adwick_search_ad_view.h"
#include "ads/adwick/adwick_search_view_controller.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/color.h"
#include "platform/ui/application.h"

namespace zelvan::adwick {

namespace {

// The click reply's redirect into `url` (none when absent or not a URL); false when it is present but
// not a string.
bool redirectURL(const fnd::Value& response, std::optional<fnd::Url>& url) {
    auto table = response.asDictionary();
    const fnd::Value* redirect = table ? table->find("redirect_url") : nullptr;
    if (redirect == nullptr || redirect->isNull()) {
        return true;
    }
    if (redirect->asString() == nullptr) {
        return false;
    }
    url = fnd::Url::parse(*redirect->asString());
    return true;
}

bool isWeb(const std::optional<fnd::Url>& url) {
    return url && (url->scheme() == "http" || url->scheme() == "https") && !url->host().empty();
}

std::optional<std::string> acquisitionURL(const fnd::Value& response) {
    auto table = response.asDictionary();
    const fnd::Value* value = table ? table->find("acquisition_url") : nullptr;
    if (value == nullptr || value->asString() == nullptr) {
        return std::nullopt;
    }
    return *value->asString();
}

} // namespace

std::shared_ptr<AdwickViewInternal> AdwickViewInternal::create(std::shared_ptr<AdwickContext> context,
                                                               std::weak_ptr<AdwickDelegate> delegate) {
    auto view = ui::View::create<AdwickViewInternal>(gfx::Rect(0, 0, 320, 48));
    const auto mask =
        static_cast<uint32_t>(view->autoresizingMask()) &
        ~static_cast<uint32_t>(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    view->setAutoresizingMask(static_cast<ui::AutoresizingMask>(mask));
    view->setBackgroundColor(gfx::Color::clear());
    auto controller = std::make_shared<AdwickController>(std::move(context));
    controller->setView(view);
    controller->setDelegate(std::move(delegate));
    view->setController(controller);
    controller->startFirstAdRequest();
    return view;
}

void AdwickViewInternal::requestFreshAd() {
    if (controller_) {
        controller_->requestFreshAd();
    }
}

AdwickController::AdwickController(std::shared_ptr<AdwickContext> context) : context_(std::move(context)) {}

AdwickController::~AdwickController() {
    if (currentlyDisplayedAd_) {
        currentlyDisplayedAd_->abandon();
    }
    if (loadingAd_) {
        loadingAd_->abandon();
    }
    for (const auto& cleaner : cleaners_) {
        cleaner->cancel();
    }
}

std::shared_ptr<AdwickAd> AdwickController::createAdWithInitiatedAdRequest() {
    auto ad = AdwickAd::initWithAdFormat(0, context_);
    ad->setDelegate(delegate_);
    ad->setAdDelegate(weak_from_this());
    ad->request();
    return ad;
}

void AdwickController::startFirstAdRequest() {
    // The field is set before the request runs: a request can load or fail inside the call.
    currentlyDisplayedAd_ = AdwickAd::initWithAdFormat(0, context_);
    currentlyDisplayedAd_->setDelegate(delegate_);
    currentlyDisplayedAd_->setAdDelegate(weak_from_this());
    auto first = currentlyDisplayedAd_;
    first->request();
}

void AdwickController::requestFreshAd() {
    const fnd::Date now = fnd::Date::now();
    if (lastRequestForFreshAd_ && lastRequestForFreshAd_->timeIntervalSinceDate(now) > -kFreshRequestGuardSeconds) {
        return;
    }
    lastRequestForFreshAd_ = now;
    if (currentlyDisplayedAd_ && currentlyDisplayedAd_->medium() == AdwickAd::kImageBanner) {
        return;
    }
    if (loadingAd_) {
        loadingAd_->abandon(); // superseded: its result would be ignored anyway
    }
    loadingAd_ = AdwickAd::initWithAdFormat(0, context_);
    loadingAd_->setDelegate(delegate_);
    loadingAd_->setAdDelegate(weak_from_this());
    auto fresh = loadingAd_;
    fresh->request();
}

std::shared_ptr<ui::View> AdwickController::createSingleAdViewWithAd(const std::shared_ptr<AdwickAd>& ad) {
    auto banner = view();
    const gfx::Rect frame = banner ? banner->bounds() : gfx::Rect(0, 0, 320, 48);
    std::shared_ptr<ui::View> display;
    if (ad->flexAd()) {
        display = ad->flexAd()->containerView();
    } else if (ad->medium() == AdwickAd::kSearchAd) {
        display = ui::View::create<AdwickSearchAdView>(frame);
    } else {
        display = ui::View::create<AdwickOldSchoolSingleAdView>(frame);
    }
    if (auto single = std::dynamic_pointer_cast<AdwickSingleAdView>(display)) {
        single->setController(weak_from_this());
        single->setLocalizer(context_ ? context_->localizer() : nullptr);
        single->setAd(ad);
    }
    return display;
}

void AdwickController::clickWithData(AdwickSingleAdView& view, const std::optional<fnd::Value>& data) {
    auto keepView = view.self<AdwickSingleAdView>();
    if (auto ad = view.ad()) {
        ad->clickWithData(data);
    }
    view.animateForClick();
}

void AdwickController::restoreAdAfterClickAnimationIfPossibleForAd(const AdwickAd& ad) {
    auto banner = view();
    auto shown = banner ? std::dynamic_pointer_cast<AdwickSingleAdView>(banner->viewWithTag(kDisplayedTag)) : nullptr;
    if (shown && shown->ad().get() == &ad) {
        shown->restoreAdAfterClickAnimation();
    }
}

gfx::Size AdwickController::adSize() {
    auto banner = view();
    return banner ? banner->bounds().size : gfx::Size(320, 48);
}

void AdwickController::adDidLoad(AdwickAd& ad) {
    auto keep = shared_from_this();
    if (currentlyDisplayedAd_.get() == &ad) {
        auto banner = view();
        if (auto publisher = delegate(); publisher && banner) {
            publisher->didReceiveAd(*banner);
        }
        banner = view();
        if (!banner || currentlyDisplayedAd_.get() != &ad) {
            return;
        }
        auto display = createSingleAdViewWithAd(currentlyDisplayedAd_);
        if (display) {
            display->setTag(kDisplayedTag);
            banner->addSubview(display);
        }
    } else if (loadingAd_.get() == &ad) {
        swapInLoadingAd();
    }
}

void AdwickController::swapInLoadingAd() {
    auto banner = view();
    if (!banner) {
        return;
    }
    std::shared_ptr<ui::View> old = banner->viewWithTag(kDisplayedTag);
    auto fresh = createSingleAdViewWithAd(loadingAd_);
    if (!fresh) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the fresh ad has no view to show");
        loadingAd_->abandon();
        loadingAd_.reset();
        return;
    }
    fresh->setTag(kDisplayedTag);
    if (old) {
        old->setTag(0);
    }
    ui::View::beginAnimations(kSwapAnimationName, old.get());
    ui::View::setAnimationDuration(kSwapSeconds);
    ui::View::setAnimationTransition(ui::ViewAnimationTransition::FlipFromRight, *banner, true);
    ui::View::setAnimationDelegate(weak_from_this());
    // The old view is held until the animation stops, then removed from its superview again.
    ui::View::setAnimationDidStopSelector([old](const std::string&, bool, void*) {
        if (old) {
            old->removeFromSuperview();
        }
    });
    banner->addSubview(fresh);
    if (old) {
        old->removeFromSuperview();
    }
    ui::View::commitAnimations();
    if (currentlyDisplayedAd_) {
        currentlyDisplayedAd_->abandon();
    }
    currentlyDisplayedAd_ = std::move(loadingAd_);
    loadingAd_.reset();
}

void AdwickController::adDidFailToLoad(AdwickAd& ad) {
    auto keep = shared_from_this();
    if (currentlyDisplayedAd_.get() == &ad) {
        if (auto publisher = delegate()) {
            if (auto banner = view()) {
                publisher->didFailToReceiveAd(*banner);
            }
        }
        if (currentlyDisplayedAd_.get() == &ad) {
            currentlyDisplayedAd_->abandon();
            currentlyDisplayedAd_.reset();
        }
    } else if (loadingAd_.get() == &ad) {
        loadingAd_->abandon();
        loadingAd_.reset();
    }
}

void AdwickController::clickDidSucceed(AdwickAd& ad, const fnd::Value& response) {
    auto keep = shared_from_this();
    restoreAdAfterClickAnimationIfPossibleForAd(ad);
    std::optional<fnd::Url> url;
    if (!redirectURL(response, url)) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the click reply's redirect is not a string: %@",
                fnd::logPreviewValue(response, 120));
        clickDidFail(ad);
        return;
    }
    const std::string action = ad.action().value_or("");
    const bool call = action == "call";
    const bool contact = action == "contact";
    if (!call && !contact && !url) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the click reply for action %@ has no usable redirect",
                fnd::logPreview(action));
        clickDidFail(ad);
        return;
    }
    if (action == "app" || action == "itunes" || (url && AdwickITunesURLCleaner::isITunesURL(*url))) {
        if (!isWeb(url)) {
            ZLOG_TO(kAdwickLog, Warn, "adwick: the store click's redirect is not a web URL");
            clickDidFail(ad);
            return;
        }
        startCleaner(*url);
    } else if (action == "url" || action == "canvas") {
        if (!isWeb(url)) {
            ZLOG_TO(kAdwickLog, Warn, "adwick: the %@ click's redirect is not a web URL", action);
            clickDidFail(ad);
            return;
        }
        if (action == "url") {
            launchWebClick(*url);
        } else {
            displayCanvasWithURL(*url, ad);
        }
    } else if (call) {
        if (auto alert = AdwickClickToCallAlert::initWithPhoneNumber(url, acquisitionURL(response), context_)) {
            alert->showOrCall();
        }
    } else if (contact) {
        auto table = response.asDictionary();
        const fnd::Value* entry = table ? table->find("contact") : nullptr;
        if (auto alert = AdwickClickToContactsAlert::initWithContact(entry ? *entry : fnd::Value(),
                                                                     acquisitionURL(response), context_)) {
            alert->showAndHold();
        }
    } else {
        ui::Application::shared().openURL(url->absoluteString());
    }
}

void AdwickController::startCleaner(const fnd::Url& url) {
    if (auto cleaner = AdwickITunesURLCleaner::initWithURL(url, weak_from_this())) {
        cleaners_.insert(cleaner);
    }
}

void AdwickController::cleanerDidGenerateURL(AdwickITunesURLCleaner& cleaner, const fnd::Url& url) {
    auto held = cleaner.shared_from_this();
    ui::Application::shared().openURL(url.absoluteString());
    cleaners_.erase(held);
}

void AdwickController::displayEmbeddedBrowserWithURL(const fnd::Url& url) {
    browserController_.reset();
    auto banner = view();
    if (!context_ || !context_->landingScreens().browser || !banner) {
        ZLOG_TO(kAdwickLog, Info, "adwick: no embedded browser to open %@", fnd::logPreview(url.absoluteString()));
        return;
    }
    browserController_ = context_->landingScreens().browser(context_);
    if (browserController_) {
        browserController_->presentBrowserFromView(*banner, url);
    }
}

void AdwickController::displayCanvasWithURL(const fnd::Url& url, const AdwickAd& ad) {
    canvasController_.reset();
    auto banner = view();
    if (!context_ || !context_->landingScreens().canvas || !banner) {
        ZLOG_TO(kAdwickLog, Info, "adwick: no canvas screen to open %@", fnd::logPreview(url.absoluteString()));
        return;
    }
    canvasController_ = context_->landingScreens().canvas(context_);
    if (canvasController_) {
        canvasController_->presentCanvasFromView(*banner, url, ad.userString().value_or(""));
    }
}

void AdwickController::clickDidFail(AdwickAd& ad) {
    restoreAdAfterClickAnimationIfPossibleForAd(ad);
    if (searchController_) {
        searchController_->relinquishScreen();
    }
}

bool AdwickController::displaySearchWithAd(AdwickAd& ad, const std::string& placeholderText,
                                           const std::string& webpageURL) {
    searchController_.reset();
    auto banner = view();
    if (!context_ || !context_->landingScreens().search || !banner) {
        ZLOG_TO(kAdwickLog, Info, "adwick: no search screen to open");
        return true;
    }
    searchController_ = context_->landingScreens().search(context_);
    if (!searchController_) {
        return true;
    }
    searchController_->setSearchBarHeight(banner->bounds().size.height);
    searchController_->setTileImage(ad.userImage());
    searchController_->setTintColor(ad.backgroundColor());
    if (auto publisher = delegate()) {
        if (auto color = publisher->adBackgroundColor()) {
            searchController_->setTintColor(*color);
        }
    }
    searchController_->setPlaceholderText(placeholderText);
    searchController_->setWebpageURL(webpageURL);
    searchController_->presentFromView(*banner, ad.shared_from_this());
    return true;
}

} // namespace zelvan::adwick
