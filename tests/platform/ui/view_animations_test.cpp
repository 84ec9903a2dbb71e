// Begin/commit view animations under the manual clock: model values final at once, the log entry
// at commit, will-start and did-stop timing and order, zero duration, disabled animations, an
// earlier animation interrupted by a later one, a dead delegate, nesting, and presentation values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/view.h"

namespace ui {
namespace {

class ViewAnimationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        start_ = fnd::Clock::monotonic();
        AnimationLog::clear();
        view_ = View::create({0, 0, 100, 50});
    }
    void TearDown() override {
        fnd::RunLoop::main().runUntilIdle();
        View::setAnimationsEnabled(true);
        fnd::Clock::install(nullptr);
    }

    // Installs selectors that record "<event> <name> <finished> @<seconds since start>".
    void listen(std::shared_ptr<void> delegate = nullptr) {
        if (delegate) {
            View::setAnimationDelegate(delegate);
        }
        View::setAnimationWillStartSelector([this](const std::string& name, void* context) {
            events_.push_back("start " + name + at());
            contexts_.push_back(context);
        });
        View::setAnimationDidStopSelector([this](const std::string& name, bool finished, void* context) {
            events_.push_back("stop " + name + (finished ? " finished" : " interrupted") + at());
            contexts_.push_back(context);
        });
    }
    std::string at() const {
        char buf[32];
        std::snprintf(buf, sizeof buf, " @%.2f", fnd::Clock::monotonic() - start_);
        return buf;
    }
    void advance(double dt) { fnd::RunLoop::main().advance(dt); }

    std::shared_ptr<fnd::ManualClock> clock_;
    double start_ = 0;
    std::shared_ptr<View> view_;
    std::vector<std::string> events_;
    std::vector<void*> contexts_;
};

TEST_F(ViewAnimationsTest, CallbacksRunAtCommitPlusDelayAndDuration) {
    int context = 7;
    auto delegate = std::make_shared<int>(0);
    View::beginAnimations("fade", &context);
    View::setAnimationDuration(0.5);
    View::setAnimationDelay(0.2);
    View::setAnimationCurve(AnimationCurve::Linear);
    listen(delegate);
    view_->setAlpha(0.3);
    view_->setCenter({80, 40});
    EXPECT_DOUBLE_EQ(view_->alpha(), 0.3); // model values are final at once
    EXPECT_TRUE(AnimationLog::entries().empty());
    View::commitAnimations();

    auto entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    const AnimationLogEntry& entry = entries[0];
    EXPECT_EQ(entry.kind, AnimationLogEntry::Kind::ViewBlock);
    EXPECT_EQ(entry.name, "fade");
    EXPECT_DOUBLE_EQ(entry.duration, 0.5);
    EXPECT_DOUBLE_EQ(entry.delay, 0.2);
    EXPECT_EQ(entry.curve, AnimationCurve::Linear);
    ASSERT_EQ(entry.properties.size(), 2u);
    EXPECT_EQ(entry.properties[0].property, "alpha");
    EXPECT_EQ(entry.properties[0].from, AnimationValue(1.0));
    EXPECT_EQ(entry.properties[0].to, AnimationValue(0.3));
    EXPECT_EQ(entry.properties[0].target.lock(), view_);
    EXPECT_EQ(entry.properties[1].property, "center");
    EXPECT_EQ(entry.properties[1].from, AnimationValue(gfx::Point{50, 25}));
    EXPECT_EQ(entry.properties[1].to, AnimationValue(gfx::Point{80, 40}));

    // Presentation: the from value during the delay, linear progress after it, the to value at the end.
    double t0 = fnd::Clock::monotonic();
    EXPECT_EQ(AnimationLog::presentationValue(*view_, "alpha", t0 + 0.1), AnimationValue(1.0));
    auto mid = AnimationLog::presentationValue(*view_, "alpha", t0 + 0.45);
    ASSERT_TRUE(mid);
    EXPECT_NEAR(std::get<double>(*mid), 0.65, 1e-9);
    EXPECT_EQ(AnimationLog::presentationValue(*view_, "center", t0 + 0.7), AnimationValue(gfx::Point{80, 40}));

    advance(0.19);
    EXPECT_TRUE(events_.empty());
    advance(0.3);
    EXPECT_EQ(events_, (std::vector<std::string>{"start fade @0.20"}));
    advance(1);
    EXPECT_EQ(events_, (std::vector<std::string>{"start fade @0.20", "stop fade finished @0.70"}));
    EXPECT_EQ(contexts_, (std::vector<void*>{&context, &context}));
    EXPECT_FALSE(AnimationLog::presentationValue(*view_, "alpha", fnd::Clock::monotonic()));
}

TEST_F(ViewAnimationsTest, ZeroDurationAndDisabledFireBothOnTheNextPass) {
    View::beginAnimations("instant");
    View::setAnimationDuration(0);
    View::setAnimationDelay(3);
    listen();
    view_->setAlpha(0.5);
    View::commitAnimations();
    EXPECT_TRUE(events_.empty()); // not inside commit
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(events_, (std::vector<std::string>{"start instant @0.00", "stop instant finished @0.00"}));

    events_.clear();
    View::setAnimationsEnabled(false);
    EXPECT_FALSE(View::areAnimationsEnabled());
    View::beginAnimations("off");
    View::setAnimationDuration(2);
    listen();
    view_->setFrame({10, 10, 20, 20});
    View::commitAnimations();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(events_, (std::vector<std::string>{"start off @0.00", "stop off finished @0.00"}));
    EXPECT_EQ(view_->frame(), gfx::Rect(10, 10, 20, 20));
    auto entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_DOUBLE_EQ(entries[1].duration, 0);

    // Settings outside a block, and a commit without a begin, change nothing.
    View::setAnimationsEnabled(true);
    View::setAnimationDuration(5);
    View::commitAnimations();
    view_->setAlpha(1);
    EXPECT_EQ(AnimationLog::entries().size(), 2u);
}

TEST_F(ViewAnimationsTest, LaterAnimationOfTheSamePropertyInterruptsTheEarlier) {
    View::beginAnimations("first");
    View::setAnimationDuration(1);
    listen();
    view_->setFrame({0, 0, 10, 10});
    View::commitAnimations();
    View::beginAnimations("other");
    View::setAnimationDuration(1);
    listen();
    view_->setAlpha(0.5); // a different property: no interruption
    View::commitAnimations();
    advance(0.3);
    View::beginAnimations("second");
    View::setAnimationDuration(1);
    listen();
    view_->setCenter({40, 40}); // moves what the frame animation moves
    View::commitAnimations();
    fnd::RunLoop::main().runUntilIdle();
    advance(2);
    // The interrupted animation stops before the one that interrupts it starts.
    EXPECT_EQ(events_, (std::vector<std::string>{"start first @0.00", "start other @0.00",
                                                 "stop first interrupted @0.30", "start second @0.30",
                                                 "stop other finished @1.00", "stop second finished @1.30"}));

    // A view's animation does not interrupt the same property of another view.
    events_.clear();
    auto otherView = View::create({0, 0, 5, 5});
    View::beginAnimations("a");
    View::setAnimationDuration(1);
    listen();
    view_->setAlpha(0.1);
    View::commitAnimations();
    View::beginAnimations("b");
    View::setAnimationDuration(0.5);
    listen();
    otherView->setAlpha(0.1);
    View::commitAnimations();
    advance(1);
    EXPECT_EQ(events_, (std::vector<std::string>{"start a @2.30", "start b @2.30", "stop b finished @2.80",
                                                 "stop a finished @3.30"}));
}

TEST_F(ViewAnimationsTest, DeadDelegateSkipsTheCallbacks) {
    auto delegate = std::make_shared<int>(0);
    View::beginAnimations("gone");
    View::setAnimationDuration(0.5);
    listen(delegate);
    view_->setAlpha(0);
    View::commitAnimations();
    delegate.reset();
    advance(1);
    EXPECT_TRUE(events_.empty());

    // Without any delegate the selectors run.
    View::beginAnimations("plain");
    View::setAnimationDuration(0.5);
    listen();
    view_->setAlpha(1);
    View::commitAnimations();
    advance(1);
    EXPECT_EQ(events_, (std::vector<std::string>{"start plain @1.00", "stop plain finished @1.50"}));
}

TEST_F(ViewAnimationsTest, BlocksNestAndBeginFromCurrentState) {
    View::beginAnimations("outer");
    View::setAnimationDuration(1);
    View::setAnimationCurve(AnimationCurve::Linear);
    listen();
    View::beginAnimations("inner"); // starts with the outer block's timing
    listen();
    view_->setAlpha(0);
    View::commitAnimations();
    EXPECT_TRUE(ViewAnimations::isRecording());
    view_->setBackgroundColor(gfx::Color::red());
    View::commitAnimations();
    EXPECT_FALSE(ViewAnimations::isRecording());
    auto entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "inner");
    EXPECT_DOUBLE_EQ(entries[0].duration, 1);
    EXPECT_EQ(entries[0].curve, AnimationCurve::Linear);
    ASSERT_EQ(entries[0].properties.size(), 1u);
    EXPECT_EQ(entries[0].properties[0].property, "alpha");
    EXPECT_EQ(entries[1].name, "outer");
    ASSERT_EQ(entries[1].properties.size(), 1u);
    EXPECT_EQ(entries[1].properties[0].property, "backgroundColor");
    EXPECT_EQ(entries[1].properties[0].to, AnimationValue(gfx::Color::red()));

    // Half-way through, a block that begins from the current state starts from the shown alpha.
    advance(0.5);
    View::beginAnimations("back");
    View::setAnimationBeginsFromCurrentState(true);
    listen();
    view_->setAlpha(1);
    View::commitAnimations();
    entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[2].beginsFromCurrentState);
    EXPECT_DOUBLE_EQ(entries[2].duration, 0.2); // the default duration
    ASSERT_EQ(entries[2].properties.size(), 1u);
    EXPECT_NEAR(std::get<double>(*entries[2].properties[0].from), 0.5, 1e-9);
    advance(1);
    EXPECT_EQ(events_,
              (std::vector<std::string>{"start inner @0.00", "start outer @0.00", "stop inner interrupted @0.50",
                                        "start back @0.50", "stop back finished @0.70", "stop outer finished @1.00"}));
}

} // namespace
} // namespace ui
