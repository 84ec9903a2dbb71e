// Keyframe animations, move-in/push/reveal transitions, flip and curl view transitions and
// transactions under the manual clock: presentation values between key times, refused key times,
// log entries and the did-stop callbacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/keyframe_animation.h"
#include "platform/ui/layer.h"
#include "platform/ui/transaction.h"
#include "platform/ui/view.h"

namespace ui {
namespace {

class Events : public AnimationDelegate {
public:
    void animationDidStart(const AnimationPtr&) override { log.push_back("start"); }
    void animationDidStop(const AnimationPtr&, bool finished) override {
        log.push_back(finished ? "stop" : "interrupted");
    }
    std::vector<std::string> log;
};

class AnimationExtrasTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        AnimationLog::clear();
        layer_ = Layer::create();
        events_ = std::make_shared<Events>();
    }
    void TearDown() override {
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    void advance(double dt) { fnd::RunLoop::main().advance(dt); }

    std::shared_ptr<fnd::ManualClock> clock_;
    LayerPtr layer_;
    std::shared_ptr<Events> events_;
};

TEST_F(AnimationExtrasTest, KeyframeValuesAtAndBetweenKeyTimes) {
    auto pulse = KeyframeAnimation::animationWithKeyPath("opacity");
    pulse->setValues({0.0, 1.0, 0.5});
    pulse->setKeyTimes({0, 0.25, 1});
    pulse->setTimingFunctions({TimingFunction::Linear, TimingFunction::EaseIn});
    pulse->setDuration(2);
    pulse->setTimingFunction(TimingFunction::Linear); // the pass itself is not paced
    pulse->setDelegate(events_);
    double t0 = fnd::Clock::monotonic();
    layer_->addAnimation(pulse, "pulse");
    auto at = [&](double t) { return std::get<double>(*AnimationLog::presentationValue(*layer_, "opacity", t0 + t)); };
    EXPECT_DOUBLE_EQ(at(0), 0);
    EXPECT_DOUBLE_EQ(at(0.25), 0.5); // halfway to the first key time, linear
    EXPECT_DOUBLE_EQ(at(0.5), 1);
    // The second segment eases in, so at its midpoint it has moved less than half the way down.
    EXPECT_GT(at(1.25), 0.75);
    EXPECT_LT(at(1.25), 1);
    EXPECT_NEAR(at(1.999), 0.5, 0.01);

    std::vector<AnimationLogEntry> entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].animationClass, "KeyframeAnimation");
    ASSERT_EQ(entries[0].properties.size(), 1u);
    EXPECT_EQ(entries[0].properties[0].from, AnimationValue(0.0));
    EXPECT_EQ(entries[0].properties[0].to, AnimationValue(0.5));
    advance(2.1);
    EXPECT_EQ(events_->log, (std::vector<std::string>{"start", "stop"}));
}

TEST_F(AnimationExtrasTest, BadKeyTimesAreRefused) {
    std::vector<std::vector<double>> bad = {{0, 1.5}, {-0.1, 1}, {0.6, 0.4}, {0, 0.5, 1}};
    for (const std::vector<double>& times : bad) {
        auto anim = KeyframeAnimation::animationWithKeyPath("opacity");
        anim->setValues({0.0, 1.0});
        anim->setKeyTimes(times);
        anim->setDelegate(events_);
        layer_->addAnimation(anim, "bad");
        EXPECT_EQ(layer_->animationForKey("bad"), nullptr);
    }
    // Inside a group too.
    auto inner = KeyframeAnimation::animationWithKeyPath("opacity");
    inner->setValues({0.0, 1.0});
    inner->setKeyTimes({1, 0});
    auto group = AnimationGroup::animation();
    group->setAnimations({inner});
    group->setDelegate(events_);
    layer_->addAnimation(group, "group");
    advance(1);
    EXPECT_TRUE(events_->log.empty());
    EXPECT_TRUE(AnimationLog::entries().empty());
    EXPECT_EQ(AnimationLog::presentationValue(*layer_, "opacity", fnd::Clock::monotonic()), AnimationValue(1.0));
}

TEST_F(AnimationExtrasTest, TransitionsAreLoggedWithTypeAndSide) {
    auto push = Transition::animation();
    push->setType(TransitionType::Push);
    push->setSubtype(TransitionSubtype::FromRight);
    push->setDuration(0.5);
    push->setDelegate(events_);
    layer_->addAnimation(push, "swap");
    auto reveal = Transition::animation();
    reveal->setType(TransitionType::Reveal);
    layer_->addAnimation(reveal, "");
    std::vector<AnimationLogEntry> entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].transition, "push");
    EXPECT_EQ(entries[0].transitionSubtype, "fromRight");
    EXPECT_EQ(entries[0].duration, 0.5);
    EXPECT_EQ(entries[1].transition, "reveal");
    EXPECT_EQ(entries[1].transitionSubtype, "");
    advance(0.6);
    EXPECT_EQ(events_->log, (std::vector<std::string>{"start", "stop"}));
}

TEST_F(AnimationExtrasTest, FlipTransitionStopsLikeOtherViewAnimations) {
    auto banner = View::create(gfx::Rect(0, 0, 320, 48));
    std::vector<std::string> calls;
    auto block = [&](const std::string& name, ViewAnimationTransition kind) {
        View::beginAnimations(name);
        View::setAnimationDuration(0.7);
        View::setAnimationTransition(kind, *banner, true);
        View::setAnimationDidStopSelector(
            [&](const std::string& n, bool finished, void*) { calls.push_back(n + (finished ? " done" : " cut")); });
        View::commitAnimations();
    };
    block("flip", ViewAnimationTransition::FlipFromLeft);
    std::vector<AnimationLogEntry> entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].transition, "flipFromLeft");
    EXPECT_EQ(entries[0].duration, 0.7);
    advance(0.69);
    EXPECT_TRUE(calls.empty());
    advance(0.02);
    EXPECT_EQ(calls, (std::vector<std::string>{"flip done"}));

    // A curl on the same view stops a flip still running.
    block("flip", ViewAnimationTransition::FlipFromRight);
    advance(0.1);
    block("curl", ViewAnimationTransition::CurlUp);
    advance(0);
    EXPECT_EQ(calls.back(), "flip cut");
    advance(1);
    EXPECT_EQ(calls.back(), "curl done");
    EXPECT_EQ(AnimationLog::entries().back().transition, "curlUp");
}

TEST_F(AnimationExtrasTest, TransactionsNestAndKeepTheirFlag) {
    EXPECT_FALSE(Transaction::disableActions());
    Transaction::begin();
    Transaction::setDisableActions(true);
    Transaction::begin();
    EXPECT_TRUE(Transaction::disableActions());
    Transaction::setDisableActions(false);
    EXPECT_EQ(Transaction::depth(), 2);
    Transaction::commit();
    EXPECT_TRUE(Transaction::disableActions());
    // Changes inside a transaction still apply at once and animate nothing.
    layer_->setOpacity(0.25);
    EXPECT_EQ(layer_->opacity(), 0.25);
    Transaction::commit();
    Transaction::commit(); // unbalanced: logged and ignored
    EXPECT_EQ(Transaction::depth(), 0);
    EXPECT_FALSE(Transaction::disableActions());
    EXPECT_TRUE(AnimationLog::entries().empty());
}

} // namespace
} // namespace ui
