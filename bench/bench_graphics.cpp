// Drawing-context benchmarks: 200 sprite blits through Context::drawImage against the same blits made
// with raw cairo calls on the same kind of surface.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <vector>

#include "platform/graphics/context.h"
#include "platform/graphics/image.h"

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

} // namespace
