// Snapshots of a small composed screen: background colours, a drawing view, a layer sublayer, a
// clipped overflow, a half-transparent view and a scaled view, compared with an image built
// directly with the drawing context, saved as PNG (and kept under the build tree to look at).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/application.h"
#include "platform/ui/layer.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

// Draws a black frame one point wide inside its bounds.
class FramedView : public View {
public:
    bool drawsOwnContent() const override { return true; }
    void drawRect(gfx::Rect) override {
        auto ctx = gfx::getCurrentContext();
        ctx->setFillColor(gfx::Color::black());
        gfx::Rect b = bounds();
        ctx->fillRect(gfx::Rect(0, 0, b.size.width, 1));
        ctx->fillRect(gfx::Rect(0, b.size.height - 1, b.size.width, 1));
        ctx->fillRect(gfx::Rect(0, 0, 1, b.size.height));
        ctx->fillRect(gfx::Rect(b.size.width - 1, 0, 1, b.size.height));
    }
};

std::shared_ptr<View> composeScreen() {
    auto screen = View::create(gfx::Rect(0, 0, 80, 60));
    screen->setBackgroundColor(gfx::Color::white());

    auto framed = View::create<FramedView>(gfx::Rect(5, 5, 30, 20));
    framed->setBackgroundColor(gfx::Color::red());
    screen->addSubview(framed);

    // A clipping view whose child overflows to the right.
    auto clip = View::create(gfx::Rect(40, 5, 20, 20));
    clip->setClipsToBounds(true);
    clip->setBackgroundColor(gfx::Color::blue());
    auto overflow = View::create(gfx::Rect(10, 5, 30, 10));
    overflow->setBackgroundColor(gfx::Color::green());
    clip->addSubview(overflow);
    screen->addSubview(clip);

    // Half-transparent black over white gives mid grey.
    auto faded = View::create(gfx::Rect(5, 35, 20, 20));
    faded->setBackgroundColor(gfx::Color::black());
    faded->setAlpha(0.5);
    screen->addSubview(faded);

    // A 10 x 5 view scaled by 2 about its centre (50, 45): covers (40, 40)-(60, 50).
    auto scaled = View::create(gfx::Rect(45, 42.5, 10, 5));
    scaled->setBackgroundColor(gfx::Color::blue());
    scaled->setTransform(gfx::AffineTransform::makeScale(2, 2));
    screen->addSubview(scaled);

    // A layer sublayer of the screen view's own layer, above its background.
    auto dot = Layer::create();
    dot->setFrame(gfx::Rect(70, 50, 6, 6));
    dot->setBackgroundColor(gfx::Color::green());
    screen->layer()->addSublayer(dot);

    // Hidden views draw nothing.
    auto hidden = View::create(gfx::Rect(0, 0, 80, 60));
    hidden->setBackgroundColor(gfx::Color::black());
    hidden->setHidden(true);
    screen->addSubview(hidden);
    return screen;
}

gfx::ImagePtr expectedScreen() {
    auto ctx = gfx::Context::createView(80, 60);
    auto fill = [&](gfx::Color c, gfx::Rect r) {
        ctx->setFillColor(c);
        ctx->fillRect(r);
    };
    fill(gfx::Color::white(), gfx::Rect(0, 0, 80, 60));
    fill(gfx::Color::red(), gfx::Rect(5, 5, 30, 20));
    fill(gfx::Color::black(), gfx::Rect(5, 5, 30, 1));
    fill(gfx::Color::black(), gfx::Rect(5, 24, 30, 1));
    fill(gfx::Color::black(), gfx::Rect(5, 5, 1, 20));
    fill(gfx::Color::black(), gfx::Rect(34, 5, 1, 20));
    fill(gfx::Color::blue(), gfx::Rect(40, 5, 20, 20));
    fill(gfx::Color::green(), gfx::Rect(50, 10, 10, 10));
    fill(gfx::Color(0.5, 0.5, 0.5, 1), gfx::Rect(5, 35, 20, 20));
    fill(gfx::Color::blue(), gfx::Rect(40, 40, 20, 10));
    fill(gfx::Color::green(), gfx::Rect(70, 50, 6, 6));
    return ctx->makeImage();
}

// The largest difference of any channel over all pixels.
int maxDifference(const gfx::Image& a, const gfx::Image& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            gfx::Rgba8 p = a.pixelAt(x, y);
            gfx::Rgba8 q = b.pixelAt(x, y);
            worst =
                std::max({worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b), std::abs(p.a - q.a)});
        }
    }
    return worst;
}

TEST(SnapshotTest, ComposedScreenMatchesTheExpectedImage) {
    auto screen = composeScreen();
    auto image = Snapshot::captureView(*screen);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width(), 80);
    ASSERT_EQ(image->height(), 60);
    auto expected = expectedScreen();
    EXPECT_LE(maxDifference(*image, *expected), 2);
    // Spot checks that name what a person would see.
    EXPECT_EQ(image->pixelAt(55, 12).g, 255);                            // the overflow inside the clip
    EXPECT_EQ(image->pixelAt(62, 12), (gfx::Rgba8{255, 255, 255, 255})); // clipped away
    EXPECT_NEAR(image->pixelAt(10, 40).r, 128, 2);

    // Saved as PNG, it reads back as the same picture.
    const char* home = std::getenv("ZELVAN_HOME");
    ASSERT_NE(home, nullptr);
    const std::string path = std::string(home) + "/composed-screen.png";
    ASSERT_TRUE(Snapshot::saveViewAsPng(*screen, path));
    auto reread = gfx::Image::imageWithContentsOfFile(path);
    ASSERT_TRUE(reread);
    EXPECT_EQ(maxDifference(*reread, *image), 0);
    // A copy for a person to look at, under the build tree (the test's working directory).
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(Snapshot::saveViewAsPng(*screen, "screenshots/ui-composed-screen.png"));

    // An empty view has nothing to capture.
    auto empty = View::create(gfx::Rect(0, 0, 0, 10));
    EXPECT_EQ(Snapshot::captureView(*empty), nullptr);
    EXPECT_FALSE(Snapshot::saveViewAsPng(*empty, std::string(home) + "/empty.png"));
}

TEST(SnapshotTest, ApplicationDumpsEveryWindow) {
    auto window = View::create<Window>(gfx::Rect(0, 0, 20, 10));
    window->setBackgroundColor(gfx::Color::red());
    window->makeKeyAndVisible();
    const std::string folder = std::string(std::getenv("ZELVAN_HOME")) + "/screens";
    const int written = Application::shared().dumpScreens(folder);
    EXPECT_EQ(written, static_cast<int>(Application::shared().windows().size()));
    const std::string last = folder + "/window-" + std::to_string(written - 1) + ".png";
    auto image = gfx::Image::imageWithContentsOfFile(last);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(3, 3), (gfx::Rgba8{255, 0, 0, 255}));
}

} // namespace
} // namespace ui
