// The offer kit's panel and box labels and buttons and its generic buttons: sizes measured under the
// synthetic metrics, skin images, the tinted look's press feedback through real touches.
#include <gtest/gtest.h>

#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/panel_button.h"
#include "offers/orvane/kit/panel_label.h"
#include "offers/orvane/kit/show_box_button.h"
#include "offers/orvane/kit/show_box_label.h"
#include "tests/offers/orvane/kit_widget_support.h"

namespace zelvan::orvane {
namespace {

using widget_test::KitWidgetTest;

class PanelWidgetsTest : public KitWidgetTest {};

void expectColor(const std::optional<gfx::Color>& color, int r, int g, int b) {
    ASSERT_TRUE(color);
    EXPECT_NEAR(color->r * 255, r, 0.01);
    EXPECT_NEAR(color->g * 255, g, 0.01);
    EXPECT_NEAR(color->b * 255, b, 0.01);
    EXPECT_EQ(color->a, 1);
}

TEST_F(PanelWidgetsTest, LabelsSizeThemselvesToTheirText) {
    // Table header font, bold 11.5: 6.9 points a character, lines 14 high.
    auto fit = PanelLabel::initAutoFitLabelWithText("Score", 10, 20);
    EXPECT_EQ(fit->frame(), gfx::Rect(10, 20, 35 + 5, 14 + 3));
    EXPECT_EQ(fit->getHeight(), 20);
    EXPECT_EQ(fit->getHeightWithoutMargin(), 20);
    EXPECT_EQ(fit->backgroundColor(), gfx::Color::clear());
    EXPECT_EQ(fit->textColor(), gfx::Color::white());

    fit->setText("Top scores");
    fit->setFrame(gfx::Rect(10, 20, 40, 20.7));
    fit->updateLabelWidth();
    EXPECT_EQ(fit->frame(), gfx::Rect(10, 20, 69 + 5, 20));
    fit->setFrame(gfx::Rect(10, 20, 50, 50));
    fit->updateLabelSize(); // "Top" and "scores" on two lines within 50
    EXPECT_EQ(fit->frame(), gfx::Rect(10, 20, 42 + 5, 28 + 3));

    auto header = PanelLabel::initHeaderLabel("Rank", 4, 8);
    EXPECT_EQ(header->frame(), gfx::Rect(4, 8, 55, 17));
    EXPECT_EQ(header->textAlignment(), ui::TextAlignment::Right);
    auto score = PanelLabel::initScoreLabel("1,200", 60, 8);
    EXPECT_EQ(score->frame().size, gfx::Size(60, 17));
    EXPECT_EQ(score->textColor(), gfx::Color::black());
    auto big = gfx::Font::systemFontOfSize(30);
    auto name = PanelLabel::initNameLabel("Ann", big, 120, 8);
    EXPECT_EQ(name->frame(), gfx::Rect(120, 8, 135, 17)); // measured in the panel font
    EXPECT_EQ(name->font(), big);
    EXPECT_EQ(name->textColor(), gfx::Color::rgba(86.0 / 255, 6.0 / 255, 0, 1));
    auto title = PanelLabel::initPanelHeaderLabel("Leaderboard", 2);
    EXPECT_EQ(title->frame(), gfx::Rect(4, 2, 312, 40));
    EXPECT_EQ(title->shadowOffset(), gfx::Size(-0.5, -1.2));

    // Nine words of 4 letters in system 10 (5.5 a character): three a line within 100, lines 12 high.
    auto font = gfx::Font::systemFontOfSize(10);
    auto wrapped =
        PanelLabel::initAutoFitLabelWithWrappedText("aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii", 100, font, 10, 40);
    EXPECT_EQ(wrapped->frame(), gfx::Rect(10, 40, 100, 36 + 3));
    EXPECT_EQ(wrapped->numberOfLines(), 2);
    EXPECT_EQ(wrapped->sizeThatFits(gfx::Size(100, 1000)).height, 24); // draws two lines
    EXPECT_EQ(wrapped->backgroundColor(), gfx::Color::white());        // no panel style
    auto four = PanelLabel::initAutoFitLabelWithWrappedText("x", 100, font, 0, 0, 4);
    EXPECT_EQ(four->numberOfLines(), 4);

    // The box label measures in the base label's font (system 17, 9.35 a character) before its style.
    auto box = ShowBoxLabel::initAutoFitLabelWithText("Price", 3, 4);
    EXPECT_EQ(box->frame(), gfx::Rect(3, 4, 47 + 5, 21 + 3));
    EXPECT_EQ(box->font()->pointSize(), 15);
    auto host = ui::View::create(gfx::Rect(0, 0, 280, 300));
    auto prompt = ShowBoxLabel::initCenterPromptForView(*host, 50);
    EXPECT_EQ(prompt->frame(), gfx::Rect(8, 50, 264, 60));
    EXPECT_EQ(prompt->numberOfLines(), 0);
    EXPECT_EQ(prompt->textAlignment(), ui::TextAlignment::Center);
}

TEST_F(PanelWidgetsTest, PanelAndBoxButtonsTakeTheSkinImageSize) {
    auto image = ORVSettings::getStandardBlackNormalBtn();
    ASSERT_TRUE(image);
    auto panel = PanelButton::initWithLocation(5, 6);
    EXPECT_EQ(panel->frame(),
              gfx::Rect(5, 6, static_cast<int>(image->size().width), static_cast<int>(image->size().height)));
    EXPECT_EQ(panel->backgroundImageForState(ui::ControlState::Selected), panel->backgroundImageForState({}));
    EXPECT_TRUE(panel->backgroundImageForState(ui::ControlState::Normal));
    EXPECT_EQ(panel->titleLabel()->font()->pointSize(), 12.5);

    auto box = ShowBoxButton::initWithLocation(20, 30);
    const gfx::Size boxSize = ORVSettings::getBoxBtnNormalImg()->size();
    EXPECT_EQ(box->frame(), gfx::Rect(20, 30, static_cast<int>(boxSize.width), static_cast<int>(boxSize.height)));
    box->changeY(90);
    EXPECT_EQ(box->frame(), gfx::Rect(20, 90, static_cast<int>(boxSize.width), static_cast<int>(boxSize.height)));
    box->setBtnId(7);
    EXPECT_EQ(box->btnId(), 7);

    // A skin folder without the images: zero-sized buttons where they were asked for.
    install(::testing::TempDir());
    EXPECT_EQ(PanelButton::getBgImgWidth(), 0);
    EXPECT_EQ(PanelButton::initWithLocation(5, 6)->frame(), gfx::Rect(5, 6, 0, 0));
    EXPECT_EQ(ORVGenericButtons::initStandardCommandButton(1, 2)->frame(), gfx::Rect(1, 2, 0, 0));
}

TEST_F(PanelWidgetsTest, GenericButtonLooksAndTheTintedPress) {
    auto shifted = ui::View::create<ORVGenericButtons>(gfx::Rect(10, 10, 100, 30));
    EXPECT_EQ(shifted->frame(), gfx::Rect(10, 12, 100, 30));
    auto black = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(10, 10, 100, 30));
    EXPECT_EQ(black->frame(), gfx::Rect(10, 10, 100, 30));
    EXPECT_TRUE(black->backgroundImageForState(ui::ControlState::Highlighted));
    auto tick = ORVGenericButtons::initMenuTickButtonAtX(3, 4);
    EXPECT_EQ(tick->frame(), gfx::Rect(3, 4, 124, 33));
    EXPECT_EQ(tick->backgroundImageForState(ui::ControlState::Selected)->size(), ORVSettings::getTickImg()->size());
    const gfx::Size blackSize = ORVSettings::getStandardBlackNormalBtn()->size();
    EXPECT_EQ(ORVGenericButtons::initTabViewButtonAtx(0, 0)->frame().size,
              gfx::Size(blackSize.width + 42, blackSize.height));
    black->changeX(1);
    black->changeWidth(50);
    black->changeHeight(20);
    black->changeY(2);
    EXPECT_EQ(black->frame(), gfx::Rect(1, 2, 50, 20));
    black->setBtnTitle("Buy");
    EXPECT_EQ(black->titleForState(ui::ControlState::Highlighted), "Buy");
    black->setCustomParams(fnd::Value("item-3"));
    EXPECT_EQ(black->customParams(), fnd::Value("item-3"));
    auto title = ORVGenericButtons::createButtonTitle("Go", gfx::Rect(40, 50, 80, 30));
    EXPECT_EQ(title->frame(), gfx::Rect(0, 0, 80, 30));
    EXPECT_FALSE(title->superview());

    // The tinted look over a button in the window: a finger on it reaches the button's own handlers
    // and darkens the tint by 20 (0E2C4C gives 00 18 38) until it lifts.
    auto button = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(20, 100, 120, 40));
    window_->addSubview(button);
    int pressed = 0;
    button->addTarget(
        {}, [&](ui::Control&, const ui::Event*) { ++pressed; }, ui::ControlEvents::TouchUpInside);
    button->setCustomButtonTintColor(gfx::Color::red(), "Submit", window_);
    auto segment = button->segmentButton();
    ASSERT_TRUE(segment);
    EXPECT_EQ(segment->superview(), window_);
    EXPECT_EQ(segment->frame(), button->frame());
    EXPECT_EQ(segment->segmentedControlStyle(), ui::SegmentedControlStyle::Bar);
    EXPECT_EQ(segment->titleForSegmentAtIndex(0), "Submit");
    expectColor(segment->tintColor(), 0x0E, 0x2C, 0x4C);
    const gfx::Point centre = widget_test::centerInWindow(*button);
    widget_test::TouchDriver::touchDown(1, centre);
    expectColor(segment->tintColor(), 0, 24, 56);
    widget_test::TouchDriver::touchUp(1);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(segment->tintColor(), gfx::Color::red());

    context_->setUserColorCode(0x0A1E05);
    button->buttonActionTouchDown(*button);
    expectColor(segment->tintColor(), 0, 10, 0);
}

} // namespace
} // namespace zelvan::orvane
