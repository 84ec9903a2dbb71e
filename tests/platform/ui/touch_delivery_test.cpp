// Touch delivery: the view hit at Began hears every phase, locations in views, repeated-tap counts
// under the manual clock, forwarding along the responder chain, single-touch views, multi-finger
// events and drags stepped on the clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

using ui::testing::TouchDriver;

struct Heard {
    std::string phase;
    size_t count;
    gfx::Point location;
    gfx::Point previous;
    int tapCount;
    double timestamp;
};

class RecordingView : public View {
public:
    void touchesBegan(const TouchSet& t, const Event*) override { note("began", t); }
    void touchesMoved(const TouchSet& t, const Event*) override { note("moved", t); }
    void touchesEnded(const TouchSet& t, const Event*) override { note("ended", t); }
    void touchesCancelled(const TouchSet& t, const Event*) override { note("cancelled", t); }
    std::vector<Heard> heard;

private:
    void note(const char* phase, const TouchSet& t) {
        heard.push_back({phase, t.size(), t[0]->locationInView(this), t[0]->previousLocationInView(this),
                         t[0]->tapCount(), t[0]->timestamp()});
    }
};

class TouchDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        a_ = View::create<RecordingView>(gfx::Rect(0, 0, 100, 100));
        b_ = View::create<RecordingView>(gfx::Rect(100, 0, 100, 100));
        window_->addSubview(a_);
        window_->addSubview(b_);
    }
    void TearDown() override {
        TouchDriver::reset();
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Window> window_;
    std::shared_ptr<RecordingView> a_;
    std::shared_ptr<RecordingView> b_;
};

TEST_F(TouchDeliveryTest, ViewHitAtBeganHearsEveryPhase) {
    TouchDriver::touchDown(1, gfx::Point{50, 50});
    TouchDriver::touchMove(1, gfx::Point{150, 40}); // over b now
    TouchDriver::touchUp(1);
    ASSERT_EQ(a_->heard.size(), 3u);
    EXPECT_TRUE(b_->heard.empty());
    EXPECT_EQ(a_->heard[0].phase, "began");
    EXPECT_EQ(a_->heard[1].phase, "moved");
    EXPECT_EQ(a_->heard[1].location, (gfx::Point{150, 40})); // in a's space, beyond its bounds
    EXPECT_EQ(a_->heard[1].previous, (gfx::Point{50, 50}));
    EXPECT_EQ(a_->heard[2].phase, "ended");

    // Locations follow the receiving view's own space.
    TouchDriver::touchDown(2, gfx::Point{130, 20});
    TouchDriver::cancel(2);
    ASSERT_EQ(b_->heard.size(), 2u);
    EXPECT_EQ(b_->heard[0].location, (gfx::Point{30, 20}));
    EXPECT_EQ(b_->heard[1].phase, "cancelled");
}

TEST_F(TouchDeliveryTest, TapCountsFollowTimeAndDistance) {
    auto countOfLastBegan = [&] {
        for (auto it = a_->heard.rbegin(); it != a_->heard.rend(); ++it) {
            if (it->phase == "began") {
                return it->tapCount;
            }
        }
        return 0;
    };
    TouchDriver::tap(window_, gfx::Point{50, 50});
    EXPECT_EQ(countOfLastBegan(), 1);
    fnd::RunLoop::main().advance(0.3);
    TouchDriver::tap(window_, gfx::Point{55, 55}); // 0.3 s and 7 pt away
    EXPECT_EQ(countOfLastBegan(), 2);
    fnd::RunLoop::main().advance(0.35);
    TouchDriver::tap(window_, gfx::Point{55, 55}); // exactly at the limit
    EXPECT_EQ(countOfLastBegan(), 3);
    fnd::RunLoop::main().advance(0.36);
    TouchDriver::tap(window_, gfx::Point{55, 55}); // too late
    EXPECT_EQ(countOfLastBegan(), 1);
    fnd::RunLoop::main().advance(0.1);
    TouchDriver::tap(window_, gfx::Point{55, 70}); // too far
    EXPECT_EQ(countOfLastBegan(), 1);
    fnd::RunLoop::main().advance(1);
    TouchDriver::doubleTap(window_, gfx::Point{20, 20});
    EXPECT_EQ(countOfLastBegan(), 2);
    EXPECT_EQ(a_->heard.back().phase, "ended");
    EXPECT_EQ(a_->heard.back().tapCount, 2);
}

TEST_F(TouchDeliveryTest, PlainViewsForwardAlongTheResponderChain) {
    auto plain = View::create(gfx::Rect(10, 10, 20, 20));
    a_->addSubview(plain);
    TouchDriver::tap(window_, gfx::Point{15, 15});
    ASSERT_EQ(a_->heard.size(), 2u);
    EXPECT_EQ(a_->heard[0].phase, "began");
    EXPECT_EQ(a_->heard[0].location, (gfx::Point{15, 15}));
}

TEST_F(TouchDeliveryTest, SingleAndMultipleTouchViews) {
    // A view that takes one touch at a time does not hear a second finger.
    TouchDriver::touchDown(1, gfx::Point{10, 10});
    TouchDriver::touchDown(2, gfx::Point{20, 20});
    TouchDriver::touchUp(2);
    TouchDriver::touchUp(1);
    ASSERT_EQ(a_->heard.size(), 2u);
    EXPECT_EQ(a_->heard[0].location, (gfx::Point{10, 10}));

    // A multi-touch view hears both fingers in one event.
    b_->setMultipleTouchEnabled(true);
    TouchDriver::multi(TouchPhase::Began, {{3, {110, 10}}, {4, {150, 50}}});
    TouchDriver::multi(TouchPhase::Moved, {{4, {160, 60}}});
    TouchDriver::multi(TouchPhase::Ended, {{3, {}}, {4, {}}});
    ASSERT_EQ(b_->heard.size(), 3u);
    EXPECT_EQ(b_->heard[0].count, 2u);
    EXPECT_EQ(b_->heard[1].count, 1u); // only the finger that moved
    EXPECT_EQ(b_->heard[1].location, (gfx::Point{60, 60}));
    EXPECT_EQ(b_->heard[2].count, 2u);
}

TEST_F(TouchDeliveryTest, DragStepsTheClock) {
    const double start = fnd::Clock::monotonic();
    TouchDriver::drag(gfx::Point{10, 10}, gfx::Point{90, 50}, 0.4, 4);
    ASSERT_EQ(a_->heard.size(), 6u);
    EXPECT_EQ(a_->heard[0].phase, "began");
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(a_->heard[i].phase, "moved");
        EXPECT_NEAR(a_->heard[i].timestamp - start, 0.1 * i, 1e-9);
        EXPECT_NEAR(a_->heard[i].location.x, 10 + 20 * i, 1e-9);
        EXPECT_NEAR(a_->heard[i].location.y, 10 + 10 * i, 1e-9);
    }
    EXPECT_EQ(a_->heard[5].phase, "ended");
}

} // namespace
} // namespace ui
