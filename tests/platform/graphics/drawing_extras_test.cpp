// Drawing extras on small surfaces: radial gradients, soft masks, masked and cropped images, tiles
// and pattern colours, ellipses and drawPath, layers, grey colours, and far-reaching geometry.
#include <gtest/gtest.h>

#include "drawing_test_support.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "platform/graphics/drawing_layer.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/image.h"
#include "platform/graphics/path.h"

namespace gfx {
namespace {

using namespace gfx::testing;

// A w x h image of opaque greys (row-major, top row first).
ImagePtr greys(int w, int h, std::initializer_list<uint8_t> levels) {
    fnd::Bytes px;
    for (uint8_t v : levels) {
        px.insert(px.end(), {v, v, v, 255});
    }
    return Image::fromPixels(w, h, std::move(px));
}

TEST(DrawingExtrasTest, RadialGradientEnds) {
    double components[] = {1, 0, 0, 1, 0, 0, 1, 1};
    auto g = Gradient::withColorComponents(components, {});
    ASSERT_NE(g, nullptr);
    auto draw = [&](double r0, GradientDrawingOptions options) {
        auto c = Context::createView(21, 21);
        c->drawRadialGradient(*g, Point{10.5, 10.5}, r0, Point{10.5, 10.5}, 6, options);
        return c;
    };
    auto plain = draw(0, GradientDrawingOptions::None);
    EXPECT_TRUE(near(plain->pixelAt(10, 10), kRed, 40));
    EXPECT_EQ(plain->pixelAt(20, 10), kClear); // 9.5 from the centre, past the end circle
    EXPECT_EQ(plain->pixelAt(0, 0), kClear);
    auto after = draw(0, GradientDrawingOptions::DrawsAfterEnd);
    EXPECT_EQ(after->pixelAt(20, 10), kBlue);
    EXPECT_EQ(after->pixelAt(0, 0), kBlue);

    // With a start circle of radius 4, its inside is painted only with DrawsBeforeStart.
    EXPECT_EQ(draw(4, GradientDrawingOptions::None)->pixelAt(10, 10), kClear);
    EXPECT_EQ(draw(4, GradientDrawingOptions::DrawsBeforeStart)->pixelAt(10, 10), kRed);
}

TEST(DrawingExtrasTest, MasksCoverByGreyInBothContextKinds) {
    // Across: white paints, grey half paints, black hides; a colour image covers by luminance x alpha.
    auto across = greys(3, 1, {255, 128, 0});
    for (bool yUp : {true, false}) {
        std::shared_ptr<Context> c =
            yUp ? std::shared_ptr<Context>(BitmapContext::create(3, 1, PixelFormat::Bgra8PremulFirstLE))
                : Context::createView(3, 1);
        c->setInterpolationQuality(InterpolationQuality::None);
        c->saveGState();
        c->clipToMask(Rect(0, 0, 3, 1), *across);
        c->setFillColor(Color::red());
        c->fillRect(Rect(0, 0, 3, 1));
        c->restoreGState();
        EXPECT_EQ(c->pixelAt(0, 0), kRed) << yUp;
        EXPECT_NEAR(c->pixelAt(1, 0).a, 128, 2) << yUp;
        EXPECT_EQ(c->pixelAt(2, 0), kClear) << yUp;
        // The mask went with the restored state.
        c->setFillColor(Color::blue());
        c->fillRect(Rect(2, 0, 1, 1));
        EXPECT_EQ(c->pixelAt(2, 0), kBlue) << yUp;
    }

    // Down: the mask's top row lies along the rect's maximum y, which is memory row 0 in a y-up
    // context and the bottom row in a y-down one.
    auto down = greys(1, 2, {255, 0});
    auto up = BitmapContext::create(1, 2, PixelFormat::Bgra8PremulFirstLE);
    auto view = Context::createView(1, 2);
    for (Context* c : {static_cast<Context*>(up.get()), view.get()}) {
        c->setInterpolationQuality(InterpolationQuality::None);
        c->clipToMask(Rect(0, 0, 1, 2), *down);
        c->fillRect(Rect(0, 0, 1, 2));
    }
    EXPECT_EQ(up->pixelAt(0, 0), kBlack);
    EXPECT_EQ(up->pixelAt(0, 1), kClear);
    EXPECT_EQ(view->pixelAt(0, 0), kClear);
    EXPECT_EQ(view->pixelAt(0, 1), kBlack);

    // Two masks multiply, and a colour mask covers by luminance.
    auto c = Context::createView(1, 1);
    c->clipToMask(Rect(0, 0, 1, 1), *greys(1, 1, {128}));
    c->clipToMask(Rect(0, 0, 1, 1), *Image::fromPixels(1, 1, fnd::Bytes{0, 0, 255, 255}));
    c->fillRect(Rect(0, 0, 1, 1));
    EXPECT_NEAR(c->pixelAt(0, 0).a, 128 * 76 / 255, 3);
}

TEST(DrawingExtrasTest, MaskedAndCroppedImages) {
    auto white = Image::fromPixels(3, 1, fnd::Bytes(12, 255));
    auto masked = white->imageWithMask(*greys(3, 1, {255, 128, 0}));
    ASSERT_NE(masked, nullptr);
    EXPECT_EQ(masked->pixelAt(0, 0).a, 0);
    EXPECT_NEAR(masked->pixelAt(1, 0).a, 127, 2);
    EXPECT_EQ(masked->pixelAt(2, 0), kWhite);

    auto corners = fourCornerImage();
    auto crop = corners->imageWithRect(Rect(1, -5, 10, 6)); // cut to (1, 0, 1, 1)
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->width(), 1);
    EXPECT_EQ(crop->height(), 1);
    EXPECT_EQ(crop->pixelAt(0, 0), kGreen);
    EXPECT_EQ(corners->imageWithRect(Rect(2, 0, 3, 3)), nullptr);
    EXPECT_EQ(corners->imageWithRect(Rect(0, 0, INFINITY, 1)), nullptr);
}

TEST(DrawingExtrasTest, TilesAndPatternColoursAnchorAtTheUserOrigin) {
    // In a y-down context each tile is upside down (top row along its maximum y). The CTM moves
    // the grid one pixel right, so column 0 shows the right column of the tile to the left.
    auto tiled = Context::createView(4, 4);
    tiled->setInterpolationQuality(InterpolationQuality::None);
    tiled->translateCTM(1, 0);
    tiled->drawTiledImage(Rect(0, 0, 2, 2), *fourCornerImage());
    EXPECT_EQ(tiled->pixelAt(0, 0), kWhite);
    EXPECT_EQ(tiled->pixelAt(1, 0), kBlue);
    EXPECT_EQ(tiled->pixelAt(1, 1), kRed);
    EXPECT_EQ(tiled->pixelAt(3, 3), kRed);
    EXPECT_EQ(tiled->pixelAt(2, 2), kWhite);

    auto filled = Context::createView(4, 4);
    filled->setInterpolationQuality(InterpolationQuality::None);
    filled->translateCTM(1, 0);
    filled->setFillColor(Color::pattern(fourCornerImage()));
    filled->fillRect(Rect(-1, 0, 4, 4));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(filled->pixelAt(x, y), tiled->pixelAt(x, y)) << x << "," << y;
        }
    }

    // A translucent pattern colour, under a global alpha, composites as a whole.
    auto faint = Context::createView(2, 2);
    faint->setAlpha(0.5);
    faint->setFillColor(Color::pattern(fourCornerImage()).withAlphaComponent(0.5));
    faint->fillRect(Rect(0, 0, 2, 2));
    EXPECT_NEAR(faint->pixelAt(0, 0).a, 64, 2);

    // A 1x1 tile over a whole screen (153,600 tiles) is one pattern fill; an empty tile draws nothing.
    auto screen = Context::createView(320, 480);
    screen->drawTiledImage(Rect(0, 0, 1, 1), *Image::fromPixels(1, 1, fnd::Bytes{255, 0, 0, 255}));
    EXPECT_EQ(screen->pixelAt(0, 0), kBlue);
    EXPECT_EQ(screen->pixelAt(319, 479), kBlue);
    screen->drawTiledImage(Rect(5, 5, 0, 3), *fourCornerImage());
    screen->drawTiledImage(Rect(0, 0, 1e-300, 1e-300), *fourCornerImage());
    EXPECT_EQ(screen->pixelAt(160, 240), kBlue);
}

TEST(DrawingExtrasTest, EllipsesPathsAndGreyColours) {
    auto c = Context::createView(20, 10);
    c->setFillColor(Color::red());
    c->fillEllipseInRect(Rect(0, 0, 20, 10));
    EXPECT_EQ(c->pixelAt(10, 5), kRed);
    EXPECT_EQ(c->pixelAt(0, 0), kClear);
    EXPECT_EQ(c->pixelAt(19, 9), kClear);

    auto s = Context::createView(20, 10);
    s->setLineWidth(2);
    s->strokeEllipseInRect(Rect(1, 1, 18, 8));
    EXPECT_EQ(s->pixelAt(10, 5), kClear);
    EXPECT_GT(s->pixelAt(10, 1).a, 200);
    EXPECT_GT(s->pixelAt(1, 5).a, 200);

    // drawPath fills and then strokes the same path; the ellipse calls leave the current path alone.
    auto d = Context::createView(10, 10);
    d->setGrayFillColor(1, 1);
    d->setStrokeColor(Color::blue());
    d->setLineWidth(2);
    d->addRect(Rect(2, 2, 6, 6));
    d->fillEllipseInRect(Rect(0, 0, 1, 1));
    d->drawPath(PathDrawingMode::FillStroke);
    EXPECT_EQ(d->pixelAt(5, 5), kWhite);
    EXPECT_EQ(d->pixelAt(2, 5), kBlue);
    EXPECT_TRUE(d->isPathEmpty());

    // Component colours follow the fill colour space; too few components change nothing.
    auto g = Context::createView(1, 1);
    g->setFillColorSpace(ColorSpace::Gray);
    const double grey[] = {0.5, 1};
    g->setFillColor(grey);
    const double one[] = {0.9};
    g->setFillColor(one);
    g->fillRect(Rect(0, 0, 1, 1));
    EXPECT_TRUE(near(g->pixelAt(0, 0), Rgba8{128, 128, 128, 255}, 1));
}

TEST(DrawingExtrasTest, LayersDrawnTwice) {
    auto target = BitmapContext::create(4, 2, PixelFormat::Bgra8PremulFirstLE);
    auto layer = Layer::create(*target, Size{2, 2});
    ASSERT_NE(layer, nullptr);
    layer->context()->setFillColor(Color::red());
    layer->context()->fillRect(Rect(0, 0, 1, 1)); // y-up: the bottom-left pixel
    target->drawLayerAtPoint(Point{0, 0}, *layer);
    target->drawLayerInRect(Rect(2, 0, 2, 2), *layer);
    EXPECT_EQ(target->pixelAt(0, 1), kRed);
    EXPECT_EQ(target->pixelAt(2, 1), kRed);
    EXPECT_EQ(target->pixelAt(0, 0), kClear);
    EXPECT_EQ(target->pixelAt(3, 1), kClear);

    EXPECT_EQ(Layer::create(*target, Size{1e9, 1}), nullptr);
    EXPECT_EQ(Layer::create(*target, Size{NAN, 1}), nullptr);
    EXPECT_EQ(Layer::create(*target, Size{0, 5}), nullptr);
}

TEST(DrawingExtrasTest, NonFiniteAndHugeGeometryIsCutOrIgnored) {
    double components[] = {1, 0, 0, 1, 0, 0, 1, 1};
    auto g = Gradient::withColorComponents(components, {});
    auto c = Context::createView(8, 8);
    c->setFillColor(Color::red());
    // A huge ellipse around the surface still covers it.
    c->fillEllipseInRect(Rect(-1e300, -1e300, 2e300, 2e300));
    EXPECT_EQ(c->pixelAt(4, 4), kRed);
    c->clearRect(Rect(0, 0, 8, 8));
    c->fillEllipseInRect(Rect(0, 0, NAN, 8));
    Path path;
    path.moveToPoint({0, 0});
    path.addLineToPoint({1e300, 0});
    path.addCurveToPoint({-1e300, 1e300}, {INFINITY, 0}, {0, 1e300});
    c->addPath(path);
    c->fillPath();
    c->drawRadialGradient(*g, Point{4, 4}, 0, Point{4, 4}, 1e300, GradientDrawingOptions::DrawsAfterEnd);
    c->drawRadialGradient(*g, Point{NAN, 4}, 0, Point{4, 4}, 3, GradientDrawingOptions::None);
    c->saveGState();
    c->clipToMask(Rect(-1e300, -1e300, 2e300, 2e300), *greys(1, 1, {255}));
    c->fillRect(Rect(0, 0, 1, 1));
    c->clipToMask(Rect(0, 0, INFINITY, 1), *greys(1, 1, {255}));
    c->fillRect(Rect(1, 0, 1, 1));
    c->restoreGState();
    EXPECT_EQ(c->pixelAt(0, 0), kRed);
    EXPECT_EQ(c->pixelAt(1, 0), kClear);
    // The context is still sound.
    c->setFillColor(Color::blue());
    c->fillRect(Rect(4, 4, 2, 2));
    EXPECT_EQ(c->pixelAt(5, 5), kBlue);
}

} // namespace
} // namespace gfx
