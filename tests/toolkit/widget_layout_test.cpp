// Layout functions: whole-point rounding, margins, moves and resizes, label and button natural
// sizes, subview alignment and the rounded-rectangle path.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/backends.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/view.h"
#include "toolkit/widget_layout.h"

namespace zelvan {
namespace {

class WidgetLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }
    void TearDown() override { gfx::installTextMetrics(nullptr); }
};

TEST_F(WidgetLayoutTest, RectArithmetic) {
    EXPECT_EQ(widgetGetMainFrame(), gfx::Rect(0, 20, 320, 411));

    struct Case {
        double x, y, w, h;
        gfx::Rect expected;
    };
    const Case cases[] = {
        {1, 2, 3, 4, gfx::Rect(1, 2, 3, 4)},               // already whole
        {0.1, 1.5, 10.01, 2.99, gfx::Rect(1, 2, 11, 3)},   // fractions go up
        {-1.5, -0.2, -3.7, 0, gfx::Rect(-1, -0.0, -3, 0)}, // negatives go towards zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(widgetRectMake(c.x, c.y, c.w, c.h), c.expected) << c.x << "," << c.y;
        EXPECT_EQ(widgetRectMakeWithSize(c.x, c.y, gfx::Size{c.w, c.h}), c.expected);
    }
    EXPECT_EQ(widgetPointMake(1.5, -2), (gfx::Point{1.5, -2}));
    EXPECT_EQ(widgetSizeWithMargin(gfx::Size{10, 20}, 3, 0.5), (gfx::Size{16, 21}));

    const gfx::Rect r(5, 6, 30, 40);
    EXPECT_EQ(widgetRectMoveTo(r, -1, 2), gfx::Rect(-1, 2, 30, 40));
    EXPECT_EQ(widgetRectMove(r, -1, 2), gfx::Rect(4, 8, 30, 40));
    EXPECT_EQ(widgetRectResize(r, -10, 2.5), gfx::Rect(5, 6, 20, 42.5));
}

TEST_F(WidgetLayoutTest, LabelAndButtonNaturalSizes) {
    auto label = ui::View::create<ui::Label>(gfx::Rect(0, 0, 10, 10));
    label->setFont(gfx::Font::systemFontOfSize(10)); // 5.5 points a character, lines of 12
    EXPECT_EQ(widgetGetLabelSize(*label, 100), (gfx::Size{0, 0}));
    label->setText("hello world again"); // 17 characters: 93.5 wide on one line
    EXPECT_EQ(widgetGetLabelSize(*label, 200), (gfx::Size{94, 12}));
    // One line stays one line however narrow the limit; the width never passes it.
    EXPECT_EQ(widgetGetLabelSize(*label, 50).height, 12);
    EXPECT_LE(widgetGetLabelSize(*label, 50).width, 50);
    // Unlimited lines wrap at the given width, whatever the label's own frame.
    label->setNumberOfLines(0);
    const gfx::Size wrapped =
        gfx::sizeWithFont(label->text(), label->font(), gfx::Size{70, 1e9}, ui::LineBreakMode::TailTruncation);
    EXPECT_EQ(widgetGetLabelSize(*label, 70), gfx::ceilSize(wrapped));
    EXPECT_EQ(widgetGetLabelSize(*label, 70), (gfx::Size{61, 24}));
    label->setNumberOfLines(2);
    EXPECT_EQ(widgetGetLabelSize(*label, 40).height, 24);

    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setTitle("Send", ui::ControlState::Normal);
    const gfx::Size title = gfx::sizeWithFont("Send", button->titleLabel()->font());
    EXPECT_EQ(widgetGetButtonSize(*button, 300), gfx::ceilSize(title));
    button->setContentEdgeInsets(gfx::EdgeInsets{2, 5, 3, 7});
    button->setImage(gfx::Image::fromPixels(9, 20, fnd::Bytes(9 * 20 * 4)), ui::ControlState::Normal);
    EXPECT_EQ(widgetGetButtonSize(*button, 300),
              gfx::ceilSize(gfx::Size{title.width + 9 + 12, std::max(title.height, 20.0) + 5}));
    EXPECT_EQ(widgetGetButtonSize(*button, 20).width, 20);
}

TEST_F(WidgetLayoutTest, FrameCeilAndHorizontalAlignment) {
    auto view = ui::View::create<ui::View>(gfx::Rect(0.5, 0, 101, 50.2));
    auto a = ui::View::create<ui::View>(gfx::Rect(3, 3, 20.5, 10));
    auto b = ui::View::create<ui::View>(gfx::Rect(0, 0, 30, 21));
    auto inner = ui::View::create<ui::View>(gfx::Rect(0.5, 0.5, 1.5, 1.5));
    view->addSubview(a);
    view->addSubview(b);
    b->addSubview(inner);
    widgetViewFrameCeil(*view);
    EXPECT_EQ(view->frame(), gfx::Rect(1, 0, 101, 51));
    EXPECT_EQ(a->frame(), gfx::Rect(3, 3, 21, 10));
    EXPECT_EQ(b->frame(), gfx::Rect(0, 0, 30, 21));
    EXPECT_EQ(inner->frame(), gfx::Rect(0.5, 0.5, 1.5, 1.5)); // only the direct subviews

    // 51 points of subviews in 101: 50 left over, 25 each side; heights 10 and 21 in 51.
    widgetAlignSubviewsHorizontal(*view);
    EXPECT_EQ(a->frame(), gfx::Rect(25, 20, 21, 10));
    EXPECT_EQ(b->frame(), gfx::Rect(46, 15, 30, 21));
    // An odd leftover puts the extra point on the right.
    view->setFrame(gfx::Rect(0, 0, 100, 51));
    widgetAlignSubviewsHorizontal(*view);
    EXPECT_EQ(a->frame().minX(), 24);
    EXPECT_EQ(b->frame().maxX(), 75);
}

TEST_F(WidgetLayoutTest, RoundedRectPath) {
    // The rect is symmetric about the middle row, so the context's y-up space does not matter.
    auto ctx = gfx::BitmapContext::create(40, 40, gfx::PixelFormat::Bgra8PremulFirstLE);
    ctx->setFillColor(gfx::Color::black());
    CGContextAddRoundedRect(*ctx, 5, 10, 30, 20, 50); // radius clamped to 10
    ctx->fillPath();
    auto alphaAt = [&](int x, int y) { return ctx->pixelAt(x, y).a; };
    EXPECT_EQ(alphaAt(20, 20), 255); // centre
    EXPECT_GT(alphaAt(5, 20), 200);  // left edge, mid height (a half-circle end)
    EXPECT_EQ(alphaAt(20, 10), 255); // top edge, middle
    EXPECT_EQ(alphaAt(4, 20), 0);    // outside the bounds
    EXPECT_EQ(alphaAt(20, 30), 0);
    EXPECT_EQ(alphaAt(6, 11), 0); // the corner is cut
    EXPECT_EQ(alphaAt(34, 29), 0);
}

} // namespace
} // namespace zelvan
