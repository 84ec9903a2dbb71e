// The progress box: values clamped to 0...1, the bar following them at once or through a logged
// view animation.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/animation_log.h"
#include "toolkit/z_simple_progress_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

using ZSimpleProgressViewTest = WindowFixture;

TEST_F(ZSimpleProgressViewTest, ClampsAndMovesTheBar) {
    auto progress = ZSimpleProgressView::create();
    progress->showInView(window_);
    EXPECT_EQ(progress->superview(), window_);
    EXPECT_NEAR(progress->frame().midX(), 160, 0.5);
    const double track = progress->track()->frame().width();
    ASSERT_GT(track, 100);

    const struct {
        double in;
        double out;
    } cases[] = {{0.5, 0.5}, {1.7, 1}, {-0.2, 0}, {NAN, 0}, {0.25, 0.25}, {INFINITY, 1}};
    for (const auto& c : cases) {
        progress->updateProgress(c.in, ui::Animated::No);
        EXPECT_DOUBLE_EQ(progress->progress(), c.out) << c.in;
        EXPECT_DOUBLE_EQ(progress->bar()->frame().width(), track * c.out) << c.in;
    }

    ui::AnimationLog::clear();
    progress->updateProgress(0.75, ui::Animated::Yes);
    EXPECT_DOUBLE_EQ(progress->bar()->frame().width(), track * 0.75);
    const auto entries = ui::AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_DOUBLE_EQ(entries[0].duration, ZSimpleProgressView::kAnimationDuration);
    progress->hide();
    EXPECT_FALSE(progress->superview());
}

} // namespace
} // namespace zelvan
