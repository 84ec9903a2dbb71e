// AdwickSingleAdView: the base of the views that show one loaded ad inside the banner view: the touch
// highlight, and the click animation (the action icon pulses, then a spinner shows until the click's
// reply has come back). A view hands its clicks to its controller through AdwickAdClickHandler.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/timer.h"
#include "platform/foundation/value.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/view.h"

namespace ui {
class ActivityIndicatorView;
}

namespace zelvan::adwick {

class AdwickAd;
class AdwickLocalizer;
class AdwickSingleAdView;

// What a display view hands its clicks to: the controller of the banner it is shown in (AdwickController).
class AdwickAdClickHandler {
public:
    virtual ~AdwickAdClickHandler() = default;
    // Sends the view's ad's click (`data` as its JSON body when given) and animates the view for it.
    virtual void clickWithData(AdwickSingleAdView& view, const std::optional<fnd::Value>& data) = 0;
};

class AdwickSingleAdView : public ui::View, public ui::AnimationDelegate {
public:
    static constexpr std::string_view kPulseAnimationKey = "AdwickPulseAnimation";
    static constexpr double kSpinnerDelay = 0.3;

    ~AdwickSingleAdView() override;
    std::string className() const override { return "AdwickSingleAdView"; }
    void initWithFrame(gfx::Rect frame) override;

    const std::shared_ptr<AdwickAd>& ad() const { return ad_; }
    virtual void setAd(std::shared_ptr<AdwickAd> ad) { ad_ = std::move(ad); }
    std::shared_ptr<AdwickAdClickHandler> controller() const { return controller_.lock(); }
    void setController(std::weak_ptr<AdwickAdClickHandler> controller) { controller_ = std::move(controller); }
    // The texts the view draws (none: the keys themselves). Set before the ad.
    const std::shared_ptr<AdwickLocalizer>& localizer() const { return localizer_; }
    void setLocalizer(std::shared_ptr<AdwickLocalizer> localizer) { localizer_ = std::move(localizer); }
    std::shared_ptr<ui::View> clickAnimationView() const { return clickAnimationView_.lock(); }
    void setClickAnimationView(std::weak_ptr<ui::View> view) { clickAnimationView_ = std::move(view); }
    std::shared_ptr<ui::ActivityIndicatorView> spinner() const { return spinner_.lock(); }
    bool animatingForClick() const { return animatingForClick_; }
    bool touched() const { return touched_; }

    void animateForClick();
    void restoreAdAfterClickAnimation();
    void setTouched(bool touched);

    // Scale 1 -> 1.4 -> 0.001 of "transform" over 0.5 s, kept collapsed at the end.
    static std::shared_ptr<ui::Animation> pulseAnimationWithDelegate(std::weak_ptr<ui::AnimationDelegate> delegate);
    // Appends "%i,%.0f,%.0f,%f" (0 start / 1 end, x, y in `view`, seconds) to `history`, made when null.
    static std::shared_ptr<fnd::Array> recordTouch(gfx::Point location, bool isTouchEnd, double time,
                                                   std::shared_ptr<fnd::Array> history);

    void animationDidStop(const ui::AnimationPtr& animation, bool finished) override;

protected:
    void stopAnimationAndRestore(fnd::Timer* timer);
    void addSpinner(fnd::Timer& timer);
    static void replaceTimer(std::shared_ptr<fnd::Timer>& slot, std::shared_ptr<fnd::Timer> timer);

    std::shared_ptr<AdwickAd> ad_;
    std::weak_ptr<AdwickAdClickHandler> controller_;
    std::shared_ptr<AdwickLocalizer> localizer_;
    std::weak_ptr<ui::View> clickAnimationView_;
    std::weak_ptr<ui::ActivityIndicatorView> spinner_;
    bool animatingForClick_ = false;
    bool removeSpinnerRequested_ = false;
    std::shared_ptr<fnd::Timer> removeSpinnerTimer_;
    std::shared_ptr<fnd::Timer> addSpinnerTimer_;
    std::shared_ptr<ui::View> highlightView_;
    bool touched_ = false;
};

} // namespace zelvan::adwick
