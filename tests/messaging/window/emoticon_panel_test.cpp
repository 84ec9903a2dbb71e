// The emoticon sheet shown in a window: the grid of picture buttons, the choice reaching the
// delegate, closing on touches between the pictures, and growing once per showing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "messaging/window/zlv_emoticon_panel_view.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan {
namespace {

class ChoiceRecorder : public ZLVEmoticonPanelViewDelegate {
public:
    void emoticonSelected(int32_t index, const std::string& escapedText) override {
        choices.emplace_back(index, escapedText);
    }
    std::vector<std::pair<int32_t, std::string>> choices;
};

class EmoticonPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        panel_ = ZLVEmoticonPanelView::create();
        panel_->setEmoticonDelegate(recorder_);
        panel_->showInView(window_);
        ui::testing::AlertDriver::finishAnimations();
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        panel_->dismissWithClickedButtonIndex(0, ui::Animated::No);
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }

    // A tap at a point of the panel's own space.
    void tapPanel(gfx::Point point) {
        const auto window = panel_->window();
        ASSERT_NE(window, nullptr);
        ui::testing::TouchDriver::tap(window, panel_->convertPointToView(point, window.get()));
        ui::testing::AlertDriver::finishAnimations();
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ChoiceRecorder> recorder_ = std::make_shared<ChoiceRecorder>();
    std::shared_ptr<ZLVEmoticonPanelView> panel_;
};

TEST_F(EmoticonPanelTest, PicturesSitInAGridAndAChoiceClosesTheSheet) {
    const auto last = panel_->viewWithTag(ZLVEmoticonPanelView::kFirstTag + 41);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->frame(), (gfx::Rect{265, 235, 40, 40}));
    // Every picture lies on the shown sheet.
    EXPECT_LE(last->frame().origin.y + last->frame().size.height, panel_->bounds().size.height);
    EXPECT_EQ(ZLVEmoticonPanelView::emoticonTextList().size(), 42u);

    // Row 3, column 4 (from 1) is index 17.
    const auto button = panel_->viewWithTag(ZLVEmoticonPanelView::kFirstTag + 17);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->frame().origin, (gfx::Point{145, 115}));
    tapPanel({165, 135});
    EXPECT_EQ(recorder_->choices, (std::vector<std::pair<int32_t, std::string>>{{17, "[~2~]"}}));
    EXPECT_FALSE(panel_->isVisible());

    panel_->showInView(window_);
    ui::testing::AlertDriver::finishAnimations();
    tapPanel({285, 255});
    ASSERT_EQ(recorder_->choices.size(), 2u);
    EXPECT_EQ(recorder_->choices.back(), (std::pair<int32_t, std::string>{41, "[~26~]"}));
}

TEST_F(EmoticonPanelTest, TouchOffThePicturesClosesWithoutAChoice) {
    tapPanel({10, 20});
    EXPECT_TRUE(recorder_->choices.empty());
    EXPECT_FALSE(panel_->isVisible());
}

TEST_F(EmoticonPanelTest, GrowsOncePerShowing) {
    // Shown at the bottom of the window, 240 points taller than the plain sheet would be.
    const double natural = panel_->sizeThatFits(window_->bounds().size).height;
    const gfx::Rect grown = panel_->frame();
    EXPECT_EQ(grown.size.height, natural + ZLVEmoticonPanelView::kExtraHeight);
    EXPECT_EQ(grown.origin.y + grown.size.height, 480);
    panel_->setNeedsDisplay();
    ASSERT_NE(ui::Snapshot::captureView(*panel_), nullptr);
    EXPECT_EQ(panel_->frame(), grown);

    panel_->dismissWithClickedButtonIndex(0, ui::Animated::No);
    panel_->showInView(window_);
    ui::testing::AlertDriver::finishAnimations();
    ASSERT_NE(ui::Snapshot::captureView(*panel_), nullptr);
    EXPECT_EQ(panel_->frame(), grown);
}

} // namespace
} // namespace zelvan
