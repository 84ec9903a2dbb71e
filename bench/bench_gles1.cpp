// GL surface benchmarks: a frame of 20 textured, alpha-blended 120 x 120 sprites through the OpenGL
// ES 1.1 wrapper on llvmpipe, presented into its layer, against the same sprites bilinear-scaled and
// composited with cairo onto a 320 x 480 surface; and the first frame after context creation.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/ui/eagl_context.h"
#include "platform/ui/eagl_layer.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 480;
constexpr int kSprites = 20;
constexpr int kSprite = 120;
constexpr int kTexture = 128;

// A 128 x 128 RGBA texture (premultiplied) whose 120 x 120 sprite is a gradient disc with soft edges.
std::vector<uint8_t> spriteTexels() {
    std::vector<uint8_t> texels(kTexture * kTexture * 4, 0);
    for (int y = 0; y < kSprite; ++y) {
        for (int x = 0; x < kSprite; ++x) {
            const double d = std::hypot(x - 59.5, y - 59.5);
            const double a = std::clamp(60.0 - d, 0.0, 1.0);
            uint8_t* p = &texels[(y * kTexture + x) * 4];
            p[0] = uint8_t(std::lround(2 * x * a));
            p[1] = uint8_t(std::lround(2 * y * a));
            p[2] = uint8_t(std::lround(200 * a));
            p[3] = uint8_t(std::lround(255 * a));
        }
    }
    return texels;
}

// Fractional positions, so every sprite is resampled bilinearly in both renderers.
struct Position {
    float x;
    float y;
};
std::vector<Position> positions() {
    std::vector<Position> out;
    for (int i = 0; i < kSprites; ++i) {
        out.push_back({float((i * 67) % (kWidth - kSprite)) + 0.37F, float((i * 131) % (kHeight - kSprite)) + 0.61F});
    }
    return out;
}

// The GL view's surface and the state of its frames, with the sprite texture uploaded.
struct GlScene {
    std::shared_ptr<ui::EaglContext> context;
    std::shared_ptr<ui::EaglLayer> layer;
    GLuint colour = 0;

    bool make() {
        context = ui::EaglContext::create(ui::EaglContext::API::Gles1);
        if (!context || !ui::EaglContext::setCurrentContext(context)) {
            return false;
        }
        layer = ui::EaglLayer::create();
        layer->setOpaque(true);
        layer->setDrawableProperties({false, ui::EaglColorFormat::Rgb565});
        layer->setBounds(gfx::Rect(0, 0, kWidth, kHeight));
        auto& gl = context->gl();
        GLuint framebuffer = 0;
        GLuint depth = 0;
        gl.genRenderbuffers(1, &colour);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
        context->renderbufferStorageFromDrawable(GL_RENDERBUFFER_OES, layer);
        gl.genFramebuffers(1, &framebuffer);
        gl.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour);
        gl.genRenderbuffers(1, &depth);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, depth);
        gl.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, kWidth, kHeight);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depth);
        gl.viewport(0, 0, kWidth, kHeight);
        GLuint texture = 0;
        const std::vector<uint8_t> texels = spriteTexels();
        gl.genTextures(1, &texture);
        gl.bindTexture(GL_TEXTURE_2D, texture);
        gl.texImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kTexture, kTexture, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        gl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        return gl.checkFramebufferStatus(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES;
    }

    // One frame as the animation view draws it: projection, y-down model-view, clear, 20 quads, present.
    void frame(const std::vector<Position>& at) {
        auto& gl = context->gl();
        gl.matrixMode(GL_PROJECTION);
        gl.loadIdentity();
        gl.orthof(0, kWidth, 0, kHeight, -100, 100);
        gl.matrixMode(GL_MODELVIEW);
        gl.enable(GL_BLEND);
        gl.enable(GL_COLOR_MATERIAL);
        gl.blendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.disable(GL_CULL_FACE);
        gl.loadIdentity();
        gl.translatef(0, kHeight, 0);
        gl.scalef(1, -1, 1);
        gl.clearColor(0, 0, 0, 1);
        gl.clearDepthf(0);
        gl.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const float u = float(kSprite) / kTexture;
        const GLfloat coords[] = {0, 1, u, 1, 0, 1 - u, u, 1 - u};
        gl.enable(GL_TEXTURE_2D);
        gl.enableClientState(GL_VERTEX_ARRAY);
        gl.enableClientState(GL_TEXTURE_COORD_ARRAY);
        gl.texCoordPointer(2, GL_FLOAT, 0, coords);
        for (const Position& p : at) {
            const GLfloat vertices[] = {p.x, p.y,           0, p.x + kSprite, p.y,           0,
                                        p.x, p.y + kSprite, 0, p.x + kSprite, p.y + kSprite, 0};
            gl.color4f(1, 1, 1, 0.8F);
            gl.vertexPointer(3, GL_FLOAT, 0, vertices);
            gl.drawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
        context->presentRenderbuffer(GL_RENDERBUFFER_OES);
    }
};

// Registered first, so it measures Mesa compiling its shaders for the frame's state combination.
void firstFrame(benchmark::State& state) {
    const auto at = positions();
    for (auto _ : state) {
        state.PauseTiming();
        GlScene scene;
        if (!scene.make()) {
            state.SkipWithError("no GL context");
            break;
        }
        state.ResumeTiming();
        scene.frame(at);
        state.PauseTiming();
        ui::EaglContext::setCurrentContext(nullptr);
        scene = GlScene{};
        state.ResumeTiming();
    }
}
BENCHMARK(firstFrame)->Name("firstFrame/ours")->Iterations(1)->Unit(benchmark::kMillisecond);

void frameOurs(benchmark::State& state) {
    GlScene scene;
    if (!scene.make()) {
        state.SkipWithError("no GL context");
        return;
    }
    const auto at = positions();
    for (auto _ : state) {
        scene.frame(at);
    }
    benchmark::DoNotOptimize(scene.layer->contents()->pixelAt(100, 100));
    ui::EaglContext::setCurrentContext(nullptr);
}
BENCHMARK(frameOurs)->Name("frame20/ours")->Unit(benchmark::kMillisecond);

void frameCairo(benchmark::State& state) {
    // The same sprite as a cairo (premultiplied ARGB32) image of 120 x 120.
    const std::vector<uint8_t> texels = spriteTexels();
    cairo_surface_t* sprite = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSprite, kSprite);
    uint8_t* data = cairo_image_surface_get_data(sprite);
    const int stride = cairo_image_surface_get_stride(sprite);
    for (int y = 0; y < kSprite; ++y) {
        for (int x = 0; x < kSprite; ++x) {
            const uint8_t* in = &texels[(y * kTexture + x) * 4];
            uint8_t* out = data + y * stride + x * 4;
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
    }
    cairo_surface_mark_dirty(sprite);
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(target);
    const auto at = positions();
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        for (const Position& p : at) {
            cairo_save(cr);
            cairo_translate(cr, p.x, p.y);
            cairo_set_source_surface(cr, sprite, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
            cairo_paint_with_alpha(cr, 0.8);
            cairo_restore(cr);
        }
        cairo_surface_flush(target);
    }
    benchmark::DoNotOptimize(cairo_image_surface_get_data(target)[1000]);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
    cairo_surface_destroy(sprite);
}
BENCHMARK(frameCairo)->Name("frame20/cairo")->Unit(benchmark::kMillisecond);

} // namespace
