// The layout and display passes: they run at the end of a main-loop pass (or on flush), layout
// before display, drawRect only for damaged views that draw their own content, partial damage
// keeping the rest of the store, hidden views waiting, and backed views drawn from another thread.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "platform/foundation/run_loop.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/application.h"
#include "platform/ui/backed_view.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

// Fills what it is asked to draw with its colour and records the rects.
class PaintView : public View {
public:
    explicit PaintView(gfx::Color color) : color_(color) {}
    bool drawsOwnContent() const override { return true; }
    void drawRect(gfx::Rect rect) override {
        rects.push_back(rect);
        auto ctx = gfx::getCurrentContext();
        ASSERT_TRUE(ctx);
        ctx->setFillColor(color_);
        ctx->fillRect(rect);
    }
    void setColor(gfx::Color color) { color_ = color; }
    std::vector<gfx::Rect> rects;

private:
    gfx::Color color_;
};

// Counts layout passes and, on each, recolours a painting subview.
class LayoutView : public View {
public:
    void layoutSubviews() override {
        ++layouts;
        if (auto painter = painter_.lock()) {
            painter->setColor(gfx::Color::blue());
            painter->setNeedsDisplay();
        }
    }
    int layouts = 0;
    std::weak_ptr<PaintView> painter_;
};

gfx::Rgba8 rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return gfx::Rgba8{r, g, b, a};
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = View::create<Window>(gfx::Rect(0, 0, 100, 100));
        window_->makeKeyAndVisible();
        red_ = View::create<PaintView>(gfx::Rect(0, 0, 40, 40), gfx::Color::red());
        green_ = View::create<PaintView>(gfx::Rect(50, 0, 40, 40), gfx::Color::green());
        plain_ = View::create(gfx::Rect(0, 50, 40, 40));
        window_->addSubview(red_);
        window_->addSubview(green_);
        window_->addSubview(plain_);
        Application::shared().flush();
    }
    void TearDown() override { window_->setHidden(true); }
    std::shared_ptr<Window> window_;
    std::shared_ptr<PaintView> red_;
    std::shared_ptr<PaintView> green_;
    std::shared_ptr<View> plain_;
};

TEST_F(DisplayTest, OnlyDamagedViewsRedrawAtTheEndOfAPass) {
    ASSERT_EQ(red_->rects.size(), 1u);
    ASSERT_EQ(green_->rects.size(), 1u);
    EXPECT_EQ(red_->rects[0], gfx::Rect(0, 0, 40, 40));
    EXPECT_EQ(plain_->backingStore(), nullptr); // no drawRect, no store
    EXPECT_NE(red_->backingStore(), nullptr);

    // Nothing damaged: another pass draws nothing.
    fnd::RunLoop::main().post([] {});
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(red_->rects.size(), 1u);

    // Damage is drawn by the pass observer, without flush().
    green_->setNeedsDisplay();
    plain_->setNeedsDisplay();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(red_->rects.size(), 1u);
    EXPECT_EQ(green_->rects.size(), 2u);
    EXPECT_EQ(plain_->backingStore(), nullptr);

    auto image = window_->screenshot();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(20, 20), rgba(255, 0, 0));
    EXPECT_EQ(image->pixelAt(70, 20), rgba(0, 255, 0));
    EXPECT_EQ(image->pixelAt(45, 20), rgba(0, 0, 0, 0));
}

TEST_F(DisplayTest, PartialDamageKeepsTheRestOfTheStore) {
    red_->setColor(gfx::Color::blue());
    red_->setNeedsDisplayInRect(gfx::Rect(0, 0, 10, 10));
    red_->setNeedsDisplayInRect(gfx::Rect(30, 30, 5, 5)); // unions with the first
    Application::shared().flush();
    ASSERT_EQ(red_->rects.size(), 2u);
    EXPECT_EQ(red_->rects[1], gfx::Rect(0, 0, 35, 35));
    auto image = window_->screenshot();
    EXPECT_EQ(image->pixelAt(5, 5), rgba(0, 0, 255));
    EXPECT_EQ(image->pixelAt(34, 34), rgba(0, 0, 255));
    EXPECT_EQ(image->pixelAt(37, 37), rgba(255, 0, 0)); // outside the damage: the old pixels
    EXPECT_EQ(image->pixelAt(37, 2), rgba(255, 0, 0));
}

TEST_F(DisplayTest, LayoutRunsBeforeDisplayAndHiddenViewsWait) {
    auto layout = View::create<LayoutView>(gfx::Rect(0, 0, 100, 100));
    window_->addSubview(layout);
    layout->painter_ = red_;
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(layout->layouts, 1);
    // The damage layoutSubviews recorded was drawn in the same pass.
    EXPECT_EQ(red_->rects.size(), 2u);
    layout->setNeedsLayout();
    layout->setNeedsLayout();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(layout->layouts, 2);
    layout->layoutIfNeeded(); // nothing pending
    EXPECT_EQ(layout->layouts, 2);
    // A size change asks for layout.
    layout->setFrame(gfx::Rect(0, 0, 50, 50));
    Application::shared().flush();
    EXPECT_EQ(layout->layouts, 3);

    green_->setHidden(true);
    green_->setNeedsDisplay();
    Application::shared().flush();
    EXPECT_EQ(green_->rects.size(), 1u);
    green_->setHidden(false);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(green_->rects.size(), 2u);
}

TEST_F(DisplayTest, BackedViewIsDrawnFromAnotherThread) {
    auto backed = View::create<BackedView>(gfx::Rect(0, 50, 40, 40));
    window_->addSubview(backed);
    std::thread painter([&] {
        backed->withBackingContext([](gfx::Context& ctx) {
            ctx.setFillColor(gfx::Color::blue());
            ctx.fillRect(gfx::Rect(0, 0, 20, 10)); // y-down: the top-left corner
        });
    });
    painter.join();
    auto copy = Snapshot::captureBackingStore(*backed);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pixelAt(5, 5), rgba(0, 0, 255));
    EXPECT_EQ(copy->pixelAt(5, 15), rgba(0, 0, 0, 0));
    auto image = window_->screenshot();
    EXPECT_EQ(image->pixelAt(5, 55), rgba(0, 0, 255));
    EXPECT_EQ(image->pixelAt(5, 65), rgba(0, 0, 0, 0));

    // The window's composed frame is made on main and read from anywhere.
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(window_->lastComposedFrame(), nullptr); // asks for a composition
    fnd::RunLoop::main().runUntilIdle();
    auto frame = window_->lastComposedFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->pixelAt(5, 55), rgba(0, 0, 255));
}

} // namespace
} // namespace ui
