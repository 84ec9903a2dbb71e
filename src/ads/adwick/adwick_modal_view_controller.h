// AdwickModalViewController: takes the whole screen over for a landing page in a window of its own,
// animating the way from the banner to the page (the backdrop grows from the banner, or the banner
// moves to the top), fades the page in, and gives the screen back the same way. One landing screen is
// on screen at a time; a newer one sends the older away when its own fade-in ends. A screen keeps
// itself alive from taking the screen until it has finished giving it back.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/graphics/geometry.h"
#include "platform/ui/view_controller.h"

namespace ui {
class ImageView;
class View;
class Window;
} // namespace ui

namespace zelvan::adwick {

class AdwickContext;

class AdwickModalViewController : public ui::ViewController {
public:
    enum Transition { kTransitionNone = 0, kTransitionBackgroundExpand = 1, kTransitionMoveAdToTop = 2 };

    static constexpr double kFadeSeconds = 0.4;
    static constexpr double kExpandSeconds = 0.4;
    // A move of the banner takes 0.8 s per 480 points of its distance from the top.
    static constexpr double kMoveSecondsPer480 = 0.8;

    // `context` keeps the one landing screen on screen (null: a slot of the class's own).
    explicit AdwickModalViewController(std::shared_ptr<AdwickContext> context) : context_(std::move(context)) {}

    std::string className() const override { return "AdwickModalViewController"; }

    // Takes the screen over from `adView` with `animation` (0, 1 or 2).
    void commandeerScreenFromAdView(ui::View& adView, int animation);
    // Gives the screen back (fading out while the window is key, else at once).
    virtual void relinquishScreen();

    // Build the page's views in the controller's view of `bounds`.
    virtual void loadViewWithBounds(gfx::Rect /*bounds*/) {}
    virtual void landingPageDidAppear() {}
    virtual void landingPageDidDisappear() {}
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    const std::shared_ptr<ui::Window>& previousKeyWindow() const { return previousKeyWindow_; }
    const std::shared_ptr<ui::Window>& modalWindow() const { return modalWindow_; }
    int transitionAnimation() const { return transitionAnimation_; }
    std::shared_ptr<ui::View> background() const { return background_.lock(); }
    const std::shared_ptr<ui::ImageView>& screenshotOfAd() const { return screenshotOfAd_; }
    const std::shared_ptr<ui::View>& adView() const { return adView_; }
    // Whether the application's key window is this screen's window.
    bool isKeyWindow() const;
    // Between taking the screen and having given it back.
    bool isTakingScreen() const { return static_cast<bool>(modalWindow_); }

    // The landing screen now on screen (process-wide), or null (an entry point, in adwick_entry_points.cpp).
    static std::shared_ptr<AdwickModalViewController> landingScreenOnScreen();

protected:
    const std::shared_ptr<AdwickContext>& adwickContext() const { return context_; }

    void adStartAnimationDidStop();
    void fadeInDidStop();
    void fadeOutDidStop();
    void adFinishAnimationDidStop();

private:
    // Where the landing screen on screen is kept without a context (a bare test).
    static std::shared_ptr<AdwickModalViewController>& screenWithoutContext();
    std::shared_ptr<AdwickModalViewController> screenOnScreen() const;
    void setScreenOnScreen(std::shared_ptr<AdwickModalViewController> screen);
    std::weak_ptr<void> weakVoid();

    std::shared_ptr<AdwickContext> context_;
    std::shared_ptr<ui::View> adView_;
    std::shared_ptr<ui::Window> previousKeyWindow_;
    std::shared_ptr<ui::Window> modalWindow_;
    int transitionAnimation_ = kTransitionNone;
    std::weak_ptr<ui::View> background_;
    std::shared_ptr<ui::ImageView> screenshotOfAd_;
    // Held from taking the screen until finishing, so whoever made the screen may let go of it.
    std::shared_ptr<AdwickModalViewController> selfHold_;
    bool fadingOut_ = false;
};

} // namespace zelvan::adwick
