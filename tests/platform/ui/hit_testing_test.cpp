// Hit testing: the skip rules (hidden, nearly transparent, not interactive, outside), overridable
// pointInside / hitTest, transformed subviews, and the order of windows by level.
#include <gtest/gtest.h>

#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

// Takes points up to 20 pt outside its bounds.
class GenerousView : public View {
public:
    bool pointInside(gfx::Point p, const Event*) const override { return bounds().insetBy(-20, -20).containsPoint(p); }
};

// Answers for itself, never for its subviews.
class OpaqueToTouchesView : public View {
public:
    std::shared_ptr<View> hitTest(gfx::Point p, const Event* e) override {
        return View::hitTest(p, e) ? self() : nullptr;
    }
};

TEST(HitTestingTest, SkipRulesAndOverrides) {
    auto root = View::create(gfx::Rect(0, 0, 200, 200));
    auto a = View::create(gfx::Rect(0, 0, 100, 100));
    auto b = View::create(gfx::Rect(50, 50, 100, 100)); // in front of a where they overlap
    root->addSubview(a);
    root->addSubview(b);
    EXPECT_EQ(root->hitTest(gfx::Point{60, 60}, nullptr), b);
    EXPECT_EQ(root->hitTest(gfx::Point{10, 10}, nullptr), a);
    EXPECT_EQ(root->hitTest(gfx::Point{190, 10}, nullptr), root);
    EXPECT_EQ(root->hitTest(gfx::Point{250, 10}, nullptr), nullptr);

    struct Rule {
        const char* label;
        void (*apply)(View&);
        void (*undo)(View&);
    };
    const Rule rules[] = {
        {"hidden", [](View& v) { v.setHidden(true); }, [](View& v) { v.setHidden(false); }},
        {"alpha below 0.01", [](View& v) { v.setAlpha(0.005); }, [](View& v) { v.setAlpha(1); }},
        {"interaction off", [](View& v) { v.setUserInteractionEnabled(false); },
         [](View& v) { v.setUserInteractionEnabled(true); }},
    };
    for (const Rule& rule : rules) {
        rule.apply(*b);
        EXPECT_EQ(root->hitTest(gfx::Point{60, 60}, nullptr), a) << rule.label;
        rule.undo(*b);
    }
    b->setAlpha(0.01); // faint but still touchable
    EXPECT_EQ(root->hitTest(gfx::Point{60, 60}, nullptr), b);

    // A subview outside its superview's bounds is out of reach...
    auto outside = View::create(gfx::Rect(90, 90, 40, 40));
    a->addSubview(outside);
    EXPECT_EQ(root->hitTest(gfx::Point{95, 95}, nullptr), b);
    b->removeFromSuperview();
    EXPECT_EQ(root->hitTest(gfx::Point{120, 120}, nullptr), root);
    // ...unless the superview's pointInside reaches further.
    auto generous = View::create<GenerousView>(gfx::Rect(0, 0, 100, 100));
    root->addSubview(generous);
    auto far = View::create(gfx::Rect(100, 100, 20, 20));
    generous->addSubview(far);
    EXPECT_EQ(root->hitTest(gfx::Point{110, 110}, nullptr), far);
    EXPECT_EQ(root->hitTest(gfx::Point{105, 90}, nullptr), generous);

    auto opaque = View::create<OpaqueToTouchesView>(gfx::Rect(150, 0, 50, 50));
    opaque->addSubview(View::create(gfx::Rect(0, 0, 10, 10)));
    root->addSubview(opaque);
    EXPECT_EQ(root->hitTest(gfx::Point{155, 5}, nullptr), opaque);
}

TEST(HitTestingTest, TransformedSubviews) {
    auto root = View::create(gfx::Rect(0, 0, 200, 200));
    auto scaled = View::create(gfx::Rect(50, 50, 20, 20)); // centre (60, 60)
    scaled->setTransform(gfx::AffineTransform::makeScale(3, 3));
    root->addSubview(scaled);
    EXPECT_EQ(root->hitTest(gfx::Point{35, 35}, nullptr), scaled); // inside only once scaled
    EXPECT_EQ(root->hitTest(gfx::Point{25, 25}, nullptr), root);
}

TEST(HitTestingTest, WindowsByLevelThenOrder) {
    auto normal = View::create<Window>(gfx::Rect(0, 0, 320, 480));
    auto alert = View::create<Window>(gfx::Rect(60, 200, 200, 100));
    alert->setWindowLevel(kWindowLevelAlert);
    auto later = View::create<Window>(gfx::Rect(0, 0, 320, 480));
    normal->makeKeyAndVisible();
    later->makeKeyAndVisible();
    alert->makeKeyAndVisible();

    // The alert window is on top although the later normal window was created after it.
    auto hit = Window::hitTestWindows(gfx::Point{100, 250}, nullptr);
    EXPECT_EQ(hit.window, alert);
    EXPECT_EQ(hit.view, alert);
    // Outside the alert: the later of the two normal windows.
    hit = Window::hitTestWindows(gfx::Point{10, 10}, nullptr);
    EXPECT_EQ(hit.window, later);
    // Hidden windows take nothing.
    later->setHidden(true);
    alert->setHidden(true);
    hit = Window::hitTestWindows(gfx::Point{100, 250}, nullptr);
    EXPECT_EQ(hit.window, normal);
    normal->setHidden(true);
    hit = Window::hitTestWindows(gfx::Point{100, 250}, nullptr);
    EXPECT_EQ(hit.window, nullptr);
    EXPECT_EQ(hit.view, nullptr);
    EXPECT_TRUE(alert->isKeyWindow());
    EXPECT_FALSE(normal->isKeyWindow());
}

} // namespace
} // namespace ui
