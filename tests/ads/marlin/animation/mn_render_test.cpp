// Drawing the animation scene, read back from the view's framebuffer: texture sizes and placement, depth
// clipping, opacity, the pattern kinds and round caps, re-rasterising, resizing the surface, and shapes
// too large (or not finite) to rasterise.
#include <gtest/gtest.h>

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/animation/mn_character.h"
#include "ads/marlin/animation/mn_shape.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/ui/snapshot.h"

namespace zelvan::marlin {
namespace {

using fnd::Value;

Value seg(const char* action, double x, double y) {
    return Value::dictionary({{"action", action}, {"x", x}, {"y", y}});
}

// A path entry: the rectangle (x, y, w, h) filled with `fill` ("m" is absolute, "l" relative).
Value rectPath(double x, double y, double w, double h, const char* fill) {
    return Value::dictionary(
        {{"path", Value::array({seg("m", x, y), seg("l", w, 0), seg("l", 0, h), seg("l", -w, 0), seg("z", 0, 0)})},
         {"fillId", fill}});
}

// A shape entry with explicit bounds.
Value shapeEntry(std::initializer_list<Value> paths, double x, double y, double w, double h) {
    auto list = Value::array();
    for (const Value& p : paths) {
        list.asArray()->addObject(p);
    }
    return Value::dictionary({{"paths", list}, {"x", x}, {"y", y}, {"w", w}, {"h", h}});
}

// Within one step of RGB565 of the expected colour.
::testing::AssertionResult near(gfx::Rgba8 got, int r, int g, int b) {
    if (std::abs(got.r - r) <= 12 && std::abs(got.g - g) <= 12 && std::abs(got.b - b) <= 12) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got (" << int(got.r) << ", " << int(got.g) << ", " << int(got.b)
                                         << "), want (" << r << ", " << g << ", " << b << ")";
}

class MNRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        view_ = MNEAGLView::createView<MNAnimationView>(gfx::Rect(0, 0, 200, 100));
        ASSERT_TRUE(view_);
    }
    void TearDown() override { ui::EaglContext::setCurrentContext(nullptr); }

    // A shape instance `key` of the library entry `entry`, placed in `sprite` at `layer` at (x, y).
    std::shared_ptr<MNShape> place(const std::string& key, const Value& entry, double x, double y, unsigned layer,
                                   std::shared_ptr<MNSprite> sprite = nullptr) {
        shapes_.asDictionary()->setObject(entry, fnd::Key(key));
        view_->setShapesWithProperties(shapes_.asDictionary());
        auto shape = std::dynamic_pointer_cast<MNShape>(view_->shapeInstanceWithKey(key, key, true));
        shape->setTransform(gfx::AffineTransform::makeTranslation(x, y));
        (sprite ? sprite : view_->root())->placeObj(shape, layer);
        return shape;
    }
    // Draws a frame and reads the framebuffer back (the caller's current context is kept).
    gfx::ImagePtr frame() {
        view_->renderScene();
        auto previous = ui::EaglContext::currentContext();
        EXPECT_TRUE(ui::EaglContext::setCurrentContext(view_->context()));
        view_->context()->gl().bindFramebuffer(GL_FRAMEBUFFER_OES, view_->viewFramebuffer());
        gfx::ImagePtr image = view_->context()->gl().readPixels();
        ui::EaglContext::setCurrentContext(previous);
        return image;
    }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<MNAnimationView> view_;
    Value shapes_ = Value::dictionary();
};

TEST(MNEAGLViewTest, BitSizes) {
    const std::vector<std::pair<float, int>> cases = {
        {0.3F, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {8, 3}, {0, 0}, {-5, 0}, {std::nanf(""), 0}, {1e30F, 32}};
    for (const auto& [x, bits] : cases) {
        EXPECT_EQ(MNEAGLView::bitSizeForNumber(x), bits) << x;
    }
}

TEST_F(MNRenderTest, ShapeTextureIsAPowerOfTwoAndLandsOnItsBounds) {
    auto shape = place("red", shapeEntry({rectPath(0, 0, 100, 30, "#FF0000")}, 0, 0, 100, 30), 10, 20, 1);
    // The caller's current context survives a frame.
    auto other = ui::EaglContext::create(ui::EaglContext::API::Gles1);
    ASSERT_TRUE(ui::EaglContext::setCurrentContext(other));
    auto image = frame();
    EXPECT_EQ(ui::EaglContext::currentContext(), other);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 200);
    EXPECT_EQ(image->height(), 100);
    EXPECT_EQ(shape->contentsSize(), gfx::Size(128, 32));
    EXPECT_DOUBLE_EQ(100.0 / shape->contentsSize().width, 0.78125);
    EXPECT_DOUBLE_EQ(1.0 - 30.0 / shape->contentsSize().height, 0.0625);
    EXPECT_NE(shape->contentsTextureID(), MNShape::kNoTexture);
    // Top-left origin, y down, in view points.
    EXPECT_TRUE(near(image->pixelAt(11, 21), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(108, 48), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(8, 21), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(112, 21), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(11, 18), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(11, 52), 0, 0, 0));
    // The presented frame is the layer's contents.
    ASSERT_TRUE(view_->eaglLayer()->contents());
    EXPECT_TRUE(near(view_->eaglLayer()->contents()->pixelAt(11, 21), 255, 0, 0));

    // Leaving the sprite frees the texture; placed again, the shape is rasterised afresh.
    view_->root()->removeObject(shape);
    EXPECT_EQ(shape->contentsTextureID(), MNShape::kNoTexture);
    EXPECT_TRUE(shape->contentsData().empty());
    EXPECT_TRUE(near(frame()->pixelAt(11, 21), 0, 0, 0));
    view_->root()->placeObj(shape, 1);
    EXPECT_TRUE(near(frame()->pixelAt(11, 21), 255, 0, 0));
    EXPECT_NE(shape->contentsTextureID(), MNShape::kNoTexture);
}

TEST_F(MNRenderTest, ClipMasksTheLayersItCoversAndNeverShows) {
    auto sprite = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("s", true));
    view_->root()->placeObj(sprite, 0);
    place("bar4", shapeEntry({rectPath(0, 0, 200, 20, "#FF0000")}, 0, 0, 200, 20), 0, 10, 4, sprite);
    place("bar5", shapeEntry({rectPath(0, 0, 200, 20, "#00FF00")}, 0, 0, 200, 20), 0, 40, 5, sprite);
    place("bar6", shapeEntry({rectPath(0, 0, 200, 20, "#0000FF")}, 0, 0, 200, 20), 0, 70, 6, sprite);
    shapes_.asDictionary()->setObject(shapeEntry({rectPath(0, 0, 50, 100, "#FFFFFF")}, 0, 0, 50, 100),
                                      fnd::Key("clip"));
    view_->setShapesWithProperties(shapes_.asDictionary());
    auto clip = view_->shapeInstanceWithKey("clip", "clip", true);
    sprite->placeClippingObj(clip, 3, 2);

    auto image = frame();
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->pixelAt(25, 15), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(100, 15), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(25, 45), 0, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(100, 45), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(25, 75), 0, 0, 255));
    EXPECT_TRUE(near(image->pixelAt(150, 75), 0, 0, 255));
    EXPECT_TRUE(near(image->pixelAt(25, 95), 0, 0, 0)); // the clip itself is not drawn
    // The next frame draws the same (the pass leaves no depth behind).
    EXPECT_TRUE(near(frame()->pixelAt(100, 15), 0, 0, 0));
}

TEST_F(MNRenderTest, ZeroOpacitySkipsTheSubtree) {
    auto hidden = place("a", shapeEntry({rectPath(0, 0, 20, 20, "#FF0000")}, 0, 0, 20, 20), 0, 0, 1);
    hidden->setOpacity(0);
    auto sprite = std::static_pointer_cast<MNSprite>(view_->spriteInstanceWithKey("s", true));
    view_->root()->placeObj(sprite, 2);
    place("b", shapeEntry({rectPath(0, 0, 20, 20, "#FF0000")}, 0, 0, 20, 20), 40, 0, 1, sprite);
    sprite->setOpacity(0);
    auto half = place("c", shapeEntry({rectPath(0, 0, 20, 20, "#FF0000")}, 0, 0, 20, 20), 80, 0, 3);
    half->setOpacity(0.5F);
    auto image = frame();
    EXPECT_TRUE(near(image->pixelAt(10, 10), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(50, 10), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(90, 10), 128, 0, 0));
    // A hidden shape is never even rasterised.
    EXPECT_EQ(hidden->contentsTextureID(), MNShape::kNoTexture);
}

TEST_F(MNRenderTest, PatternKindsAndRoundCaps) {
    fnd::testing::LogCapture log;
    fnd::setMinLogLevel(fnd::LogLevel::Debug);
    // A 4 x 8 tile: red over blue.
    auto tile = gfx::BitmapContext::create(4, 8, gfx::PixelFormat::Rgba8PremulLast);
    tile->setRGBFillColor(0, 0, 1, 1);
    tile->fillRect(gfx::Rect(0, 0, 4, 4));
    tile->setRGBFillColor(1, 0, 0, 1);
    tile->fillRect(gfx::Rect(0, 4, 4, 4));
    fnd::FileManager::createDirectoryAtPath(fnd::AppFolders::documents());
    ASSERT_TRUE(fnd::writeFile(fnd::appendingPathComponent(fnd::AppFolders::documents(), "tile.png"),
                               tile->pngRepresentation()));
    auto stops = Value::array({Value::dictionary({{"color", "#FF0000FF"}, {"ratio", 0}}),
                               Value::dictionary({{"color", "#0000FFFF"}, {"ratio", 255}})});
    view_->setPatternsWithProperties(
        Value::dictionary(
            {{"tiles", Value::dictionary({{"type", "image"}, {"path", "tile.png"}})},
             {"ramp", Value::dictionary({{"type", "linear"}, {"stops", stops}})},
             {"glow", Value::dictionary({{"type", "radial"}, {"stops", stops}, {"x", 20}, {"y", 20}, {"radius", 10}})},
             {"odd", Value::dictionary({{"type", "plaid"}, {"color", "#FFFFFFFF"}})}})
            .asDictionary());
    place("img", shapeEntry({rectPath(0, 0, 40, 40, "tiles")}, 0, 0, 40, 40), 0, 0, 1);
    place("lin", shapeEntry({rectPath(0, 0, 40, 40, "ramp")}, 0, 0, 40, 40), 50, 0, 2);
    place("rad", shapeEntry({rectPath(0, 0, 40, 40, "glow")}, 0, 0, 40, 40), 100, 0, 3);
    place("odd", shapeEntry({rectPath(0, 0, 40, 40, "odd")}, 0, 0, 40, 40), 150, 0, 4);
    // A stroked line from (10, 20) to (30, 20), 10 wide, round caps.
    auto line = Value::dictionary(
        {{"path", Value::array({seg("m", 10, 20), seg("l", 20, 0)})}, {"strokeId", "#FFFF00"}, {"strokeWidth", 10}});
    place("line", shapeEntry({line}, 0, 0, 40, 40), 0, 50, 5);

    auto image = frame();
    // The image tiles upright from the path's corner: red rows 0-3, blue rows 4-7, and again.
    EXPECT_TRUE(near(image->pixelAt(1, 1), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(6, 5), 0, 0, 255));
    EXPECT_TRUE(near(image->pixelAt(37, 9), 255, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(37, 38), 0, 0, 255));
    // Linear: red at the left edge to blue at the right.
    gfx::Rgba8 left = image->pixelAt(50, 20);
    gfx::Rgba8 mid = image->pixelAt(70, 20);
    gfx::Rgba8 right = image->pixelAt(89, 20);
    EXPECT_GT(left.r, 230);
    EXPECT_GT(right.b, 230);
    EXPECT_TRUE(mid.r > 80 && mid.r < 180 && mid.b > 80 && mid.b < 180) << int(mid.r) << " " << int(mid.b);
    // Radial: red at the centre, blue beyond the radius (extended after the end).
    const gfx::Rgba8 centre = image->pixelAt(120, 20);
    EXPECT_TRUE(centre.r > 220 && centre.b < 40) << int(centre.r) << " " << int(centre.b);
    EXPECT_TRUE(near(image->pixelAt(102, 2), 0, 0, 255));
    // Unknown type: logged, nothing drawn.
    EXPECT_TRUE(near(image->pixelAt(170, 20), 0, 0, 0));
    EXPECT_TRUE(log.contains("Unknown pattern type: 7FFFFFFF"));
    // Round caps reach 5 past the ends, but not the corners.
    EXPECT_TRUE(near(image->pixelAt(7, 70), 255, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(33, 70), 255, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(6, 65), 0, 0, 0));
    EXPECT_TRUE(near(image->pixelAt(20, 63), 0, 0, 0));
    fnd::setMinLogLevel(fnd::LogLevel::Info);

    // For a person to look at.
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*view_, "screenshots/marlin-animation-patterns.png"));
}

TEST_F(MNRenderTest, AResizeRecreatesTheSurfaceAndARefusedSizeKeepsTheOldOne) {
    fnd::testing::LogCapture log;
    view_->setFrame(gfx::Rect(0, 0, 100, 50));
    EXPECT_EQ(frame()->width(), 100);
    const GLuint colour = view_->viewRenderbuffer();
    // An unchanged size keeps its GL names.
    view_->layoutSubviews();
    EXPECT_EQ(view_->viewRenderbuffer(), colour);
    EXPECT_EQ(frame()->width(), 100);

    place("corner", shapeEntry({rectPath(0, 0, 20, 10, "#00FF00")}, 0, 0, 20, 10), 170, 85, 1);
    view_->setFrame(gfx::Rect(0, 0, 200, 100));
    view_->layoutSubviews();
    EXPECT_EQ(view_->size(), gfx::Size(200, 100));
    auto image = frame();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 200);
    EXPECT_EQ(image->height(), 100);
    EXPECT_TRUE(near(image->pixelAt(175, 90), 0, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(165, 90), 0, 0, 0));

    const GLuint resized = view_->viewRenderbuffer();
    view_->setFrame(gfx::Rect(0, 0, 0, 0));
    image = frame();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 200);
    EXPECT_EQ(view_->viewRenderbuffer(), resized);
    EXPECT_TRUE(near(image->pixelAt(175, 90), 0, 255, 0));
    frame();
    EXPECT_EQ(log.count("a 0x0 one cannot be made"), 1U);
}

TEST_F(MNRenderTest, OversizedOrNonFiniteShapesAreSkippedWhileOthersDraw) {
    fnd::testing::LogCapture log;
    auto huge = place("huge", shapeEntry({rectPath(0, 0, 4096, 4096, "#FF0000")}, 0, 0, 4096, 4096), 0, 0, 1);
    auto odd = place("odd", shapeEntry({rectPath(0, 0, 10, 10, "#FF0000")}, 0, 0, 10, 10), 0, 0, 2);
    odd->setBounds(gfx::Rect(std::numeric_limits<double>::quiet_NaN(), 0, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()));
    place("fine", shapeEntry({rectPath(0, 0, 20, 20, "#00FF00")}, 0, 0, 20, 20), 50, 50, 3);
    auto image = frame();
    frame();
    EXPECT_TRUE(near(image->pixelAt(55, 55), 0, 255, 0));
    EXPECT_TRUE(near(image->pixelAt(10, 10), 0, 0, 0));
    EXPECT_EQ(huge->contentsTextureID(), MNShape::kNoTexture);
    EXPECT_TRUE(huge->contentsData().empty());
    EXPECT_EQ(odd->contentsTextureID(), MNShape::kNoTexture);
    EXPECT_EQ(log.count("needs a texture over 1024 a side"), 1U);
}

} // namespace
} // namespace zelvan::marlin
