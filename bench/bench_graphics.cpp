// Drawing-context benchmarks against the same work done with raw cairo calls on the same kind of
// surface: 200 sprite blits through Context::drawImage, and a 256x256 shape raster (a curved path
// filled with a radial gradient through a grey mask, plus a tiled strip, into an R,G,B,A bitmap).
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <vector>

#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/image.h"
#include "platform/graphics/path.h"

namespace {

constexpr int kSprites = 200;
constexpr int kSide = 32;

// A 32x32 sprite with a gradient and a transparent corner, premultiplied B,G,R,A.
gfx::ImagePtr makeSprite() {
    fnd::Bytes px;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            uint8_t a = (x + y < 8) ? 0 : 255;
            px.insert(px.end(), {uint8_t(x * 8 * a / 255), uint8_t(y * 8 * a / 255), uint8_t(128 * a / 255), a});
        }
    }
    return gfx::Image::fromPixels(kSide, kSide, std::move(px));
}

// Whole-pixel positions spread over a 320x480 screen.
std::vector<gfx::Point> positions() {
    std::vector<gfx::Point> points;
    for (int i = 0; i < kSprites; ++i) {
        points.push_back(gfx::Point{double((i * 37) % (320 - kSide)), double((i * 53) % (480 - kSide))});
    }
    return points;
}

void blitOurs(benchmark::State& state) {
    auto sprite = makeSprite();
    auto points = positions();
    auto ctx = gfx::Context::createView(320, 480);
    for (auto _ : state) {
        for (const gfx::Point& p : points) {
            ctx->drawImage(gfx::Rect(p.x, p.y, kSide, kSide), *sprite);
        }
        ctx->flush();
    }
    benchmark::DoNotOptimize(ctx->pixelAt(100, 100));
}
BENCHMARK(blitOurs)->Name("blit200/ours");

void blitCairo(benchmark::State& state) {
    auto sprite = makeSprite();
    auto points = positions();
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 320, 480);
    cairo_t* cr = cairo_create(target);
    cairo_surface_t* pixels = cairo_image_surface_create_for_data(
        const_cast<uint8_t*>(sprite->data()), CAIRO_FORMAT_ARGB32, kSide, kSide, int(sprite->bytesPerRow()));
    for (auto _ : state) {
        for (const gfx::Point& p : points) {
            // The same placement: the sprite's top row along the rect's maximum y.
            cairo_save(cr);
            cairo_translate(cr, p.x, p.y + kSide);
            cairo_scale(cr, 1, -1);
            cairo_set_source_surface(cr, pixels, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
            cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
            cairo_rectangle(cr, 0, 0, kSide, kSide);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        cairo_surface_flush(target);
    }
    benchmark::DoNotOptimize(cairo_image_surface_get_data(target)[0]);
    cairo_surface_destroy(pixels);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}
BENCHMARK(blitCairo)->Name("blit200/cairo");

constexpr int kShape = 256;

// The mask: a grey disc on black, as a Gray8 bitmap's picture.
gfx::ImagePtr makeShapeMask() {
    auto grey = gfx::BitmapContext::create(kShape, kShape, gfx::PixelFormat::Gray8);
    grey->setGrayFillColor(1, 1);
    grey->fillEllipseInRect(gfx::Rect(16, 16, kShape - 32, kShape - 32));
    return grey->makeImage();
}

// The shape: a closed curve through the four sides of the raster.
gfx::Path makeShapePath() {
    gfx::Path path;
    path.moveToPoint({8, 128});
    path.addCurveToPoint({8, 0}, {248, 0}, {248, 128});
    path.addCurveToPoint({248, 256}, {8, 256}, {8, 128});
    path.closeSubpath();
    return path;
}

void shapeOurs(benchmark::State& state) {
    auto mask = makeShapeMask();
    auto tile = makeSprite();
    gfx::Path path = makeShapePath();
    const double components[] = {1, 0.8, 0.2, 1, 0.1, 0.2, 0.9, 1};
    auto gradient = gfx::Gradient::withColorComponents(components, {});
    auto ctx = gfx::BitmapContext::create(kShape, kShape, gfx::PixelFormat::Rgba8PremulLast);
    gfx::Rect whole(0, 0, kShape, kShape);
    for (auto _ : state) {
        ctx->clearRect(whole);
        ctx->saveGState();
        ctx->clipToMask(whole, *mask);
        ctx->addPath(path);
        ctx->clip();
        ctx->drawRadialGradient(*gradient, {128, 128}, 0, {128, 128}, 128, gfx::GradientDrawingOptions::DrawsAfterEnd);
        ctx->restoreGState();
        ctx->saveGState();
        ctx->clipToRect(gfx::Rect(0, 0, kShape, kSide));
        ctx->drawTiledImage(gfx::Rect(0, 0, kSide, kSide), *tile);
        ctx->restoreGState();
        ctx->flush();
    }
    benchmark::DoNotOptimize(ctx->data()[0]);
}
BENCHMARK(shapeOurs)->Name("shape256/ours");

void shapeCairo(benchmark::State& state) {
    auto maskImage = makeShapeMask();
    auto tile = makeSprite();
    std::vector<uint8_t> rgba(size_t(kShape) * kShape * 4);
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kShape, kShape);
    cairo_t* cr = cairo_create(target);
    // y-up like a bitmap context.
    cairo_translate(cr, 0, kShape);
    cairo_scale(cr, 1, -1);
    cairo_surface_t* tilePixels = cairo_image_surface_create_for_data(
        const_cast<uint8_t*>(tile->data()), CAIRO_FORMAT_ARGB32, kSide, kSide, int(tile->bytesPerRow()));
    for (auto _ : state) {
        // The grey mask as an A8 plane, made per frame as the context does.
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, kShape, kShape);
        uint8_t* m = cairo_image_surface_get_data(mask);
        int stride = cairo_image_surface_get_stride(mask);
        for (int y = 0; y < kShape; ++y) {
            for (int x = 0; x < kShape; ++x) {
                m[y * stride + x] = maskImage->data()[(size_t(y) * kShape + x) * 4 + 1];
            }
        }
        cairo_surface_mark_dirty(mask);

        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_push_group(cr);
        cairo_move_to(cr, 8, 128);
        cairo_curve_to(cr, 8, 0, 248, 0, 248, 128);
        cairo_curve_to(cr, 248, 256, 8, 256, 8, 128);
        cairo_close_path(cr);
        cairo_clip(cr);
        cairo_pattern_t* radial = cairo_pattern_create_radial(128, 128, 0, 128, 128, 128);
        cairo_pattern_add_color_stop_rgba(radial, 0, 1, 0.8, 0.2, 1);
        cairo_pattern_add_color_stop_rgba(radial, 1, 0.1, 0.2, 0.9, 1);
        cairo_pattern_set_extend(radial, CAIRO_EXTEND_PAD);
        cairo_set_source(cr, radial);
        cairo_paint(cr);
        cairo_pattern_destroy(radial);
        cairo_reset_clip(cr);
        cairo_pop_group_to_source(cr);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_mask_surface(cr, mask, 0, 0);
        cairo_restore(cr);
        cairo_surface_destroy(mask);

        cairo_save(cr);
        cairo_rectangle(cr, 0, 0, kShape, kSide);
        cairo_clip(cr);
        cairo_pattern_t* tiles = cairo_pattern_create_for_surface(tilePixels);
        cairo_matrix_t pm;
        cairo_matrix_init(&pm, 1, 0, 0, -1, 0, kSide);
        cairo_pattern_set_matrix(tiles, &pm);
        cairo_pattern_set_extend(tiles, CAIRO_EXTEND_REPEAT);
        cairo_set_source(cr, tiles);
        cairo_paint(cr);
        cairo_pattern_destroy(tiles);
        cairo_restore(cr);

        // Into R,G,B,A memory, as the bitmap context's flush does.
        cairo_surface_flush(target);
        const uint8_t* px = cairo_image_surface_get_data(target);
        int tstride = cairo_image_surface_get_stride(target);
        for (int y = 0; y < kShape; ++y) {
            for (int x = 0; x < kShape; ++x) {
                const uint8_t* in = px + y * tstride + x * 4;
                uint8_t* out = rgba.data() + (size_t(y) * kShape + x) * 4;
                out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = in[3];
            }
        }
    }
    benchmark::DoNotOptimize(rgba[0]);
    cairo_surface_destroy(tilePixels);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}
BENCHMARK(shapeCairo)->Name("shape256/cairo");

} // namespace
