// The mask: covering the host with its message, removed at once or only after the fade, and a
// show during a fade-out keeping it.
#include <gtest/gtest.h>

#include "platform/ui/label.h"
#include "toolkit/z_mask_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

class ZMaskViewTest : public WindowFixture {
protected:
    static void advance(double seconds) { fnd::RunLoop::main().advance(seconds); }
};

TEST_F(ZMaskViewTest, AnimatedHideRemovesAfterTheFade) {
    std::weak_ptr<ZMaskView> weak;
    {
        auto mask = ZMaskView::create();
        mask->showMaskInView(window_, "Connecting...", ui::Animated::Yes);
        EXPECT_EQ(mask->frame(), gfx::Rect(0, 0, 320, 480));
        EXPECT_EQ(mask->messageLabel()->text(), "Connecting...");
        EXPECT_NEAR(mask->messageLabel()->frame().midY(), 240, 1);
        advance(ZMaskView::kFadeDuration);
        mask->hideMask(ui::Animated::Yes);
        weak = mask;
    }
    // The caller let go; the fading mask stays in place until the fade ends.
    advance(ZMaskView::kFadeDuration - 0.05);
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(weak.lock()->superview(), window_);
    advance(0.1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(window_->subviews().empty());
}

TEST_F(ZMaskViewTest, ImmediateHideAndShowDuringFade) {
    auto mask = ZMaskView::create();
    mask->showMaskInView(window_, "Saving", ui::Animated::No);
    EXPECT_DOUBLE_EQ(mask->alpha(), 1);
    mask->hideMask(ui::Animated::No);
    EXPECT_FALSE(mask->superview());

    mask->showMaskInView(window_, "Saving", ui::Animated::No);
    mask->hideMask(ui::Animated::Yes);
    advance(0.1);
    mask->showMaskInView(window_, "Saving again", ui::Animated::No);
    advance(1);
    EXPECT_EQ(mask->superview(), window_) << "an overtaken fade-out does not remove the mask";
    EXPECT_DOUBLE_EQ(mask->alpha(), 1);
}

} // namespace
} // namespace zelvan
