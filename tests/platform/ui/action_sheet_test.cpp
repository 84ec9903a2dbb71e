// Action sheets: button indices with and without destructive and cancel buttons, the slide up from
// a view, toolbar or tab bar, delegate order on real taps of the enumerable button views, styles,
// and a subclass that sizes, draws and hit-tests itself.
#include <optional>

#include "alert_test_support.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/image_view.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/tab_bar.h"
#include "platform/ui/toolbar.h"

namespace ui {
namespace {

using namespace alert_test;

TEST_F(AlertTest, SheetIndicesRunDestructiveOthersCancel) {
    struct Case {
        std::optional<std::string> cancel;
        std::optional<std::string> destructive;
        std::vector<std::string> others;
        std::vector<std::string> titles;
        int cancelIndex;
        int destructiveIndex;
    };
    const Case cases[] = {
        {"Cancel", "Delete", {"Archive", "Mark"}, {"Delete", "Archive", "Mark", "Cancel"}, 3, 0},
        {"Cancel", std::nullopt, {"Online", "Away"}, {"Online", "Away", "Cancel"}, 2, -1},
        {std::nullopt, "Delete", {"Keep"}, {"Delete", "Keep"}, -1, 0},
        {std::nullopt, std::nullopt, {"One"}, {"One"}, -1, -1},
        {"Cancel", "Sign out", {}, {"Sign out", "Cancel"}, 1, 0},
        {std::nullopt, std::nullopt, {}, {}, -1, -1},
    };
    for (const auto& c : cases) {
        auto sheet = ActionSheet::initWithTitle("Status", recorder_, c.cancel, c.destructive, c.others);
        const std::string label = c.cancel.value_or("-") + "/" + c.destructive.value_or("-");
        ASSERT_EQ(sheet->numberOfButtons(), static_cast<int>(c.titles.size())) << label;
        ASSERT_EQ(sheet->buttonViews().size(), c.titles.size()) << label;
        for (size_t i = 0; i < c.titles.size(); ++i) {
            EXPECT_EQ(sheet->buttonTitleAtIndex(static_cast<int>(i)), c.titles[i]) << label;
            EXPECT_EQ(sheet->buttonViews()[i]->currentTitle(), c.titles[i]) << label;
        }
        EXPECT_EQ(sheet->cancelButtonIndex(), c.cancelIndex) << label;
        EXPECT_EQ(sheet->destructiveButtonIndex(), c.destructiveIndex) << label;
        // Buttons added later go last, after cancel.
        const int added = sheet->addButtonWithTitle("Later");
        EXPECT_EQ(added, static_cast<int>(c.titles.size())) << label;
        EXPECT_EQ(sheet->buttonTitleAtIndex(added), "Later");
        EXPECT_EQ(sheet->cancelButtonIndex(), c.cancelIndex) << label;
    }
}

TEST_F(AlertTest, SheetSlidesUpAndRealTapsReachTheDelegate) {
    useSyntheticMetrics();
    auto content = View::create(gfx::Rect(0, 20, 320, 460));
    window_->addSubview(content);
    auto sheet = ActionSheet::initWithTitle("Set your status", recorder_, "Cancel", std::nullopt,
                                            {"Online", "Away", "Invisible"});
    sheet->setTag(7);
    EXPECT_EQ(sheet->actionSheetStyle(), ActionSheetStyle::Automatic);
    // Product code puts icons on the enumerated buttons.
    sheet->buttonViews()[0]->setImage(solidImage(12, 12, gfx::Color::green()), ControlState::Normal);

    AnimationLog::clear();
    sheet->showInView(content);
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent"}));
    // Title, three buttons and cancel stacked at the bottom of the view, full width.
    const gfx::Rect frame = sheet->frame();
    EXPECT_EQ(frame.maxY(), 480);
    EXPECT_EQ(frame.width(), 320);
    EXPECT_EQ(frame.height(), sheet->sizeThatFits({320, 460}).height);
    double lastY = -1;
    for (const auto& button : sheet->buttonViews()) {
        EXPECT_GT(button->frame().minY(), lastY);
        lastY = button->frame().minY();
        EXPECT_EQ(button->frame().height(), ActionSheet::kButtonHeight);
    }
    // The slide is one logged 0.3 s animation of the centre from below the screen.
    const auto entries = AnimationLog::entries();
    ASSERT_FALSE(entries.empty());
    const auto& slide = entries.back();
    EXPECT_DOUBLE_EQ(slide.duration, AlertPanel::kAnimationDuration);
    ASSERT_EQ(slide.properties.size(), 1u);
    EXPECT_EQ(slide.properties[0].property, "center");
    ASSERT_TRUE(slide.properties[0].from && slide.properties[0].to);
    EXPECT_EQ(std::get<gfx::Point>(*slide.properties[0].from).y, frame.midY() + frame.height());
    EXPECT_EQ(std::get<gfx::Point>(*slide.properties[0].to).y, frame.midY());

    advance(AlertPanel::kAnimationDuration);
    EXPECT_EQ(recorder_->take(), (Calls{"didPresent"}));
    // A real tap on "Away" (index 1).
    const auto& away = sheet->buttonViews()[1];
    const gfx::Point p = away->convertPointToView({away->bounds().midX(), away->bounds().midY()}, nullptr);
    TouchDriver::tap(sheet->window(), p);
    EXPECT_EQ(recorder_->take(), (Calls{"clicked 1", "willDismiss 1"}));
    advance(AlertPanel::kAnimationDuration);
    EXPECT_EQ(recorder_->take(), (Calls{"didDismiss 1"}));
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(AlertDriver::visible(), nullptr);

    // Dismissed by code with an index of its choice, unanimated.
    sheet->showInView(content);
    sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), Animated::No);
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent", "willDismiss 3", "didDismiss 3"}));
}

TEST_F(AlertTest, SheetFromBarsCoversTheBottomOfTheWindow) {
    auto toolbar = View::create<Toolbar>(gfx::Rect(0, 436, 320, 44));
    auto tabBar = View::create<TabBar>(gfx::Rect(0, 431, 320, 49));
    window_->addSubview(toolbar);
    window_->addSubview(tabBar);

    auto sheet = ActionSheet::initWithTitle("", recorder_, "Cancel", "Leave game", {});
    sheet->showFromToolbar(toolbar);
    AlertDriver::finishAnimations();
    EXPECT_EQ(sheet->frame().maxY(), 480);
    EXPECT_LT(sheet->frame().minY(), toolbar->frame().minY());
    // No title: the first button sits at the top inset.
    EXPECT_LT(sheet->buttonViews()[0]->frame().minY(), 20);
    ASSERT_TRUE(AlertDriver::tap("Leave game"));
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent", "clicked 0", "willDismiss 0", "didDismiss 0"}));

    sheet->showFromTabBar(tabBar);
    AlertDriver::finishAnimations();
    EXPECT_EQ(sheet->frame().maxY(), 480);
    EXPECT_LT(sheet->frame().minY(), tabBar->frame().minY());
    // The system taking it away without a cancel handler taps cancel.
    sheet->cancel();
    AlertDriver::finishAnimations();
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent", "clicked 1", "willDismiss 1", "didDismiss 1"}));
}

TEST_F(AlertTest, SheetStylesFillTheirColour) {
    for (const auto& [style, expectBlack] :
         {std::pair{ActionSheetStyle::BlackOpaque, true}, std::pair{ActionSheetStyle::Default, false}}) {
        auto sheet = ActionSheet::initWithTitle("", recorder_, "Cancel");
        sheet->setActionSheetStyle(style);
        EXPECT_EQ(static_cast<int>(sheet->actionSheetStyle()), static_cast<int>(style));
        sheet->showInView(window_);
        AlertDriver::finishAnimations();
        const auto image = Snapshot::captureView(*sheet);
        ASSERT_TRUE(image);
        const auto corner = image->pixelAt(2, 2);
        if (expectBlack) {
            EXPECT_EQ(corner, (gfx::Rgba8{0, 0, 0, 255}));
        } else {
            EXPECT_GT(corner.b, corner.r);
        }
        sheet->dismissWithClickedButtonIndex(0, Animated::No);
    }
    EXPECT_EQ(static_cast<int>(ActionSheetStyle::BlackTranslucent), 2);
    EXPECT_EQ(static_cast<int>(ActionSheetStyle::Automatic), -1);
}

// A panel of emoticons that sizes, draws and hit-tests itself: a 4x2 grid of 80x50 cells.
class EmoticonPanel : public ActionSheet {
public:
    std::vector<int> picked;

    gfx::Size sizeThatFits(gfx::Size) const override { return {320, 100}; }
    void layoutSubviews() override {}
    void drawRect(gfx::Rect) override {
        const auto ctx = gfx::getCurrentContext();
        ctx->setFillColor(gfx::Color::green());
        ctx->fillRect(bounds());
    }
    std::shared_ptr<View> hitTest(gfx::Point point, const Event*) override {
        return pointInside(point, nullptr) ? self() : nullptr;
    }
    void touchesEnded(const TouchSet& touches, const Event*) override {
        const gfx::Point p = touches.front()->locationInView(this);
        picked.push_back(static_cast<int>(p.y / 50) * 4 + static_cast<int>(p.x / 80));
    }
};

TEST_F(AlertTest, SubclassSizesDrawsAndHitTestsItself) {
    auto panel = ActionSheet::initWithTitle<EmoticonPanel>("", recorder_, "Close");
    panel->showInView(window_);
    AlertDriver::finishAnimations();
    EXPECT_EQ(panel->frame(), gfx::Rect(0, 380, 320, 100));
    const auto image = Snapshot::captureView(*panel);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(300, 90), (gfx::Rgba8{0, 255, 0, 255}));
    // Its own hit test takes every touch, even over its (unplaced) button.
    TouchDriver::tap(panel->window(), {250, 390});
    TouchDriver::tap(panel->window(), {10, 470});
    EXPECT_EQ(panel->picked, (std::vector<int>{3, 4}));
    EXPECT_EQ(recorder_->take(), (Calls{"willPresent", "didPresent"}));
    panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), Animated::Yes);
    AlertDriver::finishAnimations();
    EXPECT_EQ(recorder_->take(), (Calls{"willDismiss 0", "didDismiss 0"}));
}

} // namespace
} // namespace ui
