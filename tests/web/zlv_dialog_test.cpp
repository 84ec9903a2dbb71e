// The framed dialog: covering its view, the centred frame sized from the preferred content size (a
// side of 0 keeping its default) and clamped to the view, contentViewDidAppear after the fade-in under
// the manual clock, hiding by the close button, and a hide overtaken by a new show.
#include <gtest/gtest.h>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/button.h"
#include "web/zlv_dialog.h"

namespace zelvan {
namespace {

class CountingDialog : public ZLVDialog {
public:
    CountingDialog() { preferredContentSize_ = {200, 100}; }
    void loadContentView() override {
        ++loads;
        contentView()->addSubview(View::create(contentView()->bounds()));
    }
    void contentViewDidAppear() override { ++appearances; }
    int loads = 0;
    int appearances = 0;
};

class ZLVDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        host_ = ui::View::create(gfx::Rect(0, 0, 320, 480));
        dialog_ = ui::View::create<CountingDialog>(gfx::Rect());
    }
    void TearDown() override {
        dialog_->hide(ui::Animated::No);
        advance(1);
        fnd::Clock::install(nullptr);
    }
    static void advance(double seconds) { fnd::RunLoop::main().advance(seconds); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::View> host_;
    std::shared_ptr<CountingDialog> dialog_;
};

TEST_F(ZLVDialogTest, ShowsCentredAndAppearsAfterTheFade) {
    dialog_->showInView(host_, ui::Animated::Yes);
    EXPECT_EQ(dialog_->superview(), host_);
    EXPECT_EQ(dialog_->frame(), host_->bounds());
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(dialog_->frameView()->frame(), gfx::Rect(50, 180, 220, 120));
    EXPECT_EQ(dialog_->contentView()->frame(), gfx::Rect(10, 10, 200, 100));
    EXPECT_EQ(dialog_->closeButton()->frame(), gfx::Rect(190, 0, 30, 30));
    EXPECT_EQ(dialog_->loads, 1);
    EXPECT_EQ(dialog_->appearances, 0);
    advance(ZLVDialog::kAnimationDuration - 0.01);
    EXPECT_EQ(dialog_->appearances, 0);
    advance(0.02);
    EXPECT_EQ(dialog_->appearances, 1);
    EXPECT_DOUBLE_EQ(dialog_->alpha(), 1);

    // The close button fades the dialog out; it keeps itself alive and leaves at the end.
    std::weak_ptr<CountingDialog> weak = dialog_;
    dialog_->closeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->superview(), host_);
    auto kept = std::exchange(dialog_, nullptr);
    kept.reset();
    ASSERT_FALSE(weak.expired());
    advance(ZLVDialog::kAnimationDuration + 0.01);
    EXPECT_TRUE(host_->subviews().empty());
    EXPECT_TRUE(weak.expired());
    dialog_ = ui::View::create<CountingDialog>(gfx::Rect());
}

TEST_F(ZLVDialogTest, FrameIsClampedToTheViewAndFollowsIt) {
    dialog_->setPreferredContentSize({1000, 50});
    dialog_->showInView(host_, ui::Animated::No);
    EXPECT_EQ(dialog_->appearances, 1); // at once without the fade
    EXPECT_EQ(dialog_->frameView()->frame(), gfx::Rect(0, 205, 320, 70));
    EXPECT_EQ(dialog_->contentView()->frame(), gfx::Rect(10, 10, 300, 50));

    // A side left at 0 keeps the default for that side rather than an empty content view.
    dialog_->setPreferredContentSize({0, 100});
    dialog_->layoutIfNeeded();
    EXPECT_EQ(dialog_->contentView()->frame(), gfx::Rect(10, 10, ZLVDialog::kDefaultContentWidth, 100));
    dialog_->setPreferredContentSize({150, 0});
    dialog_->layoutIfNeeded();
    EXPECT_EQ(dialog_->frameView()->frame(), gfx::Rect(75, 130, 170, 220));
    dialog_->setPreferredContentSize({1000, 50});

    host_->setFrame(gfx::Rect(0, 0, 200, 40));
    dialog_->layoutIfNeeded();
    EXPECT_EQ(dialog_->frame(), host_->bounds());
    EXPECT_EQ(dialog_->frameView()->frame(), gfx::Rect(0, 0, 200, 40));
    EXPECT_EQ(dialog_->contentView()->frame(), gfx::Rect(10, 10, 180, 20));
}

TEST_F(ZLVDialogTest, ANewShowOvertakesAHide) {
    dialog_->showInView(host_, ui::Animated::No);
    dialog_->hide(ui::Animated::Yes);
    advance(0.1);
    dialog_->showInView(host_, ui::Animated::Yes);
    advance(ZLVDialog::kAnimationDuration + 0.01);
    EXPECT_EQ(dialog_->superview(), host_);
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_DOUBLE_EQ(dialog_->alpha(), 1);
    EXPECT_EQ(dialog_->appearances, 2); // the plain show and the fade-in; the hide's end did nothing
}

} // namespace
} // namespace zelvan
