// ui::ScrollView: a view whose bounds origin is the content offset. It takes every touch that lands
// inside it, passes touches on to the content views it covers (after a short delay) until a drag
// starts, and scrolls, decelerates, pages and bounces on the run loop's clock, telling a delegate.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/run_loop.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/scroll_physics.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace fnd {
class Timer;
}

namespace ui {

class ScrollView;
class Touch;
class Window;

enum class ScrollViewIndicatorStyle { Default = 0, Black = 1, White = 2 };

// Per-millisecond velocity factors for `setDecelerationRate`.
inline constexpr double kScrollViewDecelerationRateNormal = 0.998;
inline constexpr double kScrollViewDecelerationRateFast = 0.99;

// Every method is optional. `scrollViewShouldScrollToTop` answers nullopt when not implemented,
// which counts as yes.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(ScrollView& /*scrollView*/) {}
    virtual void scrollViewWillBeginDragging(ScrollView& /*scrollView*/) {}
    virtual void scrollViewDidEndDraggingWillDecelerate(ScrollView& /*scrollView*/, bool /*decelerate*/) {}
    virtual void scrollViewWillBeginDecelerating(ScrollView& /*scrollView*/) {}
    virtual void scrollViewDidEndDecelerating(ScrollView& /*scrollView*/) {}
    virtual void scrollViewDidEndScrollingAnimation(ScrollView& /*scrollView*/) {}
    virtual std::optional<bool> scrollViewShouldScrollToTop(ScrollView& /*scrollView*/) { return std::nullopt; }
    virtual void scrollViewDidScrollToTop(ScrollView& /*scrollView*/) {}
};

class ScrollView : public View {
public:
    // A touch becomes a drag once it has moved this far from where it went down.
    static constexpr double kDragThreshold = 10;
    // With `delaysContentTouches`, how long a touch must rest before content views hear it.
    static constexpr double kContentTouchDelay = 0.15;
    // Animated offsets, paging snaps, bounce-backs and scrolls to the top take this long.
    static constexpr double kAnimationDuration = 0.3;
    // Scroll indicators are this thick and keep this far from the edges.
    static constexpr double kIndicatorThickness = 7;
    static constexpr double kIndicatorMinimumLength = 7;

    ScrollView();
    ~ScrollView() override;

    std::string className() const override { return "ScrollView"; }

    // --- Content ---
    gfx::Size contentSize() const { return contentSize_; }
    // Leaves the offset where it is.
    void setContentSize(gfx::Size size);
    gfx::Point contentOffset() const { return bounds().origin; }
    // Moves the offset (never clamped); one `scrollViewDidScroll` when it changes. A deceleration
    // or animation in progress carries on.
    void setContentOffset(gfx::Point offset);
    // With Animated::No: stops any deceleration or animation first, then moves as above. With
    // Animated::Yes: moves over 0.3 s (ease-in-out), `scrollViewDidScroll` every frame, then
    // `scrollViewDidEndScrollingAnimation`; nothing happens when the offset is already there.
    void setContentOffset(gfx::Point offset, Animated animated);
    gfx::EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(gfx::EdgeInsets inset);
    gfx::EdgeInsets scrollIndicatorInsets() const { return scrollIndicatorInsets_; }
    void setScrollIndicatorInsets(gfx::EdgeInsets insets);
    // The smallest move (clamped to the reachable range) that shows `rect` (content coordinates)
    // in the bounds; when the rect is larger than the bounds its top-left edge is shown.
    void scrollRectToVisible(gfx::Rect rect, Animated animated);
    // The reachable range of offsets: from (-inset.left, -inset.top) to content size + bottom and
    // right insets - bounds size, never below the minimum.
    gfx::Point minimumContentOffset() const;
    gfx::Point maximumContentOffset() const;

    // --- Behaviour ---
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    // Let an axis whose content fits rubber-band under a drag anyway.
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool bounce) { alwaysBounceVertical_ = bounce; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool bounce) { alwaysBounceHorizontal_ = bounce; }
    // Releases come to rest on multiples of the bounds size.
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool paging) { pagingEnabled_ = paging; }
    // When off, touches go straight to the content views and never scroll.
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool scrollsToTop() const { return scrollsToTop_; }
    void setScrollsToTop(bool scrollsToTop) { scrollsToTop_ = scrollsToTop; }
    bool delaysContentTouches() const { return delaysContentTouches_; }
    void setDelaysContentTouches(bool delays) { delaysContentTouches_ = delays; }
    bool canCancelContentTouches() const { return canCancelContentTouches_; }
    void setCanCancelContentTouches(bool canCancel) { canCancelContentTouches_ = canCancel; }
    // Velocity is multiplied by this once per millisecond of deceleration (0.998 by default).
    double decelerationRate() const { return decelerationRate_; }
    void setDecelerationRate(double rate);

    // --- Indicators ---
    // Plain bars along the right and bottom edges, shown while the view tracks, drags or moves.
    bool showsHorizontalScrollIndicator() const { return showsHorizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool shows);
    bool showsVerticalScrollIndicator() const { return showsVerticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool shows);
    ScrollViewIndicatorStyle indicatorStyle() const { return indicatorStyle_; }
    void setIndicatorStyle(ScrollViewIndicatorStyle style);
    void flashScrollIndicators() { ++flashCount_; }
    int flashCount() const { return flashCount_; }

    // --- State ---
    // A finger is down on the view.
    bool isTracking() const { return tracking_; }
    // That finger has moved far enough to scroll and has not lifted.
    bool isDragging() const { return dragging_; }
    // Coasting after a release, bouncing back, or snapping to a page.
    bool isDecelerating() const { return motion_ == Motion::Decelerating; }
    // An animated offset change (or scroll to the top) is running.
    bool isScrollAnimating() const { return motion_ == Motion::Animating || motion_ == Motion::ScrollingToTop; }
    // How many scroll views are decelerating or animating now (test drivers wait for zero).
    static int movingCount();

    // --- Delegate (weak; may be replaced at any time) ---
    std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // What a tap on the status bar does: when exactly one visible scroll view in `window` has
    // `scrollsToTop` and its delegate does not refuse, it animates to its top and then reports
    // `scrollViewDidScrollToTop`. Returns whether one did.
    static bool handleStatusBarTap(const std::shared_ptr<Window>& window);

    // --- Touches ---
    // Takes every touch inside the view (the content view under it hears it through the view).
    std::shared_ptr<View> hitTest(gfx::Point point, const Event* event) override;
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;
    // Leaving the window ends the touch it follows (its content view hears a cancel).
    void didMoveToWindow() override;

protected:
    // Touches that reach no content view, or that the content views pass up the responder chain,
    // arrive here (a table view selects rows from them). The defaults pass them on to the next
    // responder.
    virtual void contentTouchesBegan(const TouchSet& touches, const Event* event);
    virtual void contentTouchesMoved(const TouchSet& touches, const Event* event);
    virtual void contentTouchesEnded(const TouchSet& touches, const Event* event);
    virtual void contentTouchesCancelled(const TouchSet& touches, const Event* event);

    // Runs after every offset change, before the delegate's `scrollViewDidScroll`. The offset
    // change also marks the view as needing layout.
    virtual void contentOffsetDidChange() {}

private:
    enum class Motion { None, Decelerating, Animating, ScrollingToTop };
    enum class Phase { Began, Moved, Ended, Cancelled };

    // Offsets and motion (scroll_view.cpp).
    void applyOffset(gfx::Point offset);
    void startMotion(Motion motion);
    // Stops the motion in progress and tells the delegate it ended (a scroll to the top reports
    // itself only when `completed`).
    void endMotion(bool completed);
    void step();
    void animateTo(gfx::Point target, Motion motion, AnimationEasing easing);
    void settleInBounds();
    void beginDeceleration(gfx::Point velocity);
    ScrollAxis axisX() const;
    ScrollAxis axisY() const;
    bool isOutOfBounds() const;

    // Indicators (scroll_view.cpp).
    void updateIndicators();
    void removeIndicators();

    // Touches (scroll_view_touches.cpp).
    void deliverToContent(Phase phase, const TouchSet& touches, const Event* event);
    void flushPendingContentTouch();
    void startDragging(const Event* event);
    void dragTo(gfx::Point location);
    void release(const Touch& touch);
    void resetTouch();
    // Drops the followed touch without a release: content hears a cancel, a drag ends in place.
    void abandonTouch(const Event* event);
    bool isBubbledTouch(const TouchSet& touches, Phase phase) const;
    std::shared_ptr<Touch> trackedTouch(const TouchSet& touches) const;
    gfx::Point fingerLocation(const Touch& touch) const;

    gfx::Size contentSize_;
    gfx::EdgeInsets contentInset_;
    gfx::EdgeInsets scrollIndicatorInsets_;
    bool bounces_ = true;
    bool alwaysBounceVertical_ = false;
    bool alwaysBounceHorizontal_ = false;
    bool pagingEnabled_ = false;
    bool scrollEnabled_ = true;
    bool scrollsToTop_ = true;
    bool delaysContentTouches_ = true;
    bool canCancelContentTouches_ = true;
    double decelerationRate_ = kScrollViewDecelerationRateNormal;
    bool showsHorizontalIndicator_ = true;
    bool showsVerticalIndicator_ = true;
    ScrollViewIndicatorStyle indicatorStyle_ = ScrollViewIndicatorStyle::Default;
    int flashCount_ = 0;
    std::weak_ptr<ScrollViewDelegate> delegate_;

    // The finger being followed.
    bool tracking_ = false;
    bool dragging_ = false;
    std::weak_ptr<Touch> touch_;
    // Finger locations are in the superview's space, which scrolling does not move.
    gfx::Point touchStart_;
    gfx::Point lastLocation_;
    gfx::Point fingerOffset_; // the offset the finger asks for, before rubber-banding
    VelocityTracker velocity_;
    std::weak_ptr<View> contentTarget_;
    bool contentStarted_ = false;  // content has heard the touch begin
    bool contentEligible_ = false; // content may still hear it (not a drag, not a stopping touch)
    fnd::PerformHandle contentDelay_;
    int forwarding_ = 0; // depth of calls into content views

    // Motion on the 60 Hz timer.
    Motion motion_ = Motion::None;
    std::shared_ptr<fnd::Timer> timer_;
    double lastStepTime_ = 0;
    bool settling_ = false;    // decelerating along `animation_` (bounce-back, page snap)
    gfx::Point decelVelocity_; // content points per second
    ScrollAnimation animation_;

    std::shared_ptr<View> horizontalIndicator_;
    std::shared_ptr<View> verticalIndicator_;
};

} // namespace ui
