// Scroll view behaviour under the manual clock, driven by real touches: delegate order for drags
// with and without deceleration, exact fling distances, paging snaps, rubber-banding and bounce
// back, insets, animated offsets, scrolling rects into view, delayed and cancelled content touches,
// and content hit and drawn at the scrolled positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/button.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/scroll_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

using ui::testing::ScrollDriver;
using ui::testing::TouchDriver;

// Records what the delegate hears; runs of didScroll collapse to one "didScroll" entry in `order`.
class Recorder : public ScrollViewDelegate {
public:
    void scrollViewDidScroll(ScrollView& sv) override {
        offsets.push_back(sv.contentOffset());
        if (events.empty() || events.back() != "didScroll") {
            events.push_back("didScroll");
        }
        ++scrolls;
    }
    void scrollViewWillBeginDragging(ScrollView& sv) override {
        events.push_back("willBeginDragging");
        EXPECT_TRUE(sv.isDragging());
    }
    void scrollViewDidEndDraggingWillDecelerate(ScrollView& sv, bool decelerate) override {
        events.push_back(decelerate ? "didEndDragging(decelerate)" : "didEndDragging");
        EXPECT_FALSE(sv.isDragging());
        EXPECT_FALSE(sv.isTracking());
    }
    void scrollViewWillBeginDecelerating(ScrollView&) override { events.push_back("willBeginDecelerating"); }
    void scrollViewDidEndDecelerating(ScrollView& sv) override {
        events.push_back("didEndDecelerating");
        EXPECT_FALSE(sv.isDecelerating());
    }
    void scrollViewDidEndScrollingAnimation(ScrollView&) override { events.push_back("didEndScrollingAnimation"); }
    std::optional<bool> scrollViewShouldScrollToTop(ScrollView&) override { return allowTop; }
    void scrollViewDidScrollToTop(ScrollView&) override { events.push_back("didScrollToTop"); }

    std::vector<std::string> events;
    std::vector<gfx::Point> offsets;
    int scrolls = 0;
    std::optional<bool> allowTop;
};

class ScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        scroll_ = View::create<ScrollView>(gfx::Rect(0, 0, 320, 400));
        scroll_->setContentSize({320, 2000});
        scroll_->setDelegate(recorder_);
        window_->addSubview(scroll_);
    }
    void TearDown() override {
        TouchDriver::reset();
        ScrollDriver::settle();
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    void advance(double dt) { fnd::RunLoop::main().advance(dt); }
    double now() const { return fnd::Clock::monotonic(); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Window> window_;
    std::shared_ptr<ScrollView> scroll_;
    std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
};

TEST_F(ScrollViewTest, DragWithoutDecelerationFollowsTheFinger) {
    TouchDriver::touchDown(1, {160, 300});
    EXPECT_TRUE(scroll_->isTracking());
    EXPECT_FALSE(scroll_->isDragging());
    advance(0.05);
    TouchDriver::touchMove(1, {160, 295}); // under the 10 pt threshold: no drag yet
    EXPECT_FALSE(scroll_->isDragging());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
    for (int y = 280; y >= 100; y -= 20) {
        advance(0.05);
        TouchDriver::touchMove(1, {160, static_cast<double>(y)});
    }
    EXPECT_TRUE(scroll_->isDragging());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 200})); // the whole finger movement
    advance(0.2);                                              // the finger rests before lifting
    TouchDriver::touchUp(1);
    EXPECT_FALSE(scroll_->isTracking());
    EXPECT_FALSE(scroll_->isDecelerating());
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"willBeginDragging", "didScroll", "didEndDragging"}));
    EXPECT_EQ(recorder_->scrolls, 10);
    EXPECT_EQ(ScrollView::movingCount(), 0);
    EXPECT_EQ(recorder_->offsets.back(), (gfx::Point{0, 200}));
}

TEST_F(ScrollViewTest, FlingDeceleratesOnTheClockWithExactVelocity) {
    // 300 pt over 0.3 s: 1000 pt/s at release.
    ScrollDriver::drag(scroll_, {0, -300}, 0.3, 18);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 300}));
    EXPECT_TRUE(scroll_->isDecelerating());
    EXPECT_EQ(ScrollView::movingCount(), 1);
    const double released = now();
    advance(0.5);
    EXPECT_TRUE(scroll_->isDecelerating());
    const double midway = scroll_->contentOffset().y;
    EXPECT_GT(midway, 300);
    ASSERT_TRUE(ScrollDriver::settle());
    EXPECT_FALSE(scroll_->isDecelerating());
    EXPECT_EQ(recorder_->events,
              (std::vector<std::string>{"willBeginDragging", "didScroll", "didEndDragging(decelerate)",
                                        "willBeginDecelerating", "didScroll", "didEndDecelerating"}));
    // Coasting from 1000 pt/s at 0.998 per ms down to 20 pt/s covers (1000 - ~20) / (1000 ln(1/0.998)).
    const double coast = scroll_->contentOffset().y - 300;
    EXPECT_NEAR(coast, (1000 - 19.7) / (-1000 * std::log(0.998)), 3.0);
    // It stops when the speed falls under 20 pt/s: ln(50) / (1000 ln(1/0.998)) s after release.
    EXPECT_NEAR(now() - released, std::log(50.0) / (-1000 * std::log(0.998)), 0.05);

    // A faster deceleration rate coasts a tenth of the way; a nonsensical one is refused.
    scroll_->setDecelerationRate(1.5);
    EXPECT_DOUBLE_EQ(scroll_->decelerationRate(), kScrollViewDecelerationRateNormal);
    scroll_->setDecelerationRate(kScrollViewDecelerationRateFast);
    scroll_->setContentOffset({0, 0});
    ScrollDriver::drag(scroll_, {0, -300}, 0.3, 18);
    ScrollDriver::settle();
    EXPECT_NEAR(scroll_->contentOffset().y - 300, (1000 - 19) / (-1000 * std::log(0.99)), 3.0);
}

TEST_F(ScrollViewTest, TouchStopsDecelerationAndIsNotPassedToContent) {
    auto button = Button::buttonWithType(ButtonType::Custom);
    button->setFrame({0, 0, 320, 2000});
    int taps = 0;
    button->addTarget(
        {}, [&](Control&, const Event*) { ++taps; }, ControlEvents::TouchUpInside);
    scroll_->addSubview(button);
    ScrollDriver::fling(scroll_, {0, -1500});
    advance(0.2);
    ASSERT_TRUE(scroll_->isDecelerating());
    const gfx::Point stoppedAt = scroll_->contentOffset();
    TouchDriver::tap(window_, {160, 200});
    EXPECT_FALSE(scroll_->isDecelerating());
    EXPECT_EQ(recorder_->events.back(), "didEndDecelerating");
    advance(1);
    EXPECT_EQ(scroll_->contentOffset(), stoppedAt);
    EXPECT_EQ(taps, 0);
    TouchDriver::tap(window_, {160, 200}); // a tap on a resting view does reach the content
    EXPECT_EQ(taps, 1);
}

TEST_F(ScrollViewTest, PagingSnapsToPages) {
    scroll_->setContentSize({320 * 4, 400});
    scroll_->setPagingEnabled(true);
    struct Case {
        gfx::Point delta;  // finger movement
        double duration;   // clock time of the drag
        bool rest;         // the finger rests 0.2 s before lifting
        double startPage;  // page the drag starts on
        double expectPage; // page it comes to rest on
    };
    const Case cases[] = {
        {{-100, 0}, 0.5, true, 0, 0},  // under half a page, slow: back to the page it left
        {{-200, 0}, 0.5, true, 0, 1},  // over half a page, slow: the next page
        {{-40, 0}, 0.1, false, 1, 2},  // a short quick flick (400 pt/s) moves one page on
        {{60, 0}, 0.1, false, 2, 1},   // and back
        {{-250, 0}, 0.1, false, 1, 2}, // a fast long flick past the middle still moves one page only
        {{-200, 0}, 0.1, false, 3, 3}, // the last page holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delta.x);
        scroll_->setContentOffset({c.startPage * 320, 0});
        recorder_->events.clear();
        const gfx::Point from{160 - c.delta.x / 2, 200};
        TouchDriver::touchDown(7, from);
        for (int i = 1; i <= 6; ++i) {
            advance(c.duration / 6);
            TouchDriver::touchMove(7, {from.x + c.delta.x * i / 6, 200});
        }
        if (c.rest) {
            advance(0.2);
        }
        TouchDriver::touchUp(7);
        ASSERT_TRUE(ScrollDriver::settle());
        EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{c.expectPage * 320, 0}));
        EXPECT_EQ(recorder_->events.back(), "didEndDecelerating");
        EXPECT_EQ(recorder_->events[2], "didEndDragging(decelerate)");
    }
}

TEST_F(ScrollViewTest, RubberBandsBeyondEdgesAndBouncesBack) {
    // Pulling down at the top moves the content at half rate.
    TouchDriver::touchDown(1, {160, 100});
    for (int y = 120; y <= 200; y += 20) {
        advance(0.05);
        TouchDriver::touchMove(1, {160, static_cast<double>(y)});
    }
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, -50}));
    // Moving back up follows at half rate until the edge, then at full rate.
    advance(0.05);
    TouchDriver::touchMove(1, {160, 80});
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 20}));
    advance(0.05);
    TouchDriver::touchMove(1, {160, 240});
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, -70}));
    advance(0.3);
    TouchDriver::touchUp(1); // no speed, but beyond the edge: it decelerates back
    EXPECT_EQ(recorder_->events.back(), "willBeginDecelerating");
    const double released = now();
    ASSERT_TRUE(ScrollDriver::settle());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
    EXPECT_NEAR(now() - released, ScrollView::kAnimationDuration, 1.0 / 30);
    EXPECT_EQ(recorder_->events.back(), "didEndDecelerating");
    for (size_t i = 1; i < recorder_->offsets.size(); ++i) {
        if (recorder_->offsets[i - 1].y < 0 && recorder_->offsets[i].y <= 0) {
            EXPECT_GE(recorder_->offsets[i].y, recorder_->offsets[i - 1].y - 40); // no jumps
        }
    }

    // A fling through the bottom edge overshoots a short way and comes back to rest on it.
    recorder_->offsets.clear();
    scroll_->setContentOffset({0, 1300});
    ScrollDriver::fling(scroll_, {0, -2000});
    ASSERT_TRUE(ScrollDriver::settle());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 1600}));
    double furthest = 0;
    for (const auto& p : recorder_->offsets) {
        furthest = std::max(furthest, p.y);
    }
    EXPECT_GT(furthest, 1600);
    EXPECT_LT(furthest, 1700);

    // Without bouncing the edges hold, and a release there does not decelerate.
    scroll_->setBounces(false);
    scroll_->setContentOffset({0, 0});
    recorder_->events.clear();
    TouchDriver::touchDown(1, {160, 100});
    advance(0.1);
    TouchDriver::touchMove(1, {160, 200});
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
    advance(0.1);
    TouchDriver::touchMove(1, {160, 150}); // reversing responds at once
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 50}));
    advance(0.1);
    TouchDriver::touchMove(1, {160, 90});
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 110}));
    advance(0.3);
    TouchDriver::touchUp(1);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"willBeginDragging", "didScroll", "didEndDragging"}));

    // Content that fits does not move, unless asked to bounce vertically anyway.
    scroll_->setBounces(true);
    scroll_->setContentSize({320, 300});
    scroll_->setContentOffset({0, 0});
    ScrollDriver::drag(scroll_, {0, 100}, 0.5, 5);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
    scroll_->setAlwaysBounceVertical(true);
    TouchDriver::touchDown(1, {160, 100});
    advance(0.1);
    TouchDriver::touchMove(1, {160, 160});
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, -30}));
    TouchDriver::touchUp(1);
    ScrollDriver::settle();
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
}

TEST_F(ScrollViewTest, InsetsChangeTheReachableRange) {
    scroll_->setContentInset({50, 0, 30, 0});
    EXPECT_EQ(scroll_->minimumContentOffset(), (gfx::Point{0, -50}));
    EXPECT_EQ(scroll_->maximumContentOffset(), (gfx::Point{0, 2000 + 30 - 400}));
    scroll_->setBounces(false);
    ScrollDriver::drag(scroll_, {0, 300}, 1, 10);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, -50}));
    ScrollDriver::settle();
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, -50}));
    scroll_->setContentOffset({0, 1500});
    ScrollDriver::drag(scroll_, {0, -300}, 1, 10);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 1630}));
    ScrollDriver::settle();

    // Bouncing comes to rest on the inset edge, not on the content edge.
    scroll_->setBounces(true);
    scroll_->setContentOffset({0, 0});
    ScrollDriver::drag(scroll_, {0, 200}, 1, 10);
    ScrollDriver::settle();
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, -50}));

    // A narrow view of wide content with side insets scrolls sideways within them.
    scroll_->setContentSize({1000, 400});
    scroll_->setContentInset({0, 20, 0, 10});
    EXPECT_EQ(scroll_->minimumContentOffset(), (gfx::Point{-20, 0}));
    EXPECT_EQ(scroll_->maximumContentOffset(), (gfx::Point{1000 + 10 - 320, 0}));
}

TEST_F(ScrollViewTest, AnimatedOffsetsRunOverTheClock) {
    scroll_->setContentOffset({0, 600}, Animated::Yes);
    EXPECT_TRUE(scroll_->isScrollAnimating());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0})); // nothing moves before the first frame
    advance(0.15 + 1e-9);
    EXPECT_NEAR(scroll_->contentOffset().y, 300, 1e-6); // ease-in-out: halfway at half time
    advance(0.2);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 600}));
    EXPECT_FALSE(scroll_->isScrollAnimating());
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"didScroll", "didEndScrollingAnimation"}));
    EXPECT_EQ(recorder_->scrolls, 18); // one per 60 Hz frame over 0.3 s

    // Without animation: one didScroll, and none when the offset does not change.
    recorder_->events.clear();
    recorder_->scrolls = 0;
    scroll_->setContentOffset({0, 100}, Animated::No);
    scroll_->setContentOffset({0, 100}, Animated::No);
    scroll_->setContentOffset({0, 100}, Animated::Yes);
    advance(1);
    EXPECT_EQ(recorder_->scrolls, 1);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"didScroll"}));

    // A new animated offset replaces the running one; a plain offset stops it and reports its end.
    scroll_->setContentOffset({0, 400}, Animated::Yes);
    advance(0.1);
    scroll_->setContentOffset({0, 200}, Animated::Yes);
    advance(0.4);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 200}));
    EXPECT_EQ(recorder_->events.back(), "didEndScrollingAnimation");
    EXPECT_EQ(std::count(recorder_->events.begin(), recorder_->events.end(), "didEndScrollingAnimation"), 1);
    scroll_->setContentOffset({0, 900}, Animated::Yes);
    advance(0.1);
    scroll_->setContentOffset({0, 50}, Animated::No);
    EXPECT_EQ(std::count(recorder_->events.begin(), recorder_->events.end(), "didEndScrollingAnimation"), 2);
    advance(1);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 50}));

    // The status bar scrolls the one scroll view that allows it to the top.
    recorder_->events.clear();
    recorder_->allowTop = false;
    EXPECT_FALSE(ScrollView::handleStatusBarTap(window_));
    recorder_->allowTop = std::nullopt;
    EXPECT_TRUE(ScrollView::handleStatusBarTap(window_));
    ScrollDriver::settle();
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
    EXPECT_EQ(recorder_->events.back(), "didScrollToTop");
    auto second = View::create<ScrollView>(gfx::Rect(0, 400, 320, 80));
    window_->addSubview(second);
    EXPECT_FALSE(ScrollView::handleStatusBarTap(window_)); // two candidates: neither moves
}

TEST_F(ScrollViewTest, ScrollRectToVisibleMovesAsLittleAsNeeded) {
    struct Case {
        gfx::Point from;
        gfx::Rect rect;
        gfx::Point expect;
    };
    const Case cases[] = {
        {{0, 0}, {0, 100, 320, 50}, {0, 0}},     // already visible
        {{0, 0}, {0, 500, 320, 50}, {0, 150}},   // below: its bottom edge comes to the bottom
        {{0, 800}, {0, 700, 320, 50}, {0, 700}}, // above: its top edge comes to the top
        {{0, 0}, {0, 390, 320, 20}, {0, 10}},    // partly visible: the rest of it
        {{0, 0}, {0, 900, 320, 600}, {0, 900}},  // taller than the view: its top
        {{0, 0}, {0, 1990, 320, 50}, {0, 1600}}, // past the content end: clamped
        {{0, 500}, {0, -100, 10, 10}, {0, 0}},   // before the content start: clamped
        {{0, 0}, {400, 100, 20, 20}, {0, 0}},    // sideways, but the content is not wider
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.origin.y);
        scroll_->setContentOffset(c.from);
        recorder_->scrolls = 0;
        scroll_->scrollRectToVisible(c.rect, Animated::No);
        EXPECT_EQ(scroll_->contentOffset(), c.expect);
        EXPECT_EQ(recorder_->scrolls, c.from == c.expect ? 0 : 1);
    }
    recorder_->events.clear();
    scroll_->setContentOffset({0, 0});
    scroll_->scrollRectToVisible({0, 1000, 320, 100}, Animated::Yes);
    ScrollDriver::settle();
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 700}));
    EXPECT_EQ(recorder_->events.back(), "didEndScrollingAnimation");
}

TEST_F(ScrollViewTest, ContentTouchesAreDelayedAndCancelledByADrag) {
    auto button = Button::buttonWithType(ButtonType::Custom);
    button->setFrame({0, 600, 320, 100});
    std::vector<std::string> heard;
    button->addTarget(
        {}, [&](Control&, const Event*) { heard.push_back("down"); }, ControlEvents::TouchDown);
    button->addTarget(
        {}, [&](Control&, const Event*) { heard.push_back("up"); }, ControlEvents::TouchUpInside);
    button->addTarget(
        {}, [&](Control&, const Event*) { heard.push_back("cancel"); }, ControlEvents::TouchCancel);
    scroll_->addSubview(button);
    scroll_->setContentOffset({0, 500});

    // The button sits at 100...200 on screen now; a quick tap there reaches it on release.
    TouchDriver::tap(window_, {160, 150});
    EXPECT_EQ(heard, (std::vector<std::string>{"down", "up"}));
    TouchDriver::tap(window_, {160, 250}); // below it: nothing
    EXPECT_EQ(heard.size(), 2u);

    // A resting finger reaches it after 0.15 s; a drag then cancels it and scrolls.
    heard.clear();
    TouchDriver::touchDown(1, {160, 150});
    advance(0.1);
    EXPECT_TRUE(heard.empty());
    advance(0.06);
    EXPECT_EQ(heard, (std::vector<std::string>{"down"}));
    EXPECT_TRUE(button->isHighlighted());
    advance(0.05);
    TouchDriver::touchMove(1, {160, 120});
    EXPECT_EQ(heard, (std::vector<std::string>{"down", "cancel"}));
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 530}));
    advance(0.3);
    TouchDriver::touchUp(1);
    EXPECT_EQ(heard, (std::vector<std::string>{"down", "cancel"}));

    // A drag that starts before the delay ends never reaches the button at all.
    heard.clear();
    scroll_->setContentOffset({0, 500});
    TouchDriver::drag({160, 180}, {160, 80}, 0.1, 5);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 600}));
    ScrollDriver::settle();

    // Content that may not be cancelled keeps its touch, and the view does not scroll.
    scroll_->setContentOffset({0, 500});
    scroll_->setCanCancelContentTouches(false);
    scroll_->setDelaysContentTouches(false);
    TouchDriver::touchDown(1, {160, 150});
    EXPECT_EQ(heard, (std::vector<std::string>{"down"}));
    advance(0.1);
    TouchDriver::touchMove(1, {160, 100});
    advance(0.1);
    TouchDriver::touchUp(1);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 500}));
    EXPECT_EQ(heard, (std::vector<std::string>{"down", "up"}));

    // Taken out of the window mid-drag, the view ends the drag in place and takes new touches later.
    scroll_->setCanCancelContentTouches(true);
    recorder_->events.clear();
    TouchDriver::touchDown(1, {160, 250});
    advance(0.05);
    TouchDriver::touchMove(1, {160, 200});
    ASSERT_TRUE(scroll_->isDragging());
    scroll_->removeFromSuperview();
    EXPECT_FALSE(scroll_->isTracking());
    EXPECT_EQ(recorder_->events.back(), "didEndDragging");
    TouchDriver::touchUp(1);
    window_->addSubview(scroll_);
    ScrollDriver::drag(scroll_, {0, -40}, 0.5, 4);
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 590}));
}

TEST_F(ScrollViewTest, NestedStripScrollsAlongItsOwnAxisOnly) {
    auto strip = View::create<ScrollView>(gfx::Rect(0, 100, 320, 60));
    strip->setContentSize({1000, 60});
    auto stripRecorder = std::make_shared<Recorder>();
    strip->setDelegate(stripRecorder);
    scroll_->addSubview(strip);

    TouchDriver::drag({200, 130}, {100, 130}, 0.5, 5); // sideways on the strip
    EXPECT_EQ(strip->contentOffset(), (gfx::Point{100, 0}));
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 0}));
    TouchDriver::drag({160, 150}, {160, 90}, 0.5, 5); // up across the strip
    EXPECT_EQ(strip->contentOffset(), (gfx::Point{100, 0}));
    EXPECT_EQ(scroll_->contentOffset(), (gfx::Point{0, 60}));
    EXPECT_EQ(stripRecorder->events,
              (std::vector<std::string>{"willBeginDragging", "didScroll", "didEndDragging(decelerate)",
                                        "willBeginDecelerating", "didEndDecelerating"})); // the second touch stopped it
    EXPECT_EQ(recorder_->events.front(), "willBeginDragging");
}

TEST_F(ScrollViewTest, SubviewsAreDrawnAtTheScrolledPositions) {
    window_->setBackgroundColor(gfx::Color::white());
    auto red = View::create(gfx::Rect(20, 600, 100, 50));
    red->setBackgroundColor(gfx::Color::red());
    scroll_->addSubview(red);
    scroll_->setClipsToBounds(true);

    auto image = Snapshot::captureView(*window_);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(50, 120), (gfx::Rgba8{255, 255, 255, 255}));

    scroll_->setContentOffset({-10, 500});
    EXPECT_EQ(window_->hitTest({60, 120}, nullptr), scroll_); // the scroll view takes touches
    EXPECT_EQ(red->convertPointToView({0, 0}, nullptr), (gfx::Point{30, 100}));
    image = Snapshot::captureView(*window_);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(30, 100), (gfx::Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(image->pixelAt(129, 149), (gfx::Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(image->pixelAt(29, 100), (gfx::Rgba8{255, 255, 255, 255}));
    EXPECT_EQ(image->pixelAt(130, 120), (gfx::Rgba8{255, 255, 255, 255}));
    EXPECT_EQ(image->pixelAt(50, 150), (gfx::Rgba8{255, 255, 255, 255}));

    // Clipped by the scroll view's bounds: content scrolled under its bottom edge is not drawn.
    scroll_->setContentOffset({0, 230});
    image = Snapshot::captureView(*window_);
    EXPECT_EQ(image->pixelAt(50, 390), (gfx::Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(image->pixelAt(50, 410), (gfx::Rgba8{255, 255, 255, 255}));

    // While it moves the indicator shows along the right edge, on top of the content; at rest it
    // is gone again.
    scroll_->setContentOffset({0, 1000}, Animated::Yes);
    advance(0.1);
    auto barPixels = [&] {
        const auto shot = Snapshot::captureView(*window_);
        int grey = 0;
        for (int y = 0; y < 400; ++y) {
            const gfx::Rgba8 p = shot->pixelAt(317, y);
            grey += (p.r > 100 && p.r < 160 && p.r == p.g && p.g == p.b) ? 1 : 0;
        }
        return grey;
    };
    // A fifth of the track for a fifth of the content shown.
    EXPECT_NEAR(barPixels(), 80, 2);
    ScrollDriver::settle();
    EXPECT_EQ(barPixels(), 0);
    EXPECT_EQ(scroll_->subviews().size(), 1u);
}

} // namespace
} // namespace ui
