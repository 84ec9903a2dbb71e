// The loading box: in its host only while shown, centred, with a running indicator, and taller with
// a line of text.
#include <gtest/gtest.h>

#include "platform/ui/activity_indicator_view.h"
#include "toolkit/z_simple_loading_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

using ZSimpleLoadingViewTest = WindowFixture;

TEST_F(ZSimpleLoadingViewTest, ShowAndHide) {
    auto loading = ZSimpleLoadingView::create();
    EXPECT_FALSE(loading->superview());
    loading->showInView(window_);
    EXPECT_EQ(loading->superview(), window_);
    EXPECT_EQ(loading->frame(), gfx::Rect(120, 200, 80, 80));
    EXPECT_TRUE(loading->indicator()->isAnimating());
    loading->hide();
    EXPECT_FALSE(loading->superview());
    EXPECT_FALSE(loading->indicator()->isAnimating());

    // Text grows the box downwards and sideways, still centred; the null host is refused.
    loading->setText("Downloading the game, please wait");
    loading->showInView(nullptr);
    EXPECT_FALSE(loading->superview());
    loading->showInView(window_);
    const gfx::Rect box = loading->frame();
    EXPECT_GT(box.height(), ZSimpleLoadingView::kSide);
    EXPECT_LE(box.width(), ZSimpleLoadingView::kMaxWidth);
    EXPECT_NEAR(box.midX(), 160, 0.5);
    EXPECT_NEAR(box.midY(), 240, 0.5);
    loading->hide();
}

} // namespace
} // namespace zelvan
