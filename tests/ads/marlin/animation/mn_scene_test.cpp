// The animation scene: layers and their order, hit testing (layers, half-open bounds, concave paths),
// transforms and conversions, responder trees, touches as script callbacks, and characters that
// outlive or change their sprite.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan::marlin {
namespace {

using fnd::Value;
using ui::testing::TouchDriver;

Value seg(const char* action, double x = 0, double y = 0) {
    return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
}

// A shape whose one path is the given segments, with bounds from the path.
std::shared_ptr<MNShape> shapeOf(const std::shared_ptr<MNAnimationView>& view, std::vector<Value> segments) {
    auto shape = MNShape::create("none", "s", view);
    auto path = Value::array();
    for (auto& s : segments) {
        path.asArray()->addObject(s);
    }
    shape->setWithProperties(
        Value::dictionary({{"paths", Value::array({Value::dictionary({{"path", path}})})}}).asDictionary(), view);
    return shape;
}

// A w x h rectangle (its path starts at the implicit (0, 0), which every box includes), moved to (x, y).
std::shared_ptr<MNShape> box(const std::shared_ptr<MNAnimationView>& view, double x, double y, double w, double h) {
    auto shape = shapeOf(view, {seg("l", w, 0), seg("l", 0, h), seg("l", -w, 0), seg("z")});
    shape->setTransform(gfx::AffineTransform::makeTranslation(x, y));
    return shape;
}

class Recorder : public MNAnimationViewDelegate {
public:
    // Frames without a render context report a null one; only script texts are kept.
    void animationViewPerformedAction(MNAnimationView& /*view*/, const Value& context) override {
        if (!context.isNull()) {
            calls.push_back(context.stringValue());
        }
    }
    std::vector<std::string> calls;
};

class MNSceneTest : public ::testing::Test {
protected:
    std::shared_ptr<MNAnimationView> view_ = ui::View::create<MNAnimationView>(gfx::Rect(0, 0, 320, 480));
};

TEST_F(MNSceneTest, LayersSortNumericallyAndTheHigherLayerWinsAHit) {
    auto sprite = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("s", true));
    EXPECT_EQ(view_->spriteInstanceWithKey("s", true), sprite);
    EXPECT_EQ(view_->characterInstanceWithKey("root"), view_->root());
    view_->root()->placeObj(sprite, 0);
    auto low = box(view_, 0, 0, 50, 50);
    auto high = box(view_, 25, 25, 50, 50);
    sprite->placeObj(high, 10);
    sprite->placeObj(low, 2);
    EXPECT_EQ(sprite->sortedCharacters(), (std::vector<std::shared_ptr<MNCharacter>>{low, high}));

    // Without callbacks nothing is interactive: the sprite itself answers.
    EXPECT_TRUE(sprite->responderTrees().empty());
    EXPECT_EQ(view_->root()->hitTest({30, 30}), view_->root());
    sprite->setTouchBeganCallback(std::string("tap(%s)"));
    EXPECT_TRUE(high->userInteractionEnabled());
    EXPECT_EQ(view_->root()->responderTrees(), (std::vector<std::shared_ptr<MNCharacter>>{sprite}));
    EXPECT_EQ(view_->root()->hitTest({30, 30}), high); // both contain it; layer 10 wins over 2
    EXPECT_EQ(view_->root()->hitTest({10, 10}), low);
    EXPECT_EQ(view_->root()->hitTest({75, 75}), nullptr); // half-open: the far edge is outside
    EXPECT_EQ(view_->root()->hitTest({74.5, 74.5}), high);

    // The bounds follow the children, also up the chain.
    EXPECT_EQ(view_->root()->bounds(), gfx::Rect(0, 0, 75, 75));
    auto other = box(view_, 0, 0, 5, 5);
    sprite->placeObj(other, 10); // an occupied layer: the old occupant leaves
    EXPECT_EQ(high->layerNumber(), std::nullopt);
    EXPECT_EQ(high->supersprite(), nullptr);
    EXPECT_EQ(sprite->objectAtLayer(10), other);
    EXPECT_EQ(view_->root()->bounds(), gfx::Rect(0, 0, 50, 50));

    sprite->setTouchBeganCallback(std::nullopt);
    EXPECT_TRUE(view_->root()->responderTrees().empty());
    sprite->removeObject(low);
    sprite->removeObject(low); // already gone: nothing
    EXPECT_EQ(sprite->characters().size(), 1u);
}

TEST_F(MNSceneTest, PathCheckingOnAConcaveShape) {
    auto sprite = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("s", true));
    view_->root()->placeObj(sprite, 1);
    // An L: the upper-right square of its 20x20 box is empty.
    auto ell = shapeOf(view_, {seg("m", 0, 0), seg("l", 10, 0), seg("l", 0, 10), seg("l", 10, 0), seg("l", 0, 10),
                               seg("l", -20, 0), seg("z")});
    sprite->placeObj(ell, 1);
    sprite->setTouchEndedCallback(std::string("up(%s)"));
    EXPECT_EQ(view_->root()->hitTest({15, 5}), ell); // bounds only
    sprite->setUsePathChecking(true);
    EXPECT_EQ(view_->root()->hitTest({15, 5}), sprite);
    EXPECT_EQ(view_->root()->hitTest({5, 15}), ell);
}

TEST_F(MNSceneTest, TransformChainsAndConversionsRoundTrip) {
    auto outer = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("outer", true));
    auto inner = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("inner", true));
    view_->root()->placeObj(outer, 1);
    outer->placeObj(inner, 1);
    auto shape = box(view_, 0, 0, 10, 10);
    inner->placeObj(shape, 1);
    outer->setTransform(gfx::AffineTransform::makeTranslation(100, 50));
    inner->setTransform(gfx::AffineTransform::makeScale(2, 3));
    shape->setTransform(gfx::AffineTransform::makeRotation(M_PI / 2).translate(1, 0));

    EXPECT_EQ(shape->transform3D()[12], static_cast<float>(shape->transform().tx));
    EXPECT_EQ(shape->transform3D()[15], 1.0f);
    // The shape's own transform first, then inner's, then outer's.
    const gfx::Point p = shape->transformRelativeToSprite(nullptr).applyToPoint({1, 0});
    EXPECT_NEAR(p.x, 100, 1e-9);
    EXPECT_NEAR(p.y, 50 + 3 * 2, 1e-9);
    EXPECT_EQ(shape->transformRelativeToSprite(outer.get()), shape->transform().concat(inner->transform()));

    const gfx::Point q = shape->convertPointToSprite({3, 4}, outer.get());
    const gfx::Point back = shape->convertPointFromSprite(q, outer.get());
    EXPECT_NEAR(back.x, 3, 1e-9);
    EXPECT_NEAR(back.y, 4, 1e-9);
    const gfx::Rect r = shape->convertRectFromSprite(shape->convertRectToSprite({1, 2, 3, 4}, nullptr), nullptr);
    EXPECT_NEAR(r.origin.x, 1, 1e-9);
    EXPECT_NEAR(r.size.height, 4, 1e-9);
    EXPECT_NEAR(inner->frame().size.height, 30, 1e-9); // a 10x10 box turned, scaled by 3 in y
}

TEST_F(MNSceneTest, TouchesReachTheScriptThroughTheCallbacks) {
    auto clock = fnd::ManualClock::install();
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    window->addSubview(view_);
    view_->setMultipleTouchEnabled(true);
    auto recorder = std::make_shared<Recorder>();
    view_->setDelegate(recorder);
    auto sprite = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("s", true));
    view_->root()->placeObj(sprite, 1);
    sprite->setTransform(gfx::AffineTransform::makeTranslation(10, 20));
    sprite->placeObj(box(view_, 0, 0, 100, 100), 1);
    sprite->setTouchBeganCallback(std::string("down(%n%s%s)"));
    ui::Application::shared().flush();

    TouchDriver::multi(ui::TouchPhase::Began, {{1, {15, 25}}, {2, {50, 60}}});
    ASSERT_EQ(recorder->calls.size(), 1u);
    // The count, then per touch its place in the shape and in the view; the script's "%n" and a
    // second "%s" stay as they are.
    EXPECT_EQ(recorder->calls[0], "down(%n2, 5.000000, 5.000000, 15.000000, 25.000000, 40.000000, 40.000000, "
                                  "50.000000, 60.000000%s)");
    // No moved callback: nothing is sent. Touches outside every shape reach nobody either.
    TouchDriver::multi(ui::TouchPhase::Moved, {{1, {16, 26}}});
    TouchDriver::multi(ui::TouchPhase::Ended, {{1, {16, 26}}, {2, {50, 60}}});
    TouchDriver::touchDown(3, {300, 400});
    TouchDriver::touchUp(3);
    EXPECT_EQ(recorder->calls.size(), 1u);

    TouchDriver::reset();
    window->setHidden(true);
    fnd::RunLoop::main().advance(1);
    fnd::Clock::install(nullptr);
}

TEST_F(MNSceneTest, CharactersOutliveAndChangeTheirSprites) {
    // A registered child of a sprite that the registry replaces: the sprite goes, the child stays
    // registered and reads no supersprite; hit tests and transform walks stop there.
    auto sprite = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("a", true));
    auto child = std::static_pointer_cast<MNShape>(view_->shapeInstanceWithKey("child", "none", true));
    sprite->placeObj(child, 3);
    sprite->setTouchBeganCallback(std::string("x(%s)"));
    sprite.reset();
    EXPECT_NE(view_->shapeInstanceWithKey("a", "none", true), nullptr); // replaces the sprite
    EXPECT_EQ(child->supersprite(), nullptr);
    EXPECT_FALSE(child->userInteractionEnabled());
    EXPECT_EQ(child->transformRelativeToSprite(nullptr), gfx::AffineTransform::identity());
    EXPECT_EQ(child->hitTest({0, 0}), nullptr);
    child->setUserInteractionEnabled(true);

    // A character moved to a second sprite leaves the first, so the first's later removal of that
    // layer does not take it from the second.
    auto first = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("first", true));
    auto second = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("second", true));
    auto moved = box(view_, 0, 0, 10, 10);
    first->placeObj(moved, 1);
    second->placeObj(moved, 7);
    EXPECT_TRUE(first->characters().empty());
    first->removeObjectAtLayer(1);
    EXPECT_EQ(moved->supersprite(), second);
    EXPECT_EQ(moved->layerNumber(), 7u);

    // A sprite never goes inside its own subtree.
    first->placeObj(second, 1);
    second->placeObj(first, 1);
    second->placeObj(second, 2);
    EXPECT_EQ(first->supersprite(), nullptr);
    EXPECT_EQ(second->characters().size(), 1u);

    // Non-finite numbers from the library read as 0.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto odd = shapeOf(view_, {seg("m", nan, std::numeric_limits<double>::infinity()), seg("l", 4, nan)});
    EXPECT_EQ(odd->bounds(), gfx::Rect(0, 0, 4, 0));
    first->placeObj(odd, 2);
    EXPECT_EQ(first->hitTest({nan, nan}), nullptr);
}

} // namespace
} // namespace zelvan::marlin
