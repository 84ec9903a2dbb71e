// Layers: the tree, frame geometry under anchor points and transforms, and rendering checked pixel
// by pixel on small view contexts (background, upright scaled contents, group opacity, clipping by
// bounds and rounded corners, borders, sublayer transforms).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/context.h"
#include "platform/graphics/image.h"
#include "platform/ui/layer.h"

namespace ui {
namespace {

const gfx::Rgba8 kRed{255, 0, 0, 255};
const gfx::Rgba8 kGreen{0, 255, 0, 255};
const gfx::Rgba8 kBlue{0, 0, 255, 255};
const gfx::Rgba8 kWhite{255, 255, 255, 255};
const gfx::Rgba8 kClear{0, 0, 0, 0};

::testing::AssertionResult near(gfx::Rgba8 actual, gfx::Rgba8 expected, int tolerance = 2) {
    auto off = [&](uint8_t a, uint8_t b) { return std::abs(int(a) - int(b)) > tolerance; };
    if (off(actual.r, expected.r) || off(actual.g, expected.g) || off(actual.b, expected.b) ||
        off(actual.a, expected.a)) {
        return ::testing::AssertionFailure()
               << "pixel (" << int(actual.r) << "," << int(actual.g) << "," << int(actual.b) << "," << int(actual.a)
               << ") expected (" << int(expected.r) << "," << int(expected.g) << "," << int(expected.b) << ","
               << int(expected.a) << ")";
    }
    return ::testing::AssertionSuccess();
}

// Top-left red, top-right green, bottom-left blue, bottom-right white.
gfx::ImagePtr fourCorners() {
    fnd::Bytes px = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
    return gfx::Image::fromPixels(2, 2, std::move(px));
}

LayerPtr solid(gfx::Rect frame, gfx::Color color) {
    LayerPtr layer = Layer::create();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    return layer;
}

std::shared_ptr<gfx::Context> render(const LayerPtr& layer, int size = 20) {
    std::shared_ptr<gfx::Context> ctx = gfx::Context::createView(size, size);
    layer->renderInContext(*ctx);
    return ctx;
}

TEST(LayerTest, TreeAndGeometry) {
    LayerPtr root = Layer::create();
    LayerPtr a = Layer::create();
    LayerPtr b = Layer::create();
    LayerPtr c = Layer::create();
    root->addSublayer(a);
    root->addSublayer(b);
    root->insertSublayer(c, 0);
    EXPECT_EQ(root->sublayers(), (std::vector<LayerPtr>{c, a, b}));
    root->insertSublayer(a, 99); // moves to the end
    EXPECT_EQ(root->sublayers(), (std::vector<LayerPtr>{c, b, a}));
    b->addSublayer(a); // reparents
    EXPECT_EQ(root->sublayers(), (std::vector<LayerPtr>{c, b}));
    EXPECT_EQ(a->superlayer(), b);
    {
        fnd::testing::LogCapture log;
        a->addSublayer(root); // a cycle is refused
        a->addSublayer(a);
        EXPECT_TRUE(a->sublayers().empty());
        EXPECT_EQ(log.count("inside itself"), 2u);
    }
    a->removeFromSuperlayer();
    EXPECT_EQ(a->superlayer(), nullptr);
    EXPECT_TRUE(b->sublayers().empty());

    LayerPtr layer = Layer::create();
    layer->setFrame({10, 20, 40, 30});
    EXPECT_EQ(layer->bounds(), gfx::Rect(0, 0, 40, 30));
    EXPECT_EQ(layer->position(), gfx::Point(30, 35));
    layer->setAnchorPoint({0, 0});
    EXPECT_EQ(layer->frame(), gfx::Rect(30, 35, 40, 30));
    layer->setFrame({10, 20, 40, 30});
    EXPECT_EQ(layer->position(), gfx::Point(10, 20));
    // A scaled layer's frame is the scaled bounds about the anchor; setting it goes back through
    // the inverse of the transform.
    layer->setAnchorPoint({0.5, 0.5});
    layer->setPosition({50, 50});
    layer->setTransform(Transform3D::makeScale(2, 3, 1));
    EXPECT_EQ(layer->frame(), gfx::Rect(10, 5, 80, 90));
    layer->setFrame({0, 0, 20, 30});
    EXPECT_EQ(layer->bounds().size, gfx::Size(10, 10));
    EXPECT_EQ(layer->position(), gfx::Point(10, 15));
    EXPECT_EQ(layer->frame(), gfx::Rect(0, 0, 20, 30));
}

TEST(LayerTest, BackgroundSublayersAndGroupOpacity) {
    LayerPtr root = solid({0, 0, 20, 20}, gfx::Color::white());
    LayerPtr red = solid({5, 5, 10, 10}, gfx::Color::red());
    root->addSublayer(red);
    auto ctx = render(root);
    EXPECT_TRUE(near(ctx->pixelAt(2, 2), kWhite));
    EXPECT_TRUE(near(ctx->pixelAt(7, 7), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(16, 16), kWhite));

    // A half-transparent layer fully covered by its own opaque green child shows green at half
    // strength over white, with none of its own red showing through.
    red->setOpacity(0.5);
    red->addSublayer(solid({0, 0, 10, 10}, gfx::Color::green()));
    ctx = render(root);
    EXPECT_TRUE(near(ctx->pixelAt(7, 7), {128, 255, 128, 255}, 3));

    // Hidden layers and zero opacity draw nothing; sublayer rendering leaves out the layer itself.
    red->setOpacity(0);
    EXPECT_TRUE(near(render(root)->pixelAt(7, 7), kWhite));
    red->setOpacity(1);
    red->setHidden(true);
    EXPECT_TRUE(near(render(root)->pixelAt(7, 7), kWhite));
    red->setHidden(false);
    auto only = gfx::Context::createView(20, 20);
    root->renderSublayersInContext(*only);
    EXPECT_TRUE(near(only->pixelAt(2, 2), kClear));
    EXPECT_TRUE(near(only->pixelAt(7, 7), kGreen));
}

TEST(LayerTest, ContentsUprightScaledAndPlaced) {
    LayerPtr layer = Layer::create();
    layer->setFrame({0, 0, 10, 10});
    layer->setContents(fourCorners());
    auto ctx = render(layer);
    // Scaled 5x to fill the bounds; pixel centres 2 and 7 map onto the source pixel centres.
    EXPECT_TRUE(near(ctx->pixelAt(2, 2), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(7, 2), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(2, 7), kBlue));
    EXPECT_TRUE(near(ctx->pixelAt(7, 7), kWhite));
    EXPECT_TRUE(near(ctx->pixelAt(12, 12), kClear));

    // Centre gravity keeps the image's own size in the middle of the bounds.
    layer->setContentsGravity(ContentsGravity::Center);
    ctx = render(layer);
    EXPECT_TRUE(near(ctx->pixelAt(4, 4), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(5, 5), kWhite));
    EXPECT_TRUE(near(ctx->pixelAt(2, 2), kClear));
    // Bottom-right gravity, in y-down terms.
    layer->setContentsGravity(ContentsGravity::BottomRight);
    ctx = render(layer);
    EXPECT_TRUE(near(ctx->pixelAt(8, 8), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(9, 9), kWhite));
    // Aspect fit into a wide layer: 10x10 centred in 20x10.
    layer->setContentsGravity(ContentsGravity::ResizeAspect);
    layer->setFrame({0, 0, 20, 10});
    ctx = render(layer);
    EXPECT_TRUE(near(ctx->pixelAt(7, 2), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(12, 7), kWhite));
    EXPECT_TRUE(near(ctx->pixelAt(2, 5), kClear));
}

TEST(LayerTest, MasksToBoundsAndCornerRadius) {
    LayerPtr parent = Layer::create();
    parent->setFrame({5, 5, 10, 10});
    parent->addSublayer(solid({-5, -5, 20, 20}, gfx::Color::blue()));
    auto ctx = render(parent);
    EXPECT_TRUE(near(ctx->pixelAt(2, 2), kBlue)); // unclipped
    parent->setMasksToBounds(true);
    ctx = render(parent);
    EXPECT_TRUE(near(ctx->pixelAt(2, 2), kClear));
    EXPECT_TRUE(near(ctx->pixelAt(7, 7), kBlue));
    EXPECT_TRUE(near(ctx->pixelAt(16, 16), kClear));

    // Rounded corners cut the background always and the sublayers when masking.
    LayerPtr round = solid({0, 0, 20, 20}, gfx::Color::red());
    round->setCornerRadius(8);
    ctx = render(round);
    EXPECT_TRUE(near(ctx->pixelAt(0, 0), kClear));
    EXPECT_TRUE(near(ctx->pixelAt(10, 0), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(10, 10), kRed));
    round->addSublayer(solid({0, 0, 20, 20}, gfx::Color::green()));
    EXPECT_TRUE(near(render(round)->pixelAt(0, 0), kGreen));
    round->setMasksToBounds(true);
    ctx = render(round);
    EXPECT_TRUE(near(ctx->pixelAt(0, 0), kClear));
    EXPECT_TRUE(near(ctx->pixelAt(19, 19), kClear));
    EXPECT_TRUE(near(ctx->pixelAt(1, 10), kGreen));
}

TEST(LayerTest, BorderDrawsInsideAboveSublayers) {
    LayerPtr layer = solid({0, 0, 20, 20}, gfx::Color::red());
    layer->setBorderWidth(2);
    layer->setBorderColor(gfx::Color::green());
    auto ctx = render(layer);
    EXPECT_TRUE(near(ctx->pixelAt(0, 10), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(1, 10), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(10, 18), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(3, 10), kRed));
    layer->addSublayer(solid({0, 0, 20, 20}, gfx::Color::blue()));
    ctx = render(layer);
    EXPECT_TRUE(near(ctx->pixelAt(0, 10), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(10, 10), kBlue));
}

TEST(LayerTest, SublayerTransforms) {
    LayerPtr root = Layer::create();
    root->setFrame({0, 0, 20, 20});
    // A 10x4 bar about (10, 10) turned a quarter turn stands 4 wide and 10 tall.
    LayerPtr bar = solid({5, 8, 10, 4}, gfx::Color::red());
    bar->setTransform(Transform3D::makeRotation(M_PI / 2, 0, 0, 1));
    root->addSublayer(bar);
    auto ctx = render(root);
    EXPECT_TRUE(near(ctx->pixelAt(10, 6), kRed));
    EXPECT_TRUE(near(ctx->pixelAt(6, 10), kClear));
    // A 4x4 square scaled twice about its centre covers 6...14; its child (in its bounds space,
    // shifted by the bounds origin) scales with it.
    LayerPtr square = solid({8, 8, 4, 4}, gfx::Color::blue());
    square->setTransform(Transform3D::makeScale(2, 2, 1));
    square->setBounds({2, 2, 4, 4});
    square->addSublayer(solid({2, 2, 1, 1}, gfx::Color::green()));
    bar->removeFromSuperlayer();
    root->addSublayer(square);
    ctx = render(root);
    EXPECT_TRUE(near(ctx->pixelAt(7, 13), kBlue));
    EXPECT_TRUE(near(ctx->pixelAt(5, 10), kClear));
    EXPECT_TRUE(near(ctx->pixelAt(6, 6), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(7, 7), kGreen));
    EXPECT_TRUE(near(ctx->pixelAt(8, 8), kBlue));
    // Only the affine part of a 3-D transform renders.
    Transform3D perspective = Transform3D::makeTranslation(3, 0, 0);
    perspective.m34 = -0.002;
    EXPECT_FALSE(perspective.isAffine());
    square->setTransform(perspective);
    ctx = render(root);
    EXPECT_TRUE(near(ctx->pixelAt(11, 10), kBlue));
    EXPECT_TRUE(near(ctx->pixelAt(9, 10), kClear));
}

} // namespace
} // namespace ui
