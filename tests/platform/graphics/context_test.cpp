// Drawing context: image placement in y-up and y-down contexts, the flipped-view worked example,
// clipping, transforms, alpha, blend modes, gradients, shadows, arcs, strokes and PNG output.
#include <gtest/gtest.h>

#include <filesystem>
#include <numbers>

#include "drawing_test_support.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"

namespace gfx {
namespace {

using namespace gfx::testing;

std::shared_ptr<BitmapContext> bitmap(int w, int h) {
    auto ctx = BitmapContext::create(w, h, PixelFormat::Bgra8PremulFirstLE);
    EXPECT_NE(ctx, nullptr);
    return ctx;
}

TEST(ContextTest, DrawImagePutsTheTopRowAtMaxY) {
    auto image = fourCornerImage();
    ASSERT_NE(image, nullptr);

    // Bitmap context (y up): the image comes out upright in memory.
    auto up = bitmap(2, 2);
    up->drawImage(Rect(0, 0, 2, 2), *image);
    EXPECT_EQ(up->pixelAt(0, 0), kRed);
    EXPECT_EQ(up->pixelAt(1, 0), kGreen);
    EXPECT_EQ(up->pixelAt(0, 1), kBlue);
    EXPECT_EQ(up->pixelAt(1, 1), kWhite);

    // View context (y down): upside down, never mirrored sideways.
    auto down = Context::createView(2, 2);
    down->drawImage(Rect(0, 0, 2, 2), *image);
    EXPECT_EQ(down->pixelAt(0, 0), kBlue);
    EXPECT_EQ(down->pixelAt(1, 0), kWhite);
    EXPECT_EQ(down->pixelAt(0, 1), kRed);
    EXPECT_EQ(down->pixelAt(1, 1), kGreen);

    // A negative height is standardized first: the same placement.
    auto negative = Context::createView(2, 2);
    negative->drawImage(Rect(0, 2, 2, -2), *image);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(negative->pixelAt(x, y), down->pixelAt(x, y)) << x << "," << y;
        }
    }

    // Scaled up with nearest interpolation: whole quadrants, upright in the bitmap context.
    auto big = bitmap(4, 4);
    big->setInterpolationQuality(InterpolationQuality::None);
    big->drawImage(Rect(0, 0, 4, 4), image);
    EXPECT_EQ(big->pixelAt(1, 1), kRed);
    EXPECT_EQ(big->pixelAt(2, 1), kGreen);
    EXPECT_EQ(big->pixelAt(1, 2), kBlue);
    EXPECT_EQ(big->pixelAt(3, 3), kWhite);
    // Bilinear (the default) blends between the quadrants.
    auto smooth = bitmap(4, 4);
    smooth->drawImage(Rect(0, 0, 4, 4), *image);
    Rgba8 mid = smooth->pixelAt(1, 0);
    EXPECT_GT(mid.r, 100);
    EXPECT_GT(mid.g, 50);
}

TEST(ContextTest, FlippedViewWorkedExampleAndBufferSnapshots) {
    auto image = fourCornerImage();
    const int x = 1, y = 10, w = 2, h = 2;
    auto flip = [&](Context& ctx, Rect rect, const Image& img) {
        StateSaver saver(ctx);
        ctx.translateCTM(0, 480);
        ctx.scaleCTM(1, -1);
        ctx.drawImage(rect, img);
    };

    // In a 480-high view context: upright in device rows y + 1 ... y + h.
    auto view = Context::createView(4, 480);
    flip(*view, Rect(x, 479 - y, w, -h), *image);
    EXPECT_EQ(view->pixelAt(1, 10), kClear);
    EXPECT_EQ(view->pixelAt(1, 11), kRed);
    EXPECT_EQ(view->pixelAt(2, 11), kGreen);
    EXPECT_EQ(view->pixelAt(1, 12), kBlue);
    EXPECT_EQ(view->pixelAt(2, 12), kWhite);
    EXPECT_EQ(view->pixelAt(1, 13), kClear);

    // In a y-up game buffer the same call leaves the image upside down in memory...
    auto buffer = bitmap(4, 480);
    flip(*buffer, Rect(x, 479 - y, w, -h), *image);
    EXPECT_EQ(buffer->pixelAt(1, 467), kBlue);
    EXPECT_EQ(buffer->pixelAt(2, 467), kWhite);
    EXPECT_EQ(buffer->pixelAt(1, 468), kRed);
    EXPECT_EQ(buffer->pixelAt(2, 468), kGreen);
    auto snapshot = buffer->makeImage();
    ASSERT_NE(snapshot, nullptr);

    // ...so the buffer's snapshot blitted into the view comes out upright, exactly where drawing
    // straight into the view put it.
    auto screen = Context::createView(4, 480);
    screen->drawImage(Rect(0, 0, 4, 480), *snapshot);
    for (int row = 9; row <= 13; ++row) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(screen->pixelAt(col, row), view->pixelAt(col, row)) << col << "," << row;
        }
    }

    // Drawn back into a y-up buffer with the same flip, the snapshot is upright in memory again.
    auto again = bitmap(4, 480);
    flip(*again, Rect(0, 479, 4, -480), *snapshot);
    EXPECT_EQ(again->pixelAt(1, 10), kRed);
    EXPECT_EQ(again->pixelAt(2, 10), kGreen);
    EXPECT_EQ(again->pixelAt(1, 11), kBlue);
    EXPECT_EQ(again->pixelAt(2, 11), kWhite);
}

TEST(ContextTest, StateTransformsAndClipping) {
    // getCTM reports user space to the y-up base space.
    auto up = bitmap(10, 20);
    EXPECT_TRUE(up->getCTM().isIdentity());
    auto view = Context::createView(10, 20);
    EXPECT_EQ(view->getCTM(), (AffineTransform{1, 0, 0, -1, 0, 20}));
    view->translateCTM(2, 3);
    view->scaleCTM(2, 2);
    EXPECT_EQ(view->getCTM(), (AffineTransform{2, 0, 0, -2, 2, 17}));
    view->setRGBFillColor(1, 0, 0, 1);
    view->fillRect(Rect(0, 0, 1, 1)); // device (2, 3) ... (4, 5)
    EXPECT_EQ(view->pixelAt(2, 3), kRed);
    EXPECT_EQ(view->pixelAt(3, 4), kRed);
    EXPECT_EQ(view->pixelAt(4, 5), kClear);
    EXPECT_EQ(view->pixelAt(1, 3), kClear);

    // Rotation by 90 degrees turns +x into +y.
    auto rotated = Context::createView(10, 10);
    rotated->translateCTM(5, 0);
    rotated->rotateCTM(std::numbers::pi / 2);
    rotated->setFillColor(Color::blue());
    rotated->fillRect(Rect(1, 1, 2, 2)); // user x 1..3 -> device y 1..3; user y 1..3 -> device x 2..4
    EXPECT_EQ(rotated->pixelAt(3, 2), kBlue);
    EXPECT_EQ(rotated->pixelAt(6, 2), kClear);

    // Clips intersect and are undone by restore, nested.
    auto c = Context::createView(10, 10);
    c->setFillColor(Color::green());
    c->saveGState();
    c->clipToRect(Rect(0, 0, 6, 10));
    c->saveGState();
    c->beginPath();
    c->addRect(Rect(4, 0, 6, 10));
    c->clip();
    c->fillRect(Rect(0, 0, 10, 1)); // only x 4, 5
    c->restoreGState();
    c->fillRect(Rect(0, 1, 10, 1)); // x 0 ... 5
    c->restoreGState();
    c->fillRect(Rect(0, 2, 10, 1)); // everything
    EXPECT_EQ(c->pixelAt(3, 0), kClear);
    EXPECT_EQ(c->pixelAt(4, 0), kGreen);
    EXPECT_EQ(c->pixelAt(6, 0), kClear);
    EXPECT_EQ(c->pixelAt(0, 1), kGreen);
    EXPECT_EQ(c->pixelAt(6, 1), kClear);
    EXPECT_EQ(c->pixelAt(9, 2), kGreen);

    // A restore with nothing saved is harmless and logged; a zero scale draws nothing until restored.
    fnd::testing::LogCapture log;
    c->restoreGState();
    EXPECT_TRUE(log.contains("restoreGState"));
    c->saveGState();
    c->scaleCTM(0, 0);
    c->fillRect(Rect(0, 5, 10, 1));
    c->restoreGState();
    EXPECT_EQ(c->pixelAt(0, 5), kClear);
    c->fillRect(Rect(0, 6, 10, 1));
    EXPECT_EQ(c->pixelAt(0, 6), kGreen);
}

TEST(ContextTest, AlphaBlendModesAndFillRules) {
    auto c = Context::createView(10, 10);
    c->setAlpha(0.5);
    c->setFillColor(Color::red());
    c->fillRect(Rect(0, 0, 1, 1));
    EXPECT_TRUE(near(c->pixelAt(0, 0), Rgba8{255, 0, 0, 128}, 1));

    // Normal blending mixes; Copy replaces.
    c->setAlpha(1);
    c->fillRect(Rect(0, 1, 2, 1));
    c->setRGBFillColor(0, 0, 1, 0.5);
    c->fillRect(Rect(0, 1, 1, 1));
    EXPECT_TRUE(near(c->pixelAt(0, 1), Rgba8{127, 0, 128, 255}, 2));
    c->setBlendMode(BlendMode::Copy);
    c->fillRect(Rect(1, 1, 1, 1));
    EXPECT_TRUE(near(c->pixelAt(1, 1), Rgba8{0, 0, 255, 128}, 1));
    c->setBlendMode(BlendMode::Normal);

    // Non-zero fills a nested rect of the same winding; even-odd leaves a hole. The path survives rect calls.
    c->setFillColor(Color::white());
    c->beginPath();
    c->addRect(Rect(2, 2, 6, 6));
    c->addRect(Rect(4, 4, 2, 2));
    c->fillRect(Rect(9, 9, 1, 1));
    EXPECT_FALSE(c->isPathEmpty());
    c->eoFillPath();
    EXPECT_TRUE(c->isPathEmpty());
    EXPECT_EQ(c->pixelAt(2, 2), kWhite);
    EXPECT_EQ(c->pixelAt(4, 4), kClear);
    c->beginPath();
    c->addRect(Rect(2, 2, 6, 6));
    c->addRect(Rect(4, 4, 2, 2));
    c->fillPath();
    EXPECT_EQ(c->pixelAt(4, 4), kWhite);

    // clearRect makes pixels transparent.
    c->clearRect(Rect(2, 2, 1, 1));
    EXPECT_EQ(c->pixelAt(2, 2), kClear);
    EXPECT_EQ(c->pixelAt(3, 2), kWhite);
}

TEST(ContextTest, StrokesAndArcs) {
    auto c = Context::createView(20, 20);
    c->setStrokeColor(Color::black());
    c->strokeRect(Rect(2.5, 2.5, 4, 4)); // one-pixel line through pixel centres
    EXPECT_EQ(c->pixelAt(2, 2), kBlack);
    EXPECT_EQ(c->pixelAt(6, 4), kBlack);
    EXPECT_EQ(c->pixelAt(4, 4), kClear);
    c->strokeRectWithWidth(Rect(10, 10, 6, 6), 2); // covers 9...11
    EXPECT_EQ(c->pixelAt(9, 12), kBlack);
    EXPECT_EQ(c->pixelAt(10, 12), kBlack);
    EXPECT_EQ(c->pixelAt(11, 12), kClear);

    // Angles run from +x towards +y in user space; in a y-down view +y is down.
    const double quarter = std::numbers::pi / 2;
    auto arc = [&](Clockwise cw) {
        auto ctx = Context::createView(20, 20);
        ctx->setFillColor(Color::red());
        ctx->moveToPoint(10, 10);
        ctx->addArc(Point{10, 10}, 8, 0, quarter, cw);
        ctx->closePath();
        ctx->fillPath();
        return ctx;
    };
    auto shortWay = arc(Clockwise::No);
    EXPECT_EQ(shortWay->pixelAt(13, 13), kRed); // below right
    EXPECT_EQ(shortWay->pixelAt(13, 6), kClear);
    EXPECT_EQ(shortWay->pixelAt(6, 13), kClear);
    auto longWay = arc(Clockwise::Yes);
    EXPECT_EQ(longWay->pixelAt(13, 13), kClear);
    EXPECT_EQ(longWay->pixelAt(13, 6), kRed);
    EXPECT_EQ(longWay->pixelAt(6, 6), kRed);
    EXPECT_EQ(longWay->pixelAt(6, 13), kRed);

    // A rounded corner made with addArcToPoint cuts the corner pixel but keeps the sides.
    auto rounded = Context::createView(20, 20);
    rounded->setFillColor(Color::blue());
    rounded->moveToPoint(10, 0);
    rounded->addArcToPoint(Point{20, 0}, Point{20, 20}, 8);
    rounded->addLineToPoint(20, 20);
    rounded->addLineToPoint(10, 20);
    rounded->closePath();
    rounded->fillPath();
    EXPECT_EQ(rounded->pixelAt(19, 0), kClear);
    EXPECT_EQ(rounded->pixelAt(11, 0), kBlue);
    EXPECT_EQ(rounded->pixelAt(19, 10), kBlue);
    EXPECT_EQ(rounded->pixelAt(14, 4), kBlue);
}

TEST(ContextTest, FarReachingRectsAndArcs) {
    // Rects reaching millions of pixels past the surface still cover it (cairo's fixed point wraps there).
    auto white = Image::fromPixels(1, 1, fnd::Bytes{255, 255, 255, 255});
    for (double far : {9e6, 1e15, 1e300}) {
        auto c = Context::createView(8, 8);
        c->setFillColor(Color::red());
        c->fillRect(Rect(0, 0, far, far));
        EXPECT_EQ(c->pixelAt(4, 4), kRed) << far;
        c->clearRect(Rect(-far, -far, 2 * far, 2 * far));
        EXPECT_EQ(c->pixelAt(4, 4), kClear) << far;
        c->saveGState();
        c->clipToRect(Rect(-far, 0, 2 * far, far));
        c->drawImage(Rect(-far, -far, 2 * far, 2 * far), *white);
        c->restoreGState();
        EXPECT_EQ(c->pixelAt(4, 4), kWhite) << far;
    }

    // Arcs whose radius or legs run far past what doubles and cairo hold finish without aborting,
    // and the context keeps drawing.
    auto c = Context::createView(8, 8);
    c->addRoundedRect(Rect(0, 0, 1e300, 1e300), 1e300);
    c->addArc(Point{0, 0}, 1e60, 0, 1, Clockwise::No);
    EXPECT_FALSE(c->isPathEmpty());
    c->fillPath();
    c->moveToPoint(0, 0);
    c->addArcToPoint(Point{1e300, 1e300}, Point{-1e300, -1e300}, 5);
    c->strokePath();
    c->setFillColor(Color::blue());
    c->fillRect(Rect(2, 2, 2, 2));
    EXPECT_EQ(c->pixelAt(3, 3), kBlue);
}

TEST(ContextTest, LinearGradientEnds) {
    double components[] = {1, 0, 0, 1, 0, 0, 1, 1};
    auto g = Gradient::withColorComponents(components, {});
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(Gradient::withColorComponents(std::span<const double>(components, 7), {}), nullptr);

    auto draw = [&](GradientDrawingOptions options) {
        auto c = Context::createView(20, 1);
        c->drawLinearGradient(*g, Point{5, 0}, Point{15, 0}, options);
        return c;
    };
    auto both = draw(GradientDrawingOptions::DrawsBeforeStart | GradientDrawingOptions::DrawsAfterEnd);
    EXPECT_EQ(both->pixelAt(0, 0), kRed);
    EXPECT_EQ(both->pixelAt(19, 0), kBlue);
    EXPECT_TRUE(near(both->pixelAt(5, 0), kRed, 20));
    EXPECT_TRUE(near(both->pixelAt(14, 0), kBlue, 20));
    Rgba8 middle = both->pixelAt(10, 0);
    EXPECT_GT(middle.r, 80);
    EXPECT_GT(middle.b, 80);

    auto none = draw(GradientDrawingOptions::None);
    EXPECT_EQ(none->pixelAt(4, 0), kClear);
    EXPECT_EQ(none->pixelAt(15, 0), kClear);
    EXPECT_TRUE(near(none->pixelAt(5, 0), kRed, 20));
    auto before = draw(GradientDrawingOptions::DrawsBeforeStart);
    EXPECT_EQ(before->pixelAt(0, 0), kRed);
    EXPECT_EQ(before->pixelAt(19, 0), kClear);

    // The gradient fills only the clip.
    auto clipped = Context::createView(20, 1);
    clipped->clipToRect(Rect(0, 0, 3, 1));
    clipped->drawLinearGradient(*g, Point{0, 0}, Point{20, 0}, GradientDrawingOptions::None);
    EXPECT_NE(clipped->pixelAt(2, 0).a, 0);
    EXPECT_EQ(clipped->pixelAt(3, 0), kClear);
}

TEST(ContextTest, ShadowsFallRightAndDownInEveryContext) {
    // Offset (3, -3) with no blur: a hard copy of the shape three pixels right and down on screen,
    // whatever the context's y direction or CTM.
    auto check = [](Context& c, const char* what) {
        SCOPED_TRACE(what);
        c.setShadowWithColor(Size{3, -3}, 0, Color::black());
        c.setFillColor(Color::white());
        c.fillRect(Rect(5, 5, 4, 4));
        EXPECT_EQ(c.pixelAt(6, 6), kWhite);
        EXPECT_EQ(c.pixelAt(10, 10), kBlack);
        EXPECT_EQ(c.pixelAt(11, 11), kBlack);
        EXPECT_EQ(c.pixelAt(12, 12), kClear);
        EXPECT_EQ(c.pixelAt(4, 4), kClear);
        EXPECT_EQ(c.pixelAt(3, 7), kClear);
    };
    auto view = Context::createView(20, 20);
    check(*view, "view");
    auto up = bitmap(20, 20);
    up->translateCTM(0, 20);
    up->scaleCTM(1, -1); // user y down, so the rect lands at the same memory rows
    check(*up, "flipped bitmap");

    // The default shadow is black at one third alpha; blur spreads it past the hard edge.
    auto soft = Context::createView(30, 30);
    soft->setShadow(Size{8, -8}, 4);
    soft->setFillColor(Color::white());
    soft->fillRect(Rect(5, 5, 10, 10)); // shadow 13 ... 23
    EXPECT_TRUE(near(soft->pixelAt(18, 18), Rgba8{0, 0, 0, 85}, 12));
    uint8_t spread = soft->pixelAt(24, 18).a;
    EXPECT_GT(spread, 0);
    EXPECT_LT(spread, 60);
    EXPECT_EQ(soft->pixelAt(29, 29), kClear);
    EXPECT_EQ(soft->pixelAt(3, 3), kClear);
    EXPECT_EQ(soft->pixelAt(10, 10), kWhite);
}

TEST(ContextTest, StretchableImagesKeepTheirCaps) {
    // A 3x3 image: distinct corners, a grey centre band.
    fnd::Bytes px;
    auto put = [&](uint8_t r, uint8_t g, uint8_t b) { px.insert(px.end(), {b, g, r, 255}); };
    put(255, 0, 0), put(128, 128, 128), put(0, 255, 0);
    put(128, 128, 128), put(128, 128, 128), put(128, 128, 128);
    put(0, 0, 255), put(128, 128, 128), put(255, 255, 255);
    auto image = Image::fromPixels(3, 3, std::move(px));
    ASSERT_NE(image, nullptr);
    auto stretchable = image->stretchableImageWithLeftCapWidth(1, 1);
    const Rgba8 grey{128, 128, 128, 255};

    // Upright in a bitmap context: corners stay single pixels at the corners.
    auto up = bitmap(8, 6);
    up->drawImage(Rect(0, 0, 8, 6), *stretchable);
    EXPECT_EQ(up->pixelAt(0, 0), kRed);
    EXPECT_EQ(up->pixelAt(7, 0), kGreen);
    EXPECT_EQ(up->pixelAt(0, 5), kBlue);
    EXPECT_EQ(up->pixelAt(7, 5), kWhite);
    EXPECT_EQ(up->pixelAt(1, 0), grey);
    EXPECT_EQ(up->pixelAt(6, 3), grey);

    // drawInRect in a view context is upright too.
    auto view = Context::createView(8, 6);
    pushContext(view);
    stretchable->drawInRect(Rect(0, 0, 8, 6));
    popContext();
    EXPECT_EQ(view->pixelAt(0, 0), kRed);
    EXPECT_EQ(view->pixelAt(7, 0), kGreen);
    EXPECT_EQ(view->pixelAt(0, 5), kBlue);
    EXPECT_EQ(view->pixelAt(7, 5), kWhite);
    EXPECT_EQ(view->pixelAt(4, 0), grey);
}

TEST(ContextTest, ComposedSceneSavesAsPng) {
    auto c = Context::createView(16, 12);
    c->setFillColor(Color::orange());
    c->fillRect(Rect(0, 0, 16, 6));
    c->drawImage(Rect(4, 6, 2, 2), fourCornerImage());
    c->setStrokeColor(Color::blue());
    c->strokeRect(Rect(8.5, 8.5, 4, 2));

    std::string path = (std::filesystem::path(std::getenv("ZELVAN_HOME")) / "scene.png").string();
    ASSERT_TRUE(savePng(*c, path));
    auto decoded = Image::imageWithContentsOfFile(path);
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(decoded->width(), 16);
    ASSERT_EQ(decoded->height(), 12);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(decoded->pixelAt(x, y), c->pixelAt(x, y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(near(decoded->pixelAt(0, 0), Rgba8{255, 128, 0, 255}, 1));
    EXPECT_EQ(decoded->pixelAt(4, 6), kBlue);
}

} // namespace
} // namespace gfx
