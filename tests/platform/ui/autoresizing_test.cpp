// Autoresizing: every combination of flexible parts on each axis spreads the superview's size change
// in proportion to the parts' sizes (equally when they are all zero), unrounded, and through nesting.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/view.h"

namespace ui {
namespace {

using M = AutoresizingMask;

void expectRect(gfx::Rect actual, gfx::Rect expected, const std::string& label) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-9) << label;
    EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-9) << label;
    EXPECT_NEAR(actual.size.width, expected.size.width, 1e-9) << label;
    EXPECT_NEAR(actual.size.height, expected.size.height, 1e-9) << label;
}

TEST(AutoresizingTest, EachMaskCombinationSpreadsTheDelta) {
    // Superview 100 x 100 grows to 200 x 150. The subview's parts: left 10, width 30, right 60;
    // top 20, height 40, bottom 40.
    struct Case {
        const char* label;
        M mask;
        gfx::Rect expected;
    };
    const Case cases[] = {
        {"none", M::None, {10, 20, 30, 40}},
        {"left", M::FlexibleLeftMargin, {110, 20, 30, 40}},
        {"width", M::FlexibleWidth, {10, 20, 130, 40}},
        {"right", M::FlexibleRightMargin, {10, 20, 30, 40}},
        {"left+width", M::FlexibleLeftMargin | M::FlexibleWidth, {10 + 25, 20, 30 + 75, 40}},
        {"left+right", M::FlexibleLeftMargin | M::FlexibleRightMargin, {10 + 100.0 / 7, 20, 30, 40}},
        {"width+right", M::FlexibleWidth | M::FlexibleRightMargin, {10, 20, 30 + 100.0 / 3, 40}},
        {"all horizontal", M::FlexibleLeftMargin | M::FlexibleWidth | M::FlexibleRightMargin, {20, 20, 60, 40}},
        {"top", M::FlexibleTopMargin, {10, 70, 30, 40}},
        {"height", M::FlexibleHeight, {10, 20, 30, 90}},
        {"bottom", M::FlexibleBottomMargin, {10, 20, 30, 40}},
        {"top+height", M::FlexibleTopMargin | M::FlexibleHeight, {10, 20 + 50.0 / 3, 30, 40 + 100.0 / 3}},
        {"top+bottom", M::FlexibleTopMargin | M::FlexibleBottomMargin, {10, 20 + 50.0 / 3, 30, 40}},
        {"height+bottom", M::FlexibleHeight | M::FlexibleBottomMargin, {10, 20, 30, 65}},
        {"all vertical", M::FlexibleTopMargin | M::FlexibleHeight | M::FlexibleBottomMargin, {10, 30, 30, 60}},
        {"width+height", M::FlexibleWidth | M::FlexibleHeight, {10, 20, 130, 90}},
    };
    for (const Case& c : cases) {
        auto super = View::create(gfx::Rect(0, 0, 100, 100));
        auto sub = View::create(gfx::Rect(10, 20, 30, 40));
        sub->setAutoresizingMask(c.mask);
        super->addSubview(sub);
        super->setFrame(gfx::Rect(0, 0, 200, 150));
        expectRect(sub->frame(), c.expected, c.label);
    }
}

TEST(AutoresizingTest, ZeroSizesShareEquallyAndNestingFollows) {
    auto super = View::create(gfx::Rect(0, 0, 0, 0));
    auto sub = View::create(gfx::Rect(0, 0, 0, 0));
    sub->setAutoresizingMask(M::FlexibleLeftMargin | M::FlexibleWidth | M::FlexibleRightMargin | M::FlexibleTopMargin |
                             M::FlexibleHeight);
    super->addSubview(sub);
    super->setBounds(gfx::Rect(0, 0, 90, 60));
    expectRect(sub->frame(), {30, 30, 30, 30}, "zero sizes");

    // The subview's own change reaches its subviews; a view that does not autoresize stops it.
    auto inner = View::create(gfx::Rect(5, 5, 20, 20));
    inner->setAutoresizingMask(M::FlexibleWidth);
    sub->addSubview(inner);
    super->setBounds(gfx::Rect(0, 0, 180, 60)); // sub gains 30 in width
    expectRect(sub->frame(), {60, 30, 60, 30}, "second change");
    expectRect(inner->frame(), {5, 5, 50, 20}, "nested");

    sub->setAutoresizesSubviews(false);
    super->setBounds(gfx::Rect(0, 0, 270, 60));
    expectRect(inner->frame(), {5, 5, 50, 20}, "not autoresizing");
    EXPECT_NEAR(sub->frame().size.width, 90, 1e-9);
}

} // namespace
} // namespace ui
