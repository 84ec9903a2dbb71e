// The offer kit's scroll bar on a scroll view under the manual clock: arrow taps and holds, the step
// rules at the ends, slider placement and dragging, the one-point glide and content that does not scroll.
#include "offers/orvane/kit/ui_scroll_bar.h"

#include <cmath>

#include "tests/offers/orvane/widget_test_support.h"

namespace zelvan::orvane {
namespace {

using widget_test::centerInWindow;
using widget_test::TouchDriver;

class UIScrollBarTest : public widget_test::WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        scroll_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 0, 100, 100));
        scroll_->setContentSize(gfx::Size(100, 300)); // maxY 200
        window_->addSubview(scroll_);
        images_ = widget_test::scrollBarImages();
        bar_ = UIScrollBar::initWithFrame(gfx::Rect(100, 0, images_[0]->size().width, 100), scroll_, images_);
        window_->addSubview(bar_);
        advance(0.01);
    }
    double offset() const { return scroll_->contentOffset().y; }
    gfx::Point downArrow() const { return centerInWindow(*bar_->bottomImageView()); }

    std::shared_ptr<ui::ScrollView> scroll_;
    std::vector<gfx::ImagePtr> images_;
    std::shared_ptr<UIScrollBar> bar_;
};

TEST_F(UIScrollBarTest, ArrowsStepOnceOnATapAndRepeatWhileHeld) {
    EXPECT_EQ(scroll_->delegate().get(), static_cast<ui::ScrollViewDelegate*>(bar_.get()));
    TouchDriver::touchDown(1, downArrow());
    TouchDriver::touchUp(1);
    advance(1);
    EXPECT_EQ(offset(), 1); // the pending repeat finds the arrow let go

    TouchDriver::touchDown(1, downArrow());
    advance(0.1);
    EXPECT_GT(offset(), 10);
    EXPECT_LT(offset(), 199);
    advance(3);
    EXPECT_EQ(offset(), 199); // stops one step short of the bottom
    TouchDriver::touchUp(1);

    TouchDriver::touchDown(1, centerInWindow(*bar_->topImageView()));
    advance(0.5);
    TouchDriver::touchUp(1);
    EXPECT_LT(offset(), 150);

    bar_->setContinuousScrolling(false);
    const double before = offset();
    TouchDriver::touchDown(1, downArrow());
    advance(1);
    TouchDriver::touchUp(1);
    EXPECT_EQ(offset(), before + 1);

    scroll_->setContentOffset(gfx::Point(0, 0.5));
    bar_->moveUp(*bar_->topImageView());
    EXPECT_EQ(offset(), 0.5); // the offset must exceed the step
}

TEST_F(UIScrollBarTest, SliderFollowsTheOffsetAndDragsToBothEnds) {
    const double top = images_[UIScrollBar::kTopImage]->size().height;
    const double bottom = images_[UIScrollBar::kBottomImage]->size().height;
    const double slider = images_[UIScrollBar::kSliderImage]->size().height;
    EXPECT_EQ(bar_->availableHeight(), 100 - top - bottom - slider);
    scroll_->setContentOffset(gfx::Point(0, 200));
    EXPECT_DOUBLE_EQ(bar_->sliderImageView()->frame().maxY(), 100 - bottom);
    scroll_->setContentOffset(gfx::Point(0, 100));
    EXPECT_DOUBLE_EQ(bar_->sliderImageView()->frame().origin.y, top + bar_->availableHeight() / 2);

    TouchDriver::touchDown(1, centerInWindow(*bar_->sliderImageView()));
    TouchDriver::touchMove(1, gfx::Point(110, -40));
    EXPECT_EQ(offset(), 0);
    EXPECT_EQ(bar_->sliderImageView()->frame().origin.y, top);
    TouchDriver::touchMove(1, gfx::Point(110, 400));
    EXPECT_EQ(offset(), 200);
    TouchDriver::touchUp(1);

    // A touch on the track beside the slider drags nothing.
    scroll_->setContentOffset(gfx::Point(0, 0));
    TouchDriver::touchDown(1, gfx::Point(centerInWindow(*bar_).x, 100 - bottom - 2));
    TouchDriver::touchMove(1, gfx::Point(110, 400));
    TouchDriver::touchUp(1);
    EXPECT_EQ(offset(), 0);

    // Built once: a second set-up changes nothing.
    const auto arrow = bar_->topImageView();
    const size_t views = bar_->subviews().size();
    bar_->initScrollBar(images_);
    EXPECT_EQ(bar_->topImageView(), arrow);
    EXPECT_EQ(bar_->subviews().size(), views);
}

TEST_F(UIScrollBarTest, GlideLandsOnTheTargetFromAFractionalStart) {
    scroll_->setContentOffset(gfx::Point(0, 0.5));
    bar_->setContentOffset(10);
    advance(1);
    EXPECT_EQ(offset(), 10);
    bar_->setContentOffset(2.25);
    advance(1);
    EXPECT_EQ(offset(), 2.25);
}

TEST_F(UIScrollBarTest, ContentShorterThanTheViewKeepsTheSliderAtItsTop) {
    const double top = images_[UIScrollBar::kTopImage]->size().height;
    scroll_->setContentSize(gfx::Size(100, 60));
    scroll_->setContentOffset(gfx::Point(0, 5));
    const double y = bar_->sliderImageView()->frame().origin.y;
    EXPECT_TRUE(std::isfinite(y));
    EXPECT_EQ(y, top);
    TouchDriver::touchDown(1, centerInWindow(*bar_->sliderImageView()));
    TouchDriver::touchMove(1, gfx::Point(110, 90));
    TouchDriver::touchUp(1);
    TouchDriver::touchDown(1, downArrow());
    advance(0.5);
    TouchDriver::touchUp(1);
    EXPECT_EQ(offset(), 5);
}

} // namespace
} // namespace zelvan::orvane
