// The single-ad view's touch highlight and click animation: the pulse of the action icon, the spinner
// 0.3 s after it, and its removal 0.3 s after the restore request (remembered while still pulsing).
#include "ads/adwick/adwick_single_ad_view.h"

#include <utility>

#include "ads/adwick/adwick_ad.h"
#include "platform/foundation/format.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/keyframe_animation.h"
#include "platform/ui/layer.h"
#include "platform/ui/transform3d.h"

namespace zelvan::adwick {

AdwickSingleAdView::~AdwickSingleAdView() {
    if (removeSpinnerTimer_) {
        removeSpinnerTimer_->invalidate();
    }
    if (addSpinnerTimer_) {
        addSpinnerTimer_->invalidate();
    }
}

void AdwickSingleAdView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setOpaque(true);
}

std::shared_ptr<ui::Animation>
AdwickSingleAdView::pulseAnimationWithDelegate(std::weak_ptr<ui::AnimationDelegate> delegate) {
    auto pulse = ui::KeyframeAnimation::animationWithKeyPath("transform");
    pulse->setValues({ui::AnimationValue(ui::Transform3D::identity()),
                      ui::AnimationValue(ui::Transform3D::makeScale(1.4, 1.4, 1)),
                      ui::AnimationValue(ui::Transform3D::makeScale(0.001, 0.001, 1))});
    pulse->setKeyTimes({0, 0.4, 1.0});
    pulse->setDuration(0.5);
    pulse->setRemovedOnCompletion(false);
    pulse->setFillMode(ui::FillMode::Forwards);
    pulse->setDelegate(std::move(delegate));
    return pulse;
}

std::shared_ptr<fnd::Array> AdwickSingleAdView::recordTouch(gfx::Point location, bool isTouchEnd, double time,
                                                            std::shared_ptr<fnd::Array> history) {
    if (!history) {
        history = std::make_shared<fnd::Array>();
    }
    history->addObject(fnd::format("%i,%.0f,%.0f,%f", isTouchEnd ? 1 : 0, location.x, location.y, time));
    return history;
}

void AdwickSingleAdView::animateForClick() {
    setUserInteractionEnabled(false);
    auto icon = clickAnimationView();
    if (!icon) {
        return;
    }
    animatingForClick_ = true;
    std::weak_ptr<ui::AnimationDelegate> weak = std::dynamic_pointer_cast<ui::AnimationDelegate>(self<View>());
    icon->layer()->addAnimation(pulseAnimationWithDelegate(weak), std::string(kPulseAnimationKey));
}

void AdwickSingleAdView::replaceTimer(std::shared_ptr<fnd::Timer>& slot, std::shared_ptr<fnd::Timer> timer) {
    if (slot) {
        slot->invalidate();
    }
    slot = std::move(timer);
}

void AdwickSingleAdView::animationDidStop(const ui::AnimationPtr& /*animation*/, bool /*finished*/) {
    auto icon = clickAnimationView();
    const gfx::Rect frame = icon ? icon->frame() : gfx::Rect();
    const gfx::Point centre(frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2);
    std::weak_ptr<AdwickSingleAdView> weak = self<AdwickSingleAdView>();
    auto value = fnd::Value::array({fnd::Value(centre.x), fnd::Value(centre.y)});
    replaceTimer(addSpinnerTimer_, fnd::Timer::scheduled(
                                       kSpinnerDelay, fnd::Repeats::No,
                                       [weak](fnd::Timer& timer) {
                                           if (auto view = weak.lock()) {
                                               view->addSpinner(timer);
                                           }
                                       },
                                       value));
}

void AdwickSingleAdView::addSpinner(fnd::Timer& timer) {
    auto keep = self<AdwickSingleAdView>();
    const int style = ad_ ? ad_->spinnerStyle() : 1;
    auto spinner = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(
        style == 2 ? ui::ActivityIndicatorViewStyle::Gray : ui::ActivityIndicatorViewStyle::White);
    auto point = timer.userInfo().asArray();
    if (point && point->count() == 2) {
        spinner->setCenter(gfx::Point(point->objectAtIndex(0).doubleValue(), point->objectAtIndex(1).doubleValue()));
    }
    auto icon = clickAnimationView();
    auto parent = icon ? icon->superview() : nullptr;
    (parent ? parent : keep)->addSubview(spinner);
    spinner->startAnimating();
    spinner_ = spinner;
    animatingForClick_ = false;
    if (removeSpinnerRequested_) {
        std::weak_ptr<AdwickSingleAdView> weak = keep;
        replaceTimer(removeSpinnerTimer_, fnd::Timer::scheduled(kSpinnerDelay, fnd::Repeats::No, [weak](fnd::Timer& t) {
                         if (auto view = weak.lock()) {
                             view->stopAnimationAndRestore(&t);
                         }
                     }));
    }
    if (addSpinnerTimer_.get() == &timer) {
        addSpinnerTimer_->invalidate();
        addSpinnerTimer_.reset();
    }
}

void AdwickSingleAdView::restoreAdAfterClickAnimation() {
    if (animatingForClick_) {
        removeSpinnerRequested_ = true;
        return;
    }
    std::weak_ptr<AdwickSingleAdView> weak = self<AdwickSingleAdView>();
    replaceTimer(removeSpinnerTimer_, fnd::Timer::scheduled(kSpinnerDelay, fnd::Repeats::No, [weak](fnd::Timer& t) {
                     if (auto view = weak.lock()) {
                         view->stopAnimationAndRestore(&t);
                     }
                 }));
}

void AdwickSingleAdView::stopAnimationAndRestore(fnd::Timer* timer) {
    if (auto spinner = spinner_.lock()) {
        spinner->removeFromSuperview();
    }
    spinner_.reset();
    if (timer != nullptr && removeSpinnerTimer_.get() == timer) {
        removeSpinnerTimer_->invalidate();
        removeSpinnerTimer_.reset();
    }
    if (auto icon = clickAnimationView()) {
        icon->layer()->removeAnimationForKey(std::string(kPulseAnimationKey));
    }
    removeSpinnerRequested_ = false;
    setUserInteractionEnabled(true);
}

void AdwickSingleAdView::setTouched(bool touched) {
    if (touched == touched_) {
        return;
    }
    if (!highlightView_) {
        highlightView_ = ui::View::create(bounds());
        highlightView_->setUserInteractionEnabled(false);
        highlightView_->setBackgroundColor(gfx::Color::white(0.5, 0.5));
    }
    if (touched) {
        addSubview(highlightView_);
    } else {
        highlightView_->removeFromSuperview();
    }
    touched_ = touched;
}

} // namespace zelvan::adwick
