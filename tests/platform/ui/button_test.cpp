// Buttons and the image view they show images in: per-state values falling back to Normal and
// following the highlight during a touch, the natural size, the placement of image and title by
// alignment and insets, the glyph types, pixels of a stretched background image and the title, and
// image views placing their image by content mode.
#include <memory>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"

namespace ui {
namespace {

using namespace controls_test;

gfx::ImagePtr solidImage(int w, int h, gfx::Color color) {
    gfx::beginImageContext(gfx::Size{static_cast<double>(w), static_cast<double>(h)});
    auto ctx = gfx::getCurrentContext();
    ctx->setFillColor(color);
    ctx->fillRect(gfx::Rect(0, 0, w, h));
    auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

class ButtonTest : public ControlsTest {};

TEST_F(ButtonTest, PerStateValuesFallBackToNormalAndFollowTheHighlight) {
    auto button = Button::buttonWithType(ButtonType::Custom);
    button->setFrame(gfx::Rect(10, 10, 100, 40));
    window_->addSubview(button);
    button->setTitle("Send", ControlState::Normal);
    button->setTitle("Sending", ControlState::Highlighted);
    button->setTitleColor(gfx::Color::red(), ControlState::Normal);
    const auto normalImage = solidImage(4, 4, gfx::Color::blue());
    button->setImage(normalImage, ControlState::Normal);

    EXPECT_EQ(button->titleForState(ControlState::Disabled), "Send");
    EXPECT_EQ(button->titleForState(ControlState::Highlighted), "Sending");
    EXPECT_EQ(button->imageForState(ControlState::Selected), normalImage);
    EXPECT_EQ(button->backgroundImageForState(ControlState::Normal), nullptr);
    EXPECT_EQ(button->titleLabel()->font()->pointSize(), 15);
    EXPECT_TRUE(button->titleLabel()->font()->isBold());

    TouchDriver::touchDown(1, {20, 20});
    EXPECT_EQ(button->currentTitle(), "Sending");
    EXPECT_EQ(button->titleLabel()->text(), "Sending");
    EXPECT_EQ(button->titleLabel()->textColor(), gfx::Color::red()); // fell back to Normal
    TouchDriver::touchUp(1);
    EXPECT_EQ(button->titleLabel()->text(), "Send");
    EXPECT_EQ(button->imageView()->image(), normalImage);

    button->setTitle(std::nullopt, ControlState::Highlighted);
    EXPECT_EQ(button->titleForState(ControlState::Highlighted), "Send");

    // A tap is a TouchUpInside for the button's actions.
    int taps = 0;
    button->addTarget(
        {}, [&](Control&, const Event*) { ++taps; }, ControlEvents::TouchUpInside);
    TouchDriver::tap(window_, {50, 30});
    EXPECT_EQ(taps, 1);
}

TEST_F(ButtonTest, SizeAndPlacementFollowInsetsAndAlignments) {
    useSyntheticMetrics();
    // Bold 15 under synthetic metrics: 9 points per character, lines of 18.
    auto button = Button::buttonWithType(ButtonType::Custom);
    button->setTitle("Play", ControlState::Normal);
    button->setImage(solidImage(20, 10, gfx::Color::green()), ControlState::Normal);
    button->setContentEdgeInsets(gfx::EdgeInsets{2, 5, 4, 7});
    EXPECT_EQ(button->sizeThatFits({}), (gfx::Size{20 + 36 + 12, 18 + 6}));
    button->sizeToFit();
    EXPECT_EQ(button->frame().size, (gfx::Size{68, 24}));

    button->setFrame(gfx::Rect(0, 0, 100, 40));
    button->layoutIfNeeded();
    // Centred: 56 points of content in 88, starting at 5 + 16.
    EXPECT_EQ(button->imageView()->frame(), gfx::Rect(21, 2 + 12, 20, 10));
    EXPECT_EQ(button->titleLabel()->frame(), gfx::Rect(41, 2 + 8, 36, 18));

    button->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
    button->setContentVerticalAlignment(ContentVerticalAlignment::Top);
    button->setTitleEdgeInsets(gfx::EdgeInsets{0, 3, 0, 0});
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), gfx::Rect(5, 2, 20, 10));
    EXPECT_EQ(button->titleLabel()->frame(), gfx::Rect(28, 2, 36, 18));

    button->setContentHorizontalAlignment(ContentHorizontalAlignment::Right);
    button->setContentVerticalAlignment(ContentVerticalAlignment::Bottom);
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), gfx::Rect(100 - 7 - 56, 36 - 10, 20, 10));

    // A title too long for the content rect is cut to what is left beside the image.
    button->setTitle("A very long title indeed", ControlState::Normal);
    button->setContentHorizontalAlignment(ContentHorizontalAlignment::Center);
    button->layoutIfNeeded();
    EXPECT_EQ(button->titleLabel()->frame().width(), 88 - 20);

    EXPECT_EQ(Button::buttonWithType(ButtonType::DetailDisclosure)->frame().size, (gfx::Size{29, 31}));
    EXPECT_EQ(Button::buttonWithType(ButtonType::InfoLight)->sizeThatFits({}), (gfx::Size{18, 19}));
}

TEST_F(ButtonTest, DrawsTheStretchedBackgroundAndTheTitle) {
    auto button = Button::buttonWithType(ButtonType::Custom);
    button->setFrame(gfx::Rect(0, 0, 120, 40));
    button->setBackgroundImage(solidImage(8, 8, gfx::Color::blue())->stretchableImageWithLeftCapWidth(3, 3),
                               ControlState::Normal);
    button->setBackgroundImage(solidImage(8, 8, gfx::Color::green()), ControlState::Highlighted);
    button->setTitle("OK", ControlState::Normal);
    button->setTitleColor(gfx::Color::white(), ControlState::Normal);
    window_->addSubview(button);

    auto shot = button->screenshot();
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->pixelAt(1, 1), (gfx::Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(shot->pixelAt(118, 38), (gfx::Rgba8{0, 0, 255, 255}));
    const Ink title = inkWhere(*shot, gfx::Rect(0, 0, 120, 40), [](gfx::Rgba8 p) { return p.r > 200 && p.g > 200; });
    ASSERT_TRUE(title.any());
    // Centred: the white ink straddles the middle of the button.
    EXPECT_LT(title.minX, 60);
    EXPECT_GT(title.maxX, 60);
    EXPECT_GT(title.minY, 5);
    EXPECT_LT(title.maxY, 35);

    TouchDriver::touchDown(1, {60, 20});
    shot = button->screenshot();
    EXPECT_EQ(shot->pixelAt(1, 1), (gfx::Rgba8{0, 255, 0, 255}));
    TouchDriver::touchUp(1);
}

TEST_F(ButtonTest, ImageViewsTakeTheImageSizeAndHonourTheContentMode) {
    const auto image = solidImage(10, 20, gfx::Color::red());
    auto view = ImageView::initWithImage(image);
    EXPECT_EQ(view->frame(), gfx::Rect(0, 0, 10, 20));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    window_->addSubview(view);

    view->setFrame(gfx::Rect(0, 0, 40, 40));
    auto isRed = [](gfx::Rgba8 p) { return p.a > 200 && p.r > 200 && p.g < 50; };
    EXPECT_EQ(inkWhere(*view->screenshot(), gfx::Rect(0, 0, 40, 40), isRed).pixels, 40 * 40); // ScaleToFill

    view->setContentMode(ContentMode::Center);
    Ink ink = inkWhere(*view->screenshot(), gfx::Rect(0, 0, 40, 40), isRed);
    EXPECT_EQ((gfx::Rect(ink.minX, ink.minY, ink.width(), ink.maxY - ink.minY + 1)), gfx::Rect(15, 10, 10, 20));

    view->setContentMode(ContentMode::AspectFit);
    ink = inkWhere(*view->screenshot(), gfx::Rect(0, 0, 40, 40), isRed);
    EXPECT_EQ((gfx::Rect(ink.minX, ink.minY, ink.width(), ink.maxY - ink.minY + 1)), gfx::Rect(10, 0, 20, 40));

    view->setHighlightedImage(solidImage(10, 20, gfx::Color::blue()));
    view->setHighlighted(true);
    EXPECT_FALSE(inkWhere(*view->screenshot(), gfx::Rect(0, 0, 40, 40), isRed).any());
}

} // namespace
} // namespace ui
