// The search bar's delegate calls through the keyboard and touch drivers, and a screenshot of a
// composed screen (search bar, radial gradient panel, masked image, tiled strip) for a person to see.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/search_bar.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/text_field.h"

namespace ui {
namespace {

using namespace controls_test;
using Calls = std::vector<std::string>;

class RecordingSearchDelegate : public SearchBarDelegate {
public:
    void searchBarSearchButtonClicked(SearchBar& bar) override { calls.push_back("search:" + bar.text()); }
    void searchBarCancelButtonClicked(SearchBar&) override { calls.push_back("cancel"); }
    void searchBarTextDidChange(SearchBar&, const std::string& text) override { calls.push_back("text:" + text); }
    Calls calls;
};

class SearchBarTest : public ControlsTest {};

TEST_F(SearchBarTest, DelegateHearsTypingSearchAndCancel) {
    auto bar = View::create<SearchBar>(gfx::Rect(0, 0, 320, 44));
    window_->addSubview(bar);
    auto delegate = std::make_shared<RecordingSearchDelegate>();
    bar->setDelegate(delegate);
    bar->setPlaceholder("Search");
    bar->setText("set quietly");
    EXPECT_EQ(bar->textField()->placeholder(), "Search");
    EXPECT_EQ(bar->textField()->returnKeyType(), ReturnKeyType::Search);

    bar->setText("");
    ASSERT_TRUE(bar->becomeFirstResponder());
    ASSERT_TRUE(testing::Keyboard::type("ab"));
    ASSERT_TRUE(testing::Keyboard::pressReturn());
    bar->setShowsCancelButton(true, Animated::Yes);
    ASSERT_NE(bar->cancelButton(), nullptr);
    EXPECT_LT(bar->textField()->frame().maxX(), bar->cancelButton()->frame().minX());
    gfx::Rect cancel = bar->cancelButton()->frame();
    TouchDriver::tap(window_, gfx::Point{cancel.midX(), cancel.midY()});
    ASSERT_TRUE(testing::Keyboard::backspace());
    EXPECT_EQ(delegate->calls, (Calls{"text:a", "text:ab", "search:ab", "cancel", "text:a"}));

    // Hidden again, the button is gone and the field takes the width back.
    bar->setShowsCancelButton(false);
    EXPECT_EQ(bar->cancelButton()->superview(), nullptr);
    EXPECT_EQ(bar->textField()->frame().maxX(), 314);
}

// A panel filled with a radial gradient.
class GradientPanel : public View {
public:
    bool drawsOwnContent() const override { return true; }
    void drawRect(gfx::Rect) override {
        const double components[] = {1, 0.9, 0.3, 1, 0.2, 0.3, 0.8, 1};
        auto g = gfx::Gradient::withColorComponents(components, {});
        gfx::Rect b = bounds();
        gfx::Point c{b.midX(), b.midY()};
        gfx::getCurrentContext()->drawRadialGradient(*g, c, 0, c, b.height() / 2,
                                                     gfx::GradientDrawingOptions::DrawsAfterEnd);
    }
};

// A strip of tiles clipped to an ellipse-capped band.
class TiledStrip : public View {
public:
    explicit TiledStrip(gfx::ImagePtr tile) : tile_(std::move(tile)) {}
    bool drawsOwnContent() const override { return true; }
    void drawRect(gfx::Rect) override {
        auto ctx = gfx::getCurrentContext();
        ctx->drawTiledImage(gfx::Rect(0, 0, 8, 8), *tile_);
        ctx->setStrokeColor(gfx::Color::black());
        ctx->strokeEllipseInRect(bounds().insetBy(2, 2));
    }

private:
    gfx::ImagePtr tile_;
};

TEST_F(SearchBarTest, ComposedScreenShot) {
    auto screen = View::create(gfx::Rect(0, 0, 320, 200));
    screen->setBackgroundColor(gfx::Color::white());
    auto bar = View::create<SearchBar>(gfx::Rect(0, 0, 320, 44));
    bar->setTintColor(gfx::Color(0.2, 0.4, 0.7, 1));
    bar->setPlaceholder("Search");
    bar->setShowsCancelButton(true);
    screen->addSubview(bar);
    screen->addSubview(View::create<GradientPanel>(gfx::Rect(0, 44, 200, 100)));

    // A red square masked by a disc: black in the mask paints.
    auto maskCtx = gfx::Context::createView(40, 40);
    maskCtx->setFillColor(gfx::Color::white());
    maskCtx->fillRect(gfx::Rect(0, 0, 40, 40));
    maskCtx->setFillColor(gfx::Color::black());
    maskCtx->fillEllipseInRect(gfx::Rect(0, 0, 40, 40));
    auto redCtx = gfx::Context::createView(40, 40);
    redCtx->setFillColor(gfx::Color::red());
    redCtx->fillRect(gfx::Rect(0, 0, 40, 40));
    auto disc = redCtx->makeImage()->imageWithMask(*maskCtx->makeImage());
    auto discView = ImageView::initWithImage(disc);
    discView->setFrame(gfx::Rect(240, 70, 40, 40));
    screen->addSubview(discView);

    fnd::Bytes checker;
    for (int i = 0; i < 4; ++i) {
        bool dark = i == 0 || i == 3;
        checker.insert(checker.end(), {uint8_t(dark ? 90 : 230), uint8_t(dark ? 60 : 230), 30, 255});
    }
    screen->addSubview(View::create<TiledStrip>(gfx::Rect(0, 160, 320, 40), gfx::Image::fromPixels(2, 2, checker)));

    auto image = Snapshot::captureView(*screen);
    ASSERT_TRUE(image);
    EXPECT_NEAR(image->pixelAt(100, 94).r, 255, 3);              // the gradient's centre
    EXPECT_NEAR(image->pixelAt(2, 142).b, 204, 10);              // its padded edge
    EXPECT_EQ(image->pixelAt(260, 90).r, 255);                   // inside the disc
    EXPECT_EQ(image->pixelAt(241, 71).g, 255);                   // the disc's masked-out corner shows white
    EXPECT_NE(image->pixelAt(20, 180), image->pixelAt(24, 180)); // neighbouring tiles differ
    EXPECT_EQ(image->pixelAt(20, 180), image->pixelAt(36, 180)); // and repeat every 8 points
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(Snapshot::saveViewAsPng(*screen, "screenshots/ui-drawing-extras.png"));
}

} // namespace
} // namespace ui
