// The offer kit's header bar (width per orientation, its bar buttons) and tab bar (layout, selection by
// a tap).
#include <gtest/gtest.h>

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/orv_ui_nav_bar_btn.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/kit/orv_ui_tab_bar_view.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/offers/orvane/kit_widget_support.h"

namespace zelvan::orvane {
namespace {

using widget_test::KitWidgetTest;

class HeaderTabBarsTest : public KitWidgetTest {};

TEST_F(HeaderTabBarsTest, HeaderWidthFollowsTheOrientationWhenTheHostLetsTheSdkRotate) {
    auto portrait = ORVUINavigationBarView::initWithTitle("Detail", 0);
    EXPECT_EQ(portrait->frame(), gfx::Rect(0, 0, 320, 44));
    EXPECT_EQ(portrait->navBar()->frame(), gfx::Rect(-1, 0, 322, 44));
    EXPECT_EQ(portrait->navBar()->topItem(), portrait->navBarTitle());
    EXPECT_EQ(portrait->navBarTitle()->title(), "Detail");
    EXPECT_EQ(portrait->navBar()->tintColor(), gfx::Color::fromRgbHex(0x0E2C4C));
    EXPECT_EQ(static_cast<uint32_t>(portrait->autoresizingMask()), 34u);

    auto facade = context_->makeFacade();
    context_->setFacade(facade);
    facade->setApplicationAngel(90);
    EXPECT_EQ(ORVUINavigationBarView::initWithTitle("Store", 20)->frame(), gfx::Rect(0, 20, 320, 44)); // no host view
    auto hostView = ui::View::create(gfx::Rect(0, 0, 480, 320));
    facade->setApplicationView(hostView);
    auto wide = ORVUINavigationBarView::initWithTitle("Store", 20);
    EXPECT_EQ(wide->frame(), gfx::Rect(0, 20, 480, 44));
    EXPECT_EQ(wide->navBar()->frame(), gfx::Rect(-1, 0, 482, 44));
    auto basic = ORVUINavigationBarView::initBasicWithTitle("Ads", 0);
    EXPECT_EQ(basic->frame().size.width, 320);
    EXPECT_EQ(basic->navBar()->frame(), gfx::Rect(-1, 0, 322, 44));

    facade->setApplicationAngel(0);
    basic->objectsFramePerOrientation();
    EXPECT_EQ(basic->frame().size.width, 320);
    for (auto orientation : {device::DeviceOrientation::LandscapeLeft, device::DeviceOrientation::LandscapeRight}) {
        device::Device::current().deviceDidRotate(orientation);
        basic->objectsFramePerOrientation();
        EXPECT_EQ(basic->frame(), gfx::Rect(0, 0, 480, 44));
    }
}

TEST_F(HeaderTabBarsTest, HeaderButtonsAreMadeOnceAndRetitled) {
    auto header = ORVUINavigationBarView::initWithTitle("Detail", 0);
    EXPECT_FALSE(header->navBarLeftBtn());
    header->addLeftButtonTarget(
        {}, [] {}, ui::ControlEvents::TouchUpInside); // before the button: nothing
    header->setNavBarLeftBtnWithTitle("Back");
    auto left = header->navBarLeftBtn();
    ASSERT_TRUE(left);
    header->setNavBarLeftBtnWithTitle(" Back ");
    EXPECT_EQ(header->navBarLeftBtn(), left);
    EXPECT_EQ(left->title(), " Back ");
    EXPECT_EQ(left->style(), ui::BarButtonItemStyle::Bordered);
    EXPECT_EQ(header->navBarTitle()->leftBarButtonItem(), left);

    auto page = std::make_shared<int>(0);
    header->addLeftButtonTarget(
        page, [page] { ++*page; }, ui::ControlEvents::TouchDown);
    left->performAction();
    EXPECT_EQ(*page, 1);

    header->setNavBarRightBtnWithTitle("Buy");
    header->updateRightNavBarBtnWithTitle("Bought");
    EXPECT_EQ(header->navBarTitle()->rightBarButtonItem()->title(), "Bought");
    auto other = ui::BarButtonItem::initWithTitle("Done", ui::BarButtonItemStyle::Done);
    header->setNavBarLeftBtn(other);
    EXPECT_EQ(header->navBarTitle()->leftBarButtonItem(), other);
    EXPECT_EQ(header->navBarLeftBtn(), left); // the kept button stays

    auto round = ORVUINavBarBtn::initWithTitle("Edit", 30, gfx::Point(5, 7));
    // Header button font bold 12: 7.2 points a character, + 20.
    EXPECT_EQ(round->frame(), gfx::Rect(5, 7, 29 + 20, 30));
    round->updateBtnFrameWithTitle("Edit all");
    EXPECT_EQ(round->frame(), gfx::Rect(5, 7, 58 + 20, 30));
    EXPECT_EQ(round->titleForState(ui::ControlState::Highlighted), "Edit all");
}

TEST_F(HeaderTabBarsTest, TabBarLaysOutEqualButtonsAndSelectsTheTappedOne) {
    EXPECT_FALSE(ORVUITabBarView::initWithTotalButtons(0, 431));
    auto bar = ORVUITabBarView::initWithTotalButtons(4, 431);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->frame(), gfx::Rect(0, 431, 320, 49));
    const double xs[] = {1, 80.5, 160, 239.5};
    for (int i = 0; i < 4; ++i) {
        auto button = bar->getORVTabBarBtnAtIndex(i);
        EXPECT_EQ(button->frame(), gfx::Rect(xs[i], 4, 78.5, 45));
        EXPECT_EQ(button->iconImgView()->frame(), gfx::Rect(78.5 / 2 - 12, 3.5, 25, 25));
        EXPECT_EQ(button->btnTitleLabel()->frame(), gfx::Rect(0, 29, 78.5, 20));
        button->btnTitleLabel()->setText("Tab");
        button->setIconImgWithName("tick.png");
        button->setIconHighlightImgWithName("info-icon.png");
    }
    EXPECT_FALSE(bar->getORVTabBarBtnAtIndex(4));
    window_->addSubview(bar);

    const fnd::LogLevel level = fnd::minLogLevel();
    fnd::setMinLogLevel(fnd::LogLevel::Debug);
    fnd::testing::LogCapture capture;
    ORVLog::setLogThreshold(4);
    auto second = bar->getORVTabBarBtnAtIndex(1);
    widget_test::TouchDriver::tap(window_, widget_test::centerInWindow(*second));
    fnd::setMinLogLevel(level);
    ORVLog::setLogThreshold(ORVLog::kDefaultThreshold);
    EXPECT_TRUE(capture.contains("[Log Level: 4]; Button Pressed"));
    for (int i = 0; i < 4; ++i) {
        auto button = bar->getORVTabBarBtnAtIndex(i);
        const bool chosen = i == 1;
        EXPECT_EQ(button->isSelected(), chosen);
        EXPECT_EQ(button->btnTitleLabel()->textColor(), chosen ? gfx::Color::white() : gfx::Color::lightGray());
        EXPECT_EQ(button->iconImgView()->image(), chosen ? button->iconHighlightImg() : button->iconImg());
        EXPECT_EQ(button->backgroundImageForState(ui::ControlState::Normal) != nullptr, chosen);
    }
    // A button of no bar leaves them all plain.
    auto stranger = ui::View::create<ORVTabBarBtn>(gfx::Rect(0, 0, 50, 0));
    bar->setSelected(stranger.get());
    EXPECT_FALSE(second->isSelected());
}

} // namespace
} // namespace zelvan::orvane
