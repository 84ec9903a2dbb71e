// Value controls driven by real touches: the switch toggling, the slider's drag (continuous or on
// release, clamped), segments selected on touch down (and momentary ones), page control halves,
// progress clamping and the activity indicator's sizes and hiding.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/page_control.h"
#include "platform/ui/progress_view.h"
#include "platform/ui/segmented_control.h"
#include "platform/ui/slider.h"
#include "platform/ui/switch.h"

namespace ui {
namespace {

using namespace controls_test;

class ValueControlsTest : public ControlsTest {};

TEST_F(ValueControlsTest, SwitchTogglesOnTapAndSetOnSendsNothing) {
    auto sw = View::create<Switch>(gfx::Rect(10, 10, 10, 10));
    EXPECT_EQ(sw->frame(), gfx::Rect(10, 10, 94, 27));
    window_->addSubview(sw);
    std::vector<bool> heard;
    sw->addTarget(
        {}, [&](Control& c, const Event*) { heard.push_back(static_cast<Switch&>(c).isOn()); },
        ControlEvents::ValueChanged);
    TouchDriver::tap(window_, {50, 20});
    TouchDriver::tap(window_, {50, 20});
    sw->setOn(true, Animated::Yes);
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
    EXPECT_TRUE(sw->isOn());

    // Released outside the tracking margin: no toggle.
    TouchDriver::touchDown(1, {50, 20});
    TouchDriver::touchMove(1, {50, 200});
    TouchDriver::touchUp(1);
    EXPECT_TRUE(sw->isOn());
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(ValueControlsTest, SliderFollowsTheThumbDragContinuouslyOrOnRelease) {
    auto slider = View::create<Slider>(gfx::Rect(0, 100, 223, 23)); // a track span of 200 points
    window_->addSubview(slider);
    slider->setMinimumValue(0);
    slider->setMaximumValue(10);
    slider->setValue(5);
    EXPECT_EQ(slider->thumbRect(), gfx::Rect(100, 0, 23, 23));
    std::vector<double> heard;
    slider->addTarget(
        {}, [&](Control& c, const Event*) { heard.push_back(static_cast<Slider&>(c).value()); },
        ControlEvents::ValueChanged);

    TouchDriver::drag({111, 111}, {151, 111}, 0.2, 4); // +40 points = +2
    EXPECT_DOUBLE_EQ(slider->value(), 7);
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_DOUBLE_EQ(heard.front(), 5.5);
    EXPECT_DOUBLE_EQ(heard.back(), 7);

    heard.clear();
    slider->setContinuous(false);
    TouchDriver::drag({151, 111}, {400, 111}, 0.2, 4); // far past the end: clamped
    EXPECT_EQ(heard, (std::vector<double>{10}));

    // A touch away from the thumb does not move it.
    heard.clear();
    TouchDriver::drag({20, 111}, {60, 111}, 0.2, 2);
    EXPECT_DOUBLE_EQ(slider->value(), 10);
    EXPECT_TRUE(heard.empty());

    slider->setValue(-3);
    EXPECT_DOUBLE_EQ(slider->value(), 0);
    slider->setValue(NAN);
    EXPECT_DOUBLE_EQ(slider->value(), 0);
}

TEST_F(ValueControlsTest, SegmentsSelectOnTouchDown) {
    useSyntheticMetrics();
    auto segments = SegmentedControl::initWithItems({std::string("One"), std::string("Two"), std::string("Three")});
    EXPECT_EQ(segments->numberOfSegments(), 3);
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    segments->setFrame(gfx::Rect(0, 0, 300, 30));
    segments->setWidth(100, 2);
    EXPECT_EQ(segments->segmentRects()[1], gfx::Rect(100, 0, 100, 30));
    segments->setWidth(0, 2);
    segments->setWidth(60, 0);
    EXPECT_EQ(segments->segmentRects()[1], gfx::Rect(60, 0, 120, 30));
    window_->addSubview(segments);
    std::vector<int> heard;
    segments->addTarget(
        {},
        [&](Control& c, const Event*) { heard.push_back(static_cast<SegmentedControl&>(c).selectedSegmentIndex()); },
        ControlEvents::ValueChanged);

    TouchDriver::touchDown(1, {100, 15});
    EXPECT_EQ(heard, (std::vector<int>{1})); // before the touch ends
    TouchDriver::touchUp(1);
    TouchDriver::tap(window_, {110, 15}); // same segment: no change
    segments->setEnabled(false, 2);
    TouchDriver::tap(window_, {250, 15}); // disabled segment
    EXPECT_EQ(heard, (std::vector<int>{1}));
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);

    segments->setMomentary(true);
    TouchDriver::touchDown(1, {10, 15});
    EXPECT_EQ(segments->selectedSegmentIndex(), 0);
    TouchDriver::touchUp(1);
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    EXPECT_EQ(heard, (std::vector<int>{1, 0}));

    segments->setSelectedSegmentIndex(7);
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    EXPECT_EQ(segments->titleForSegmentAtIndex(2), "Three");
    EXPECT_EQ(segments->titleForSegmentAtIndex(9), std::nullopt);
}

TEST_F(ValueControlsTest, PageControlStepsByHalvesWithinItsPages) {
    auto pages = View::create<PageControl>(gfx::Rect(0, 0, 160, 36));
    window_->addSubview(pages);
    pages->setNumberOfPages(3);
    EXPECT_EQ(PageControl::sizeForNumberOfPages(3), (gfx::Size{48, 36}));
    int changes = 0;
    pages->addTarget(
        {}, [&](Control&, const Event*) { ++changes; }, ControlEvents::ValueChanged);
    TouchDriver::tap(window_, {10, 18}); // left at page 0: nothing
    TouchDriver::tap(window_, {150, 18});
    TouchDriver::tap(window_, {150, 18});
    TouchDriver::tap(window_, {150, 18}); // already last
    EXPECT_EQ(pages->currentPage(), 2);
    EXPECT_EQ(changes, 2);
    TouchDriver::tap(window_, {10, 18});
    EXPECT_EQ(pages->currentPage(), 1);
    pages->setNumberOfPages(1);
    EXPECT_EQ(pages->currentPage(), 0);

    // The current dot is drawn white, the others faint; a single page may hide them all.
    pages->setNumberOfPages(2);
    pages->setBackgroundColor(gfx::Color::black());
    auto white = [](gfx::Rgba8 p) { return p.r > 240 && p.g > 240 && p.b > 240; };
    EXPECT_TRUE(inkWhere(*pages->screenshot(), gfx::Rect(0, 0, 160, 36), white).any());
    pages->setNumberOfPages(1);
    pages->setHidesForSinglePage(true);
    EXPECT_FALSE(inkWhere(*pages->screenshot(), gfx::Rect(0, 0, 160, 36), white).any());
}

TEST_F(ValueControlsTest, ProgressAndActivityKeepTheirDocumentedShapes) {
    auto progress = ProgressView::initWithProgressViewStyle(ProgressViewStyle::Default);
    EXPECT_EQ(progress->frame().size.height, 9);
    progress->setFrame(gfx::Rect(0, 0, 100, 9));
    progress->setProgress(1.5);
    EXPECT_EQ(progress->progress(), 1);
    progress->setProgress(-1);
    EXPECT_EQ(progress->progress(), 0);
    progress->setProgress(0.25);
    auto shot = progress->screenshot();
    EXPECT_EQ(shot->pixelAt(20, 4), shot->pixelAt(0, 4)); // filled part
    EXPECT_NE(shot->pixelAt(30, 4), shot->pixelAt(0, 4)); // track beyond 25 %

    auto large = ActivityIndicatorView::initWithActivityIndicatorStyle(ActivityIndicatorViewStyle::WhiteLarge);
    auto gray = ActivityIndicatorView::initWithActivityIndicatorStyle(ActivityIndicatorViewStyle::Gray);
    EXPECT_EQ(large->frame().size, (gfx::Size{37, 37}));
    EXPECT_EQ(gray->frame().size, (gfx::Size{20, 20}));
    EXPECT_TRUE(large->isHidden());
    large->startAnimating();
    EXPECT_TRUE(large->isAnimating());
    EXPECT_FALSE(large->isHidden());
    large->stopAnimating();
    EXPECT_TRUE(large->isHidden());
    large->setHidesWhenStopped(false);
    large->setHidden(false);
    large->stopAnimating();
    EXPECT_FALSE(large->isHidden());
}

} // namespace
} // namespace ui
