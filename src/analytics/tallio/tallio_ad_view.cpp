// The hook-ad banner: its set-up, the wait for the parsed reply, its two layouts and its touch.
#include "analytics/tallio/tallio_ad_view.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_session.h"
#include "core/main_thread.h"
#include "platform/device/device.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/font.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/view_controller.h"

namespace zelvan::tallio {

namespace {

using ui::AutoresizingMask;

std::shared_ptr<ui::ImageView> backgroundView(const gfx::ImagePtr& image) {
    auto view = ui::ImageView::initWithImage(image);
    auto frame = view->frame();
    view->setFrame({0, 0, frame.size.width, frame.size.height});
    return view;
}

void place(const std::shared_ptr<ui::View>& view, gfx::Rect frame) {
    if (view) {
        view->setFrame(frame);
    }
}

void setFont(const std::shared_ptr<ui::Label>& label, const char* name, double size) {
    if (label) {
        label->setFont(gfx::Font::withName(name, size));
    }
}

void setHidden(const std::shared_ptr<ui::View>& view, bool hidden) {
    if (view) {
        view->setHidden(hidden);
    }
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::shared_ptr<TallioAdView> TallioAdView::getHook(TallioBannerParts parts, const std::string& hook, int x, int y,
                                                    const std::shared_ptr<ui::ViewController>& viewController,
                                                    bool attachToView, std::optional<std::string> orientation) {
    auto parser = parts.parser;
    auto banner =
        initWithAd(std::move(parts), nullptr, hook, x, y, viewController, attachToView, std::move(orientation));
    if (!parser) {
        return banner;
    }
    if (parser->adParsingPhase().get() < 1) {
        banner->observePhase();
    } else if (viewController) {
        banner->updateWithAd(parser->adWithHook(hook, *viewController));
        banner->refreshed_ = true;
    }
    return banner;
}

void TallioAdView::observePhase() {
    const auto& parser = parts_.parser;
    std::weak_ptr<TallioAdView> weak = self<TallioAdView>();
    // The phase changes on the worker that handles the report's reply; the refresh runs on main, queued in
    // order, not waited for (the main thread may be waiting for the session lock that worker holds).
    phaseToken_ = parser->adParsingPhase().addObserver([weak](const int& phase) {
        if (phase >= 1) {
            onMain(weak, &TallioAdView::refreshWithAd);
        }
    });
    // The reply may have been parsed between the first reading and the registration.
    if (parser->adParsingPhase().get() >= 1) {
        refreshWithAd();
    }
}

void TallioAdView::setUp(TallioBannerParts parts, std::shared_ptr<TallioAd> ad, const std::string& hook,
                         const std::shared_ptr<ui::ViewController>& viewController, bool attachToView,
                         std::optional<std::string> orientation) {
    parts_ = std::move(parts);
    setHidden(true);
    hook_ = hook;
    viewController_ = viewController;
    // Assignments in the parser are keyed by the screen passed in; the release uses the same name.
    viewControllerName_ = viewController ? viewController->description() : std::string();
    setBackgroundColor(gfx::Color::blue());
    adImpression_ = TallioAdImpression::initWithHook(parts_.context.lock(), hook);
    setAutoresizingMask(AutoresizingMask::FlexibleTopMargin | AutoresizingMask::FlexibleBottomMargin);
    orientation_ = std::move(orientation);
    if (ad) {
        updateWithAd(std::move(ad));
    }
    if (attachToView && viewController) {
        auto host = currentViewController();
        if (host) {
            host->view()->addSubview(self());
            setNeedsDisplay();
        }
    }
    auto& device = device::Device::current();
    device.beginGeneratingDeviceOrientationNotifications();
    orientationToken_ = fnd::NotificationCenter::defaultCenter().observe(
        std::string(device::kDeviceOrientationDidChangeNotification), std::weak_ptr<TallioAdView>(self<TallioAdView>()),
        &TallioAdView::updateToOrientation);
}

TallioAdView::~TallioAdView() {
    orientationToken_.reset();
    phaseToken_.reset();
    if (ad_ && parts_.parser) {
        parts_.parser->removeAd(*ad_, viewControllerName_);
    }
}

void TallioAdView::refreshWithAd() {
    if (refreshed_) {
        return;
    }
    refreshed_ = true;
    phaseToken_.reset();
    auto vc = viewController();
    if (parts_.parser && vc) {
        updateWithAd(parts_.parser->adWithHook(hook_, *vc));
    }
    setNeedsDisplay();
}

void TallioAdView::updateWithAd(std::shared_ptr<TallioAd> ad) {
    ad_ = std::move(ad);
    if (!ad_) {
        return;
    }
    if (ad_->adImage) {
        createViewElements();
    }
    setUserInteractionEnabled(true);
    setHidden(false);
    adImpression_->updateWithAd(*ad_);
    adImpression_->updateWithResult(TallioAdImpression::kShown);
    updateToOrientation();
    if (onAdShown) {
        onAdShown();
    }
}

void TallioAdView::removeElements() {
    auto drop = [](auto& view) {
        if (view) {
            view->removeFromSuperview();
            view.reset();
        }
    };
    drop(icon_);
    drop(landscapeBackground_);
    drop(portraitBackground_);
    drop(sellMessageLabel_);
    drop(appNameLabel_);
    drop(advertiserLabel_);
}

std::shared_ptr<ui::Label> TallioAdView::makeLabel(const std::optional<std::string>& text, const gfx::Color& color) {
    auto label = ui::View::create<ui::Label>(gfx::Rect{});
    label->setText(text.value_or(""));
    label->setTextColor(color);
    label->setTextAlignment(ui::TextAlignment::Left);
    label->setAdjustsFontSizeToFitWidth(false);
    label->setBackgroundColor(gfx::Color::clear());
    return label;
}

void TallioAdView::createViewElements() {
    removeElements();
    const auto& theme = ad_->adTheme;
    icon_ = ui::ImageView::initWithImage(ad_->adImage);
    icon_->setFrame({10, 4, 40, 40});
    landscapeBackground_ = backgroundView(theme ? theme->landscapeAdImage : nullptr);
    portraitBackground_ = backgroundView(theme ? theme->portraitAdImage : nullptr);
    sellMessageLabel_ =
        makeLabel(theme ? theme->sellMessage : std::nullopt, theme ? theme->sellMessageColor : gfx::Color::white());
    sellMessageLabel_->setFrame({70, 3, 200, 15});
    sellMessageLabel_->setFont(gfx::Font::withName("ArialMT", 11));
    sellMessageLabel_->setNumberOfLines(2);
    sellMessageLabel_->setAdjustsFontSizeToFitWidth(true);
    appNameLabel_ = makeLabel(ad_->adText, theme ? theme->appNameColor : gfx::Color::white());
    appNameLabel_->setFrame({61, 20, 200, 24});
    appNameLabel_->setFont(gfx::Font::withName("Arial-BoldMT", 16));
    advertiserLabel_ = makeLabel(ad_->advertiser, theme ? theme->advertiserColor : gfx::Color::white());
    advertiserLabel_->setFrame({215, 22, 65, 24});
    advertiserLabel_->setFont(gfx::Font::withName("Arial-BoldMT", 13));
    advertiserLabel_->setHidden(true);
    landscapeBackground_->setHidden(true);
    for (const std::shared_ptr<ui::View>& view : std::initializer_list<std::shared_ptr<ui::View>>{
             icon_, landscapeBackground_, portraitBackground_, sellMessageLabel_, appNameLabel_, advertiserLabel_}) {
        addSubview(view);
    }
    setBackgroundColor(gfx::Color::gray());
}

bool TallioAdView::isLandscape() const {
    if (orientation_) {
        return equalsIgnoringCase(*orientation_, "landscape");
    }
    auto vc = viewController();
    if (!vc) {
        return false;
    }
    auto o = vc->interfaceOrientation();
    return o == ui::InterfaceOrientation::LandscapeLeft || o == ui::InterfaceOrientation::LandscapeRight;
}

void TallioAdView::updateToOrientation() {
    const bool landscape = isLandscape();
    auto f = frame();
    setFrame({f.origin.x, f.origin.y, landscape ? kLandscapeWidth : kPortraitWidth, kHeight});
    if (landscape) {
        place(icon_, {170, 4, 40, 40});
        place(sellMessageLabel_, {17, 7, 110, 38});
        setFont(sellMessageLabel_, "ArialMT", 12);
        place(appNameLabel_, {221, 5, 190, 24});
        setFont(appNameLabel_, "Arial-BoldMT", 18);
        place(advertiserLabel_, {220, 27, 190, 15});
    } else {
        place(icon_, {10, 4, 40, 40});
        place(sellMessageLabel_, {70, 3, 200, 15});
        setFont(sellMessageLabel_, "ArialMT", 11);
        place(appNameLabel_, {61, 20, 200, 24});
        setFont(appNameLabel_, "Arial-BoldMT", 16);
        place(advertiserLabel_, {215, 22, 65, 24});
    }
    ::zelvan::tallio::setHidden(advertiserLabel_, !landscape);
    ::zelvan::tallio::setHidden(portraitBackground_, landscape);
    ::zelvan::tallio::setHidden(landscapeBackground_, !landscape);
    setNeedsDisplay();
}

std::shared_ptr<ui::ViewController> TallioAdView::currentViewController() const {
    auto vc = viewController();
    if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(vc)) {
        return nav->visibleViewController();
    }
    return vc;
}

void TallioAdView::touchesBegan(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    adImpression_->updateWithResult(TallioAdImpression::kTapped);
    if (!viewController() || !parts_.openCanvas) {
        return;
    }
    if (auto modal = parts_.openCanvas(*this)) {
        modalNavigationController_ = std::move(modal);
    }
}

bool TallioAdView::isInCanvas(const ui::ViewController* vc) {
    return vc && vc->className() == "TallioAdCanvasViewController";
}

std::string TallioAdView::canvasAddress() const {
    std::string apiKey;
    int64_t sessionStart = 0;
    std::string canvasURL;
    if (auto ctx = parts_.context.lock()) {
        canvasURL = ctx->canvasURL();
        std::lock_guard guard(ctx->lock());
        apiKey = ctx->apiKey();
        if (auto session = ctx->currentSession()) {
            apiKey = session->apiKey();
            sessionStart = session->startTime();
        }
    }
    const int64_t canvasId = ad_ ? ad_->canvasId : 0;
    const int64_t adId = ad_ ? ad_->adId : 0;
    const std::string cookie = ad_ ? ad_->adCookieString() : std::string();
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "&cid=%" PRId64 "&adid=%" PRId64, canvasId, adId);
    std::string out = canvasURL + "?apik=" + apiKey + numbers + "&pid=" + TallioSession::phoneId();
    std::snprintf(numbers, sizeof numbers, "&sid=%" PRId64 "&its=%" PRId64, sessionStart,
                  adImpression_->timeIntervalSinceSessionStart());
    out += numbers;
    out += "&hid=" + fnd::escapeUnreserved(hook_) + "&ac=" + fnd::escapeUnreserved(cookie);
    std::snprintf(numbers, sizeof numbers, "&ats=%" PRId64, TallioSession::millisSince1970(fnd::Clock::now()));
    return out + numbers;
}

void TallioAdCanvasView::createViewElements() {
    removeElements();
    const auto& theme = ad()->adTheme;
    icon_ = ui::ImageView::initWithImage(ad()->adImage);
    icon_->setFrame({10, 4, 40, 40});
    portraitBackground_ = backgroundView(theme ? theme->portraitAdImage : nullptr);
    appNameLabel_ = makeLabel(ad()->adText, theme ? theme->appNameColor : gfx::Color::white());
    appNameLabel_->setFrame({61, 20, 200, 24});
    appNameLabel_->setFont(gfx::Font::withName("Arial-BoldMT", 16));
    advertiserLabel_ = makeLabel(ad()->advertiser, theme ? theme->advertiserColor : gfx::Color::white());
    advertiserLabel_->setFrame({61, 3, 200, 15});
    advertiserLabel_->setFont(gfx::Font::withName("Arial-BoldMT", 13));
    for (const std::shared_ptr<ui::View>& view : std::initializer_list<std::shared_ptr<ui::View>>{
             icon_, portraitBackground_, appNameLabel_, advertiserLabel_}) {
        addSubview(view);
    }
    setBackgroundColor(gfx::Color::gray());
}

void TallioAdCanvasView::updateToOrientation() {
    setNeedsDisplay();
}

std::shared_ptr<ui::View> TallioHookViewFactory::getHook(const std::string& hook, int x, int y,
                                                         const std::shared_ptr<ui::ViewController>& viewController,
                                                         bool attachToView, const std::string* orientation) {
    return TallioAdView::getHook(parts_, hook, x, y, viewController, attachToView,
                                 orientation ? std::optional<std::string>(*orientation) : std::nullopt);
}

} // namespace zelvan::tallio
