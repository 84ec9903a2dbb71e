// The tap glow: shown at its frame, fading in and out on the clock, then gone by itself.
#include <gtest/gtest.h>

#include "toolkit/z_simple_tap_highlight_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

using ZSimpleTapHighlightViewTest = WindowFixture;

TEST_F(ZSimpleTapHighlightViewTest, FadesInAndOutThenRemovesItself) {
    std::weak_ptr<ZSimpleTapHighlightView> weak;
    {
        auto glow = ZSimpleTapHighlightView::create();
        glow->setFrame({40, 100, 60, 30});
        glow->showInView(window_);
        weak = glow;
    }
    auto& loop = fnd::RunLoop::main();
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(weak.lock()->frame(), gfx::Rect(40, 100, 60, 30));
    EXPECT_DOUBLE_EQ(weak.lock()->alpha(), 1) << "fading in";
    loop.advance(ZSimpleTapHighlightView::kFadeDuration + 0.01);
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(weak.lock()->superview(), window_);
    EXPECT_DOUBLE_EQ(weak.lock()->alpha(), 0) << "fading out";
    loop.advance(ZSimpleTapHighlightView::kFadeDuration);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(window_->subviews().empty());
}

} // namespace
} // namespace zelvan
