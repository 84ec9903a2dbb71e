#include "ads/adwick/adwick_modal_view_controller.h"

#include <algorithm>

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_search_bar.h"
#include "platform/ui/application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace zelvan::adwick {

namespace {

constexpr const char* kBackgroundExpand = "AdwickModalBackgroundExpand";
constexpr const char* kBackgroundShrink = "AdwickModalBackgroundShrink";
constexpr const char* kMoveToTop = "AdwickModalAdMoveToTop";
constexpr const char* kFadeIn = "LandingPageFadeIn";
constexpr const char* kFadeOut = "LandingPageFadeOut";

} // namespace

std::shared_ptr<AdwickModalViewController>& AdwickModalViewController::screenWithoutContext() {
    static std::shared_ptr<AdwickModalViewController> screen;
    return screen;
}

std::shared_ptr<AdwickModalViewController> AdwickModalViewController::screenOnScreen() const {
    return context_ ? context_->landingScreenOnScreen() : screenWithoutContext();
}

void AdwickModalViewController::setScreenOnScreen(std::shared_ptr<AdwickModalViewController> screen) {
    if (context_) {
        context_->setLandingScreenOnScreen(std::move(screen));
    } else {
        screenWithoutContext() = std::move(screen);
    }
}

std::weak_ptr<void> AdwickModalViewController::weakVoid() {
    return std::weak_ptr<void>(std::static_pointer_cast<void>(shared_from_this()));
}

bool AdwickModalViewController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation /*orientation*/) {
    return true;
}

bool AdwickModalViewController::isKeyWindow() const {
    return modalWindow_ && ui::Application::shared().keyWindow() == modalWindow_;
}

void AdwickModalViewController::commandeerScreenFromAdView(ui::View& adView, int animation) {
    if (modalWindow_) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: a landing screen was asked to take the screen twice");
        return;
    }
    auto keep = std::static_pointer_cast<AdwickModalViewController>(shared_from_this());
    selfHold_ = keep;
    adView_ = adView.self();
    fadingOut_ = false;

    auto& app = ui::Application::shared();
    auto other = screenOnScreen();
    if (other == keep) {
        other.reset();
    }
    previousKeyWindow_ = other ? other->previousKeyWindow() : app.keyWindow();

    const auto& screen = ui::Screen::main();
    modalWindow_ = ui::View::create<ui::Window>(screen.bounds());
    auto page = view();
    page->setFrame(modalWindow_->bounds());
    modalWindow_->addSubview(page);
    loadViewWithBounds(page->bounds());

    auto window = adView_->window();
    int effective = animation;
    if (other) {
        effective = kTransitionNone;
    } else if (animation == kTransitionMoveAdToTop && (!window || window->subviews().size() != 1)) {
        effective = kTransitionNone;
    } else if (animation == kTransitionBackgroundExpand && !window) {
        effective = kTransitionNone;
    }
    transitionAnimation_ = effective;
    const gfx::Rect applicationFrame = screen.applicationFrame();

    if (effective == kTransitionBackgroundExpand) {
        auto background = ui::View::create(adView_->convertRectToView(adView_->bounds(), window.get()));
        background->setBackgroundColor(gfx::Color(0.2, 0.2, 0.2, 0.9));
        window->addSubview(background);
        background_ = background;
        ui::View::beginAnimations(kBackgroundExpand);
        ui::View::setAnimationDuration(kExpandSeconds);
        ui::View::setAnimationDelegate(weakVoid());
        ui::View::setAnimationDidStopSelector([this](const std::string&, bool, void*) { adStartAnimationDidStop(); });
        background->setFrame(applicationFrame);
        ui::View::commitAnimations();
        return;
    }
    if (effective == kTransitionMoveAdToTop) {
        const bool statusBarShown = !app.statusBarHidden();
        const gfx::Rect statusBar = statusBarShown ? app.statusBarFrame() : gfx::Rect();
        std::shared_ptr<ui::View> host = window;
        const auto& only = window->subviews().front();
        const gfx::Rect onlyFrame = only->frame();
        if (statusBar.size.width + statusBar.size.height + onlyFrame.size.width + onlyFrame.size.height + 1 >
            applicationFrame.size.width + applicationFrame.size.height) {
            host = only;
        }
        screenshotOfAd_ = ui::View::create<ui::ImageView>(adView_->convertRectToView(adView_->bounds(), host.get()));
        screenshotOfAd_->setImage(AdwickSearchBar::renderView(*adView_));
        host->addSubview(screenshotOfAd_);
        adView_->setHidden(true);
        const double topOffset =
            (host == window && statusBarShown) ? std::min(statusBar.size.width, statusBar.size.height) : 0.0;
        const gfx::Rect target(0, topOffset, window->bounds().size.width, adView_->bounds().size.height);
        const gfx::Rect start = screenshotOfAd_->frame();
        if (start == target) {
            adStartAnimationDidStop();
            return;
        }
        ui::View::beginAnimations(kMoveToTop);
        ui::View::setAnimationBeginsFromCurrentState(true);
        ui::View::setAnimationCurve(ui::AnimationCurve::EaseIn);
        ui::View::setAnimationDuration(std::max(0.0, start.origin.y) / 480.0 * kMoveSecondsPer480);
        ui::View::setAnimationDelegate(weakVoid());
        ui::View::setAnimationDidStopSelector([this](const std::string&, bool, void*) { adStartAnimationDidStop(); });
        screenshotOfAd_->setFrame(target);
        ui::View::commitAnimations();
        return;
    }
    adStartAnimationDidStop();
}

void AdwickModalViewController::adStartAnimationDidStop() {
    if (!modalWindow_ || fadingOut_) {
        return;
    }
    modalWindow_->setAlpha(0);
    modalWindow_->makeKeyAndVisible();
    ui::View::beginAnimations(kFadeIn);
    ui::View::setAnimationDuration(kFadeSeconds);
    ui::View::setAnimationDelegate(weakVoid());
    ui::View::setAnimationDidStopSelector([this](const std::string&, bool, void*) { fadeInDidStop(); });
    modalWindow_->setAlpha(1);
    ui::View::commitAnimations();
}

void AdwickModalViewController::fadeInDidStop() {
    if (!modalWindow_ || fadingOut_) {
        return;
    }
    auto keep = std::static_pointer_cast<AdwickModalViewController>(shared_from_this());
    auto other = screenOnScreen();
    if (other && other != keep) {
        other->relinquishScreen();
    }
    setScreenOnScreen(keep);
    landingPageDidAppear();
}

void AdwickModalViewController::relinquishScreen() {
    if (!modalWindow_ || fadingOut_) {
        return;
    }
    auto keep = std::static_pointer_cast<AdwickModalViewController>(shared_from_this());
    fadingOut_ = true;
    if (isKeyWindow()) {
        ui::View::beginAnimations(kFadeOut);
        ui::View::setAnimationDuration(kFadeSeconds);
        ui::View::setAnimationDelegate(weakVoid());
        ui::View::setAnimationDidStopSelector([this](const std::string&, bool, void*) { fadeOutDidStop(); });
        modalWindow_->setAlpha(0);
        ui::View::commitAnimations();
        if (auto background = background_.lock()) {
            background->setFrame(view()->frame());
        }
        return;
    }
    view()->removeFromSuperview();
    adFinishAnimationDidStop();
    landingPageDidDisappear();
}

void AdwickModalViewController::fadeOutDidStop() {
    if (!modalWindow_) {
        return;
    }
    auto keep = std::static_pointer_cast<AdwickModalViewController>(shared_from_this());
    view()->removeFromSuperview();
    landingPageDidDisappear();
    if (previousKeyWindow_) {
        previousKeyWindow_->makeKeyAndVisible();
    }
    auto background = background_.lock();
    auto window = adView_ ? adView_->window() : nullptr;
    if (background && window) {
        ui::View::beginAnimations(kBackgroundShrink);
        ui::View::setAnimationDuration(kExpandSeconds);
        ui::View::setAnimationDelegate(weakVoid());
        ui::View::setAnimationDidStopSelector([this](const std::string&, bool, void*) { adFinishAnimationDidStop(); });
        background->setFrame(adView_->convertRectToView(adView_->bounds(), window.get()));
        ui::View::commitAnimations();
        return;
    }
    auto snapshotHost = screenshotOfAd_ ? screenshotOfAd_->superview() : nullptr;
    if (snapshotHost && adView_) {
        const gfx::Rect target = adView_->convertRectToView(adView_->bounds(), snapshotHost.get());
        ui::View::beginAnimations(kMoveToTop);
        ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
        ui::View::setAnimationDuration(std::max(0.0, target.origin.y) / 480.0 * kMoveSecondsPer480);
        ui::View::setAnimationDelegate(weakVoid());
        ui::View::setAnimationDidStopSelector([this](const std::string&, bool, void*) { adFinishAnimationDidStop(); });
        screenshotOfAd_->setFrame(target);
        ui::View::commitAnimations();
        return;
    }
    adFinishAnimationDidStop();
}

void AdwickModalViewController::adFinishAnimationDidStop() {
    if (!modalWindow_) {
        return;
    }
    auto keep = std::move(selfHold_);
    if (auto background = background_.lock()) {
        background->removeFromSuperview();
    }
    background_.reset();
    if (screenshotOfAd_) {
        screenshotOfAd_->removeFromSuperview();
        screenshotOfAd_.reset();
    }
    if (adView_) {
        adView_->setHidden(false);
        adView_.reset();
    }
    modalWindow_->setHidden(true);
    modalWindow_.reset();
    previousKeyWindow_.reset();
    if (keep && screenOnScreen() == keep) {
        setScreenOnScreen(nullptr);
    }
}

} // namespace zelvan::adwick
