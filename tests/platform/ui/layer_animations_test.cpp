// Layer animations under the manual clock: did-start at the begin time and did-stop after the
// effective duration (repeats, reversal, speed), replacement and removal stopping with finished =
// false, model values untouched, log entries, and presentation values at given times.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/layer.h"

namespace ui {
namespace {

// Records "<start|stop|interrupted> <tag> @<seconds since origin>".
class Recorder : public AnimationDelegate {
public:
    explicit Recorder(double origin) : origin_(origin) {}
    void animationDidStart(const AnimationPtr& animation) override { record("start", animation); }
    void animationDidStop(const AnimationPtr& animation, bool finished) override {
        record(finished ? "stop" : "interrupted", animation);
    }

    std::map<const Animation*, std::string> tags;
    std::vector<std::string> events;

private:
    void record(const char* what, const AnimationPtr& animation) {
        char at[32];
        std::snprintf(at, sizeof at, " @%.3f", fnd::Clock::monotonic() - origin_);
        events.push_back(std::string(what) + " " + tags[animation.get()] + at);
    }
    double origin_;
};

class LayerAnimationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        origin_ = fnd::Clock::monotonic();
        recorder_ = std::make_shared<Recorder>(origin_);
        AnimationLog::clear();
        layer_ = Layer::create();
        layer_->setFrame({0, 0, 10, 10});
    }
    void TearDown() override {
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }

    template <class T>
    std::shared_ptr<T> tagged(std::shared_ptr<T> anim, const std::string& tag) {
        anim->setDelegate(recorder_);
        recorder_->tags[anim.get()] = tag;
        return anim;
    }
    std::shared_ptr<BasicAnimation> fade(const std::string& tag, double duration) {
        auto anim = BasicAnimation::animationWithKeyPath("opacity");
        anim->setFromValue(0.0);
        anim->setToValue(1.0);
        anim->setDuration(duration);
        return tagged(anim, tag);
    }
    void advance(double dt) { fnd::RunLoop::main().advance(dt); }
    double now() const { return fnd::Clock::monotonic(); }
    double opacityAt(double t) {
        auto v = AnimationLog::presentationValue(*layer_, "opacity", t);
        return v ? std::get<double>(*v) : NAN;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    double origin_ = 0;
    std::shared_ptr<Recorder> recorder_;
    LayerPtr layer_;
};

TEST_F(LayerAnimationsTest, StartAtBeginTimeStopAfterDurationModelUntouched) {
    layer_->setOpacity(0.8);
    auto anim = fade("a", 1);
    anim->setBeginTime(0.5);
    layer_->addAnimation(anim, "fade");
    EXPECT_DOUBLE_EQ(layer_->opacity(), 0.8);
    EXPECT_EQ(layer_->animationForKey("fade"), anim);
    EXPECT_EQ(layer_->animationKeys(), (std::vector<std::string>{"fade"}));
    advance(0.49);
    EXPECT_TRUE(recorder_->events.empty());
    advance(0.01);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"start a @0.500"}));
    advance(2);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"start a @0.500", "stop a @1.500"}));
    EXPECT_EQ(layer_->animationForKey("fade"), nullptr); // removed on completion
    EXPECT_DOUBLE_EQ(layer_->opacity(), 0.8);

    auto entries = AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, AnimationLogEntry::Kind::LayerAnimation);
    EXPECT_EQ(entries[0].name, "fade");
    EXPECT_EQ(entries[0].animationClass, "BasicAnimation");
    EXPECT_DOUBLE_EQ(entries[0].duration, 1);
    EXPECT_DOUBLE_EQ(entries[0].delay, 0.5);
    ASSERT_EQ(entries[0].properties.size(), 1u);
    EXPECT_EQ(entries[0].properties[0].property, "opacity");
    EXPECT_EQ(entries[0].properties[0].from, AnimationValue(0.0));
    EXPECT_EQ(entries[0].properties[0].to, AnimationValue(1.0));
    EXPECT_EQ(entries[0].properties[0].target.lock(), layer_);
}

TEST_F(LayerAnimationsTest, EffectiveDurationWithRepeatReverseAndSpeed) {
    struct Case {
        double duration, repeatCount;
        bool autoreverses;
        double speed, expectedEnd;
    };
    const Case cases[] = {
        {1, 0, false, 1, 1},        {1, 3, false, 1, 3},  {1, 2, true, 1, 4},     {1, 0, false, 2, 0.5},
        {1, 0, false, 0, 1},        {1, 0, false, -3, 1}, {0, 0, false, 1, 0.25}, // no duration: 0.25
        {0.5, 2.5, false, 1, 1.25}, {2, 0.5, true, 4, 1},                         // fewer than one pass counts as one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "duration " << c.duration << " repeat " << c.repeatCount << " reverse "
                                        << c.autoreverses << " speed " << c.speed);
        recorder_->events.clear();
        origin_ = now();
        auto anim = fade("x", c.duration);
        anim->setRepeatCount(c.repeatCount);
        anim->setAutoreverses(c.autoreverses);
        anim->setSpeed(c.speed);
        layer_->addAnimation(anim, "k");
        double start = now();
        advance(c.expectedEnd - 0.001);
        EXPECT_EQ(recorder_->events.size(), 1u);
        advance(0.001);
        ASSERT_EQ(recorder_->events.size(), 2u);
        EXPECT_DOUBLE_EQ(now() - start, c.expectedEnd);
        EXPECT_EQ(recorder_->events[1].rfind("stop x", 0), 0u) << recorder_->events[1];
    }

    // Repeating forever never stops on its own; removal stops it.
    recorder_->events.clear();
    auto forever = fade("forever", 1);
    forever->setRepeatCount(INFINITY);
    layer_->addAnimation(forever, "");
    advance(100);
    EXPECT_EQ(recorder_->events.size(), 1u);
    layer_->removeAllAnimations();
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(recorder_->events.size(), 2u);
    EXPECT_EQ(recorder_->events[1].rfind("interrupted forever", 0), 0u);
}

TEST_F(LayerAnimationsTest, ReplacementRemovalAndDeathStopUnfinished) {
    layer_->addAnimation(fade("a", 1), "k");
    advance(0.25);
    layer_->addAnimation(fade("b", 1), "k");                                    // replaces a
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"start a @0.000"})); // not inside the call
    fnd::RunLoop::main().runUntilIdle();
    advance(0.25);
    auto delayed = fade("c", 1);
    delayed->setBeginTime(1);
    layer_->addAnimation(delayed, "later");
    layer_->removeAnimationForKey("later"); // removed before it began: no start
    layer_->removeAnimationForKey("missing");
    fnd::RunLoop::main().runUntilIdle();
    advance(2);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"start a @0.000", "interrupted a @0.250", "start b @0.250",
                                                           "interrupted c @0.500", "stop b @1.250"}));
    EXPECT_TRUE(layer_->animationKeys().empty());

    // A layer that goes away stops what it still runs; a dead delegate hears nothing.
    recorder_->events.clear();
    layer_->addAnimation(fade("d", 1), "k");
    layer_.reset();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"interrupted d @2.500"})); // never started
    layer_ = Layer::create();
    layer_->addAnimation(fade("e", 1), "k");
    recorder_.reset();
    advance(2); // nothing to call, nothing crashes
    EXPECT_TRUE(layer_->animationKeys().empty());
}

TEST_F(LayerAnimationsTest, PresentationValuesOverTime) {
    layer_->setOpacity(0.3);
    auto anim = fade("a", 2);
    anim->setTimingFunction(TimingFunction::Linear);
    layer_->addAnimation(anim, "fade");
    double t0 = now();
    EXPECT_NEAR(opacityAt(t0 + 0.5), 0.25, 1e-9);
    EXPECT_NEAR(opacityAt(t0 + 1.5), 0.75, 1e-9);
    EXPECT_NEAR(opacityAt(t0 + 2.5), 0.3, 1e-9); // after the end the model shows
    // Ease-in-out: slow at the ends, symmetric about the middle.
    anim->setTimingFunction(TimingFunction::EaseInEaseOut);
    EXPECT_LT(opacityAt(t0 + 0.2), 0.1 * 0.5);
    EXPECT_NEAR(opacityAt(t0 + 1), 0.5, 1e-6);
    layer_->removeAllAnimations();

    // Reversing, repeating and filling forwards.
    auto pulse = BasicAnimation::animationWithKeyPath("transform.scale");
    pulse->setFromValue(1.0);
    pulse->setToValue(2.0);
    pulse->setDuration(1);
    pulse->setTimingFunction(TimingFunction::Linear);
    pulse->setAutoreverses(true);
    pulse->setRepeatCount(2);
    pulse->setRemovedOnCompletion(false);
    pulse->setFillMode(FillMode::Forwards);
    layer_->addAnimation(pulse, "pulse");
    t0 = now();
    auto scaleAt = [&](double t) {
        return std::get<double>(*AnimationLog::presentationValue(*layer_, "transform.scale", t0 + t));
    };
    EXPECT_NEAR(scaleAt(0.5), 1.5, 1e-9);
    EXPECT_NEAR(scaleAt(1.25), 1.75, 1e-9);
    EXPECT_NEAR(scaleAt(2.5), 1.5, 1e-9);
    EXPECT_NEAR(scaleAt(10), 1.0, 1e-9); // holds its (reversed) end value
    advance(5);
    EXPECT_EQ(layer_->animationForKey("pulse"), pulse); // kept after completion
    layer_->removeAllAnimations();

    // A group: its animations run on its timeline and take its duration; a delayed member with
    // backwards fill shows its from value until it begins. Without a to value the model shows.
    layer_->setPosition({5, 5});
    auto move = BasicAnimation::animationWithKeyPath("position");
    move->setFromValue(gfx::Point{0, 0});
    move->setTimingFunction(TimingFunction::Linear);
    auto late = BasicAnimation::animationWithKeyPath("opacity");
    late->setFromValue(0.0);
    late->setToValue(1.0);
    late->setDuration(1);
    late->setBeginTime(1);
    late->setFillMode(FillMode::Backwards);
    late->setTimingFunction(TimingFunction::Linear);
    auto group = tagged(AnimationGroup::animation(), "g");
    group->setAnimations({move, late});
    group->setDuration(2);
    group->setTimingFunction(TimingFunction::Linear);
    layer_->addAnimation(group, "group");
    t0 = now();
    EXPECT_EQ(AnimationLog::presentationValue(*layer_, "position", t0 + 1), AnimationValue(gfx::Point{2.5, 2.5}));
    EXPECT_NEAR(opacityAt(t0 + 0.5), 0.0, 1e-9);
    EXPECT_NEAR(opacityAt(t0 + 1.5), 0.5, 1e-9);
    EXPECT_NEAR(opacityAt(t0 + 2.5), 0.3, 1e-9);
    auto entry = AnimationLog::entries().back();
    EXPECT_EQ(entry.animationClass, "AnimationGroup");
    ASSERT_EQ(entry.properties.size(), 2u);
    EXPECT_EQ(entry.properties[0].to, AnimationValue(gfx::Point{5, 5}));

    advance(2.5);
    EXPECT_EQ(recorder_->events.back(), "stop g @7.000");

    // A fade transition is timed and logged, and changes no value.
    recorder_->events.clear();
    auto transition = tagged(Transition::animation(), "t");
    transition->setDuration(0.5);
    layer_->addAnimation(transition, "transition");
    EXPECT_EQ(AnimationLog::entries().back().transition, "fade");
    EXPECT_NEAR(opacityAt(now() + 0.25), 0.3, 1e-9);
    advance(1);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"start t @7.500", "stop t @8.000"}));
}

} // namespace
} // namespace ui
