// Read-back tests of the OpenGL ES 1.1 wrapper on llvmpipe: the animation view's frame set-up and
// row order, the read-back's conversion of every RGB565 value and every channel and alpha pair, its
// depth-clip passes, texture coordinates of a power-of-two texture, the blend of premultiplied texels,
// and the guards (texture cap, non-finite vertices, calls without a context).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/scoped_env.h"
#include "platform/graphics/gles1_context.h"
#include "platform/graphics/gles1_display.h"

namespace gfx {
namespace {

constexpr Rgba8 kBlack{0, 0, 0, 255};
constexpr Rgba8 kWhite{255, 255, 255, 255};
constexpr Rgba8 kRed{255, 0, 0, 255};

// A context with a colour (RGB565 unless told) and 16-bit depth framebuffer of w x h, current on this
// thread, with the animation view's frame state: y-down view points, blending, cleared to opaque
// black, depth 0.
struct Surface {
    Gles1ContextPtr gl;
    int width;
    int height;
    GLuint colour = 0;

    Surface(int w, int h, GLenum colourFormat = GL_RGB565_OES) : gl(Gles1Context::create()), width(w), height(h) {
        if (!gl || !gl->makeCurrent()) {
            ADD_FAILURE() << "no GL context";
            gl = nullptr;
            return;
        }
        GLuint depth = 0;
        GLuint framebuffer = 0;
        gl->genRenderbuffers(1, &colour);
        gl->bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
        gl->renderbufferStorage(GL_RENDERBUFFER_OES, colourFormat, w, h);
        gl->genFramebuffers(1, &framebuffer);
        gl->bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
        gl->framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour);
        gl->genRenderbuffers(1, &depth);
        gl->bindRenderbuffer(GL_RENDERBUFFER_OES, depth);
        gl->renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, w, h);
        gl->framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depth);
        EXPECT_EQ(gl->checkFramebufferStatus(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
        gl->viewport(0, 0, w, h);
        gl->matrixMode(GL_PROJECTION);
        gl->loadIdentity();
        gl->orthof(0, float(w), 0, float(h), -100, 100);
        gl->matrixMode(GL_MODELVIEW);
        gl->enable(GL_BLEND);
        gl->enable(GL_COLOR_MATERIAL);
        gl->blendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl->disable(GL_CULL_FACE);
        gl->loadIdentity();
        gl->translatef(0, float(h), 0);
        gl->scalef(1, -1, 1);
        gl->clearColor(0, 0, 0, 1);
        gl->clearDepthf(0);
        gl->clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // One triangle strip in the animation view's vertex order; texture coordinates when u > 0.
    void quad(float x, float y, float w, float h, float u = 0, float v = 0) {
        const GLfloat vertices[] = {x, y, 0, x + w, y, 0, x, y + h, 0, x + w, y + h, 0};
        const GLfloat coords[] = {0, 1, u, 1, 0, 1 - v, u, 1 - v};
        gl->enableClientState(GL_VERTEX_ARRAY);
        gl->vertexPointer(3, GL_FLOAT, 0, vertices);
        if (u > 0) {
            gl->enableClientState(GL_TEXTURE_COORD_ARRAY);
            gl->texCoordPointer(2, GL_FLOAT, 0, coords);
        } else {
            gl->disableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        gl->drawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    GLuint texture(int w, int h, const std::vector<uint8_t>& rgba) {
        GLuint name = 0;
        gl->genTextures(1, &name);
        gl->bindTexture(GL_TEXTURE_2D, name);
        gl->texImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        gl->texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl->texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        gl->enable(GL_TEXTURE_2D);
        return name;
    }
};

// Pixels of `image` inside [x0, x1) x [y0, y1) that differ from `expected`.
int countOff(const ImagePtr& image, int x0, int y0, int x1, int y1, Rgba8 expected) {
    int off = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            off += image->pixelAt(x, y) == expected ? 0 : 1;
        }
    }
    return off;
}

TEST(Gles1ContextTest, FrameSetUpPlacesViewPointsTopDownAndReadsBackTheSameBytesEveryTime) {
    std::vector<uint8_t> first;
    for (int run = 0; run < 2; ++run) {
        Surface s(64, 48);
        ASSERT_TRUE(s.gl);
        EXPECT_NE(s.gl->renderer().find("llvmpipe"), std::string::npos) << s.gl->renderer();
        s.gl->color4f(1, 0, 0, 1);
        s.quad(10, 20, 8, 6);
        ImagePtr image = s.gl->readPixels();
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width(), 64);
        ASSERT_EQ(image->height(), 48);
        EXPECT_EQ(countOff(image, 10, 20, 18, 26, kRed), 0);
        EXPECT_EQ(countOff(image, 0, 0, 64, 20, kBlack), 0);
        EXPECT_EQ(countOff(image, 0, 26, 64, 48, kBlack), 0);
        EXPECT_EQ(countOff(image, 0, 20, 10, 26, kBlack) + countOff(image, 18, 20, 64, 26, kBlack), 0);

        // A clear colour comes back through RGB565: 5 and 6 bits widened by repeating the top bits.
        s.gl->clearColor(0.2F, 0.4F, 0.6F, 1);
        s.gl->clear(GL_COLOR_BUFFER_BIT);
        s.quad(0, 0, 4, 4);
        image = s.gl->readPixels();
        EXPECT_EQ(image->pixelAt(30, 30), (Rgba8{49, 101, 156, 255}));
        EXPECT_EQ(image->pixelAt(1, 1), kRed);
        const uint8_t* bytes = image->data();
        std::vector<uint8_t> copy(bytes, bytes + image->bytesPerRow() * 48);
        if (run == 0) {
            first = copy;
        } else {
            EXPECT_EQ(copy, first);
        }
        EXPECT_EQ(s.gl->getError(), GLenum(GL_NO_ERROR));
    }
}

// GL's own reading of the bound framebuffer as R,G,B,A bytes, bottom row first.
std::vector<uint8_t> glRgba(int width, int height) {
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Draws `texels` (a 256 x 256 texture of `format` and `type`) over the whole 256 x 256 surface, texel
// for pixel, without blending.
void drawTexelForPixel(Surface& s, GLenum format, GLenum type, const void* texels) {
    GLuint name = 0;
    s.gl->genTextures(1, &name);
    s.gl->bindTexture(GL_TEXTURE_2D, name);
    s.gl->texImage2D(GL_TEXTURE_2D, 0, GLint(format), 256, 256, 0, format, type, texels);
    s.gl->texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    s.gl->texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    s.gl->enable(GL_TEXTURE_2D);
    s.gl->disable(GL_BLEND);
    s.gl->color4f(1, 1, 1, 1);
    s.quad(0, 0, 256, 256, 1, 1);
}

TEST(Gles1ContextTest, ReadBackGivesGLsOwnRgb565WideningForEveryValue) {
    Surface s(256, 256);
    ASSERT_TRUE(s.gl);
    std::vector<uint16_t> every(256 * 256);
    for (size_t i = 0; i < every.size(); ++i) {
        every[i] = uint16_t(i);
    }
    drawTexelForPixel(s, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, every.data());
    const std::vector<uint8_t> rgba = glRgba(256, 256);
    ImagePtr image = s.gl->readPixels();
    ImagePtr presented = s.gl->readRenderbuffer(s.colour);
    ASSERT_TRUE(image && presented);
    std::set<uint32_t> seen;
    auto countOffGL = [&] {
        int off = 0;
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                const uint8_t* p = &rgba[(size_t(255 - y) * 256 + size_t(x)) * 4];
                seen.insert(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
                const Rgba8 expected{p[0], p[1], p[2], 255};
                off += image->pixelAt(x, y) == expected && presented->pixelAt(x, y) == expected ? 0 : 1;
            }
        }
        return off;
    };
    EXPECT_EQ(countOffGL(), 0);
    EXPECT_EQ(seen.size(), 65536U);

    // Later frames are read into the buffers of frames whose images went, never into one still held.
    s.gl->clearColor(0, 0, 1, 1);
    s.gl->clear(GL_COLOR_BUFFER_BIT);
    for (int frame = 0; frame < 4; ++frame) {
        ImagePtr later = frame % 2 == 0 ? s.gl->readPixels() : s.gl->readRenderbuffer(s.colour);
        ASSERT_TRUE(later);
        EXPECT_EQ(countOff(later, 0, 0, 256, 256, (Rgba8{0, 0, 255, 255})), 0) << frame;
    }
    EXPECT_EQ(countOffGL(), 0);
    EXPECT_EQ(s.gl->getError(), GLenum(GL_NO_ERROR));
}

TEST(Gles1ContextTest, ReadBackPremultipliesEveryChannelAndAlphaPairAndPresentsOpaque) {
    Surface s(256, 256, GL_RGBA8_OES);
    ASSERT_TRUE(s.gl);
    // Red runs through every value along a row, alpha through every value down the columns.
    std::vector<uint8_t> texels(256 * 256 * 4);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            uint8_t* t = &texels[(size_t(y) * 256 + size_t(x)) * 4];
            t[0] = uint8_t(x);
            t[1] = uint8_t(255 - x);
            t[2] = uint8_t(x * 7);
            t[3] = uint8_t(y);
        }
    }
    drawTexelForPixel(s, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const std::vector<uint8_t> rgba = glRgba(256, 256);
    ImagePtr image = s.gl->readPixels();
    ImagePtr presented = s.gl->readRenderbuffer(s.colour);
    ASSERT_TRUE(image && presented);
    std::set<uint32_t> pairs;
    int off = 0;
    int offPresented = 0;
    for (int y = 0; y < 256; ++y) {
        const uint8_t* row = image->data() + size_t(y) * image->bytesPerRow();
        const uint8_t* rowPresented = presented->data() + size_t(y) * presented->bytesPerRow();
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = &rgba[(size_t(255 - y) * 256 + size_t(x)) * 4];
            const unsigned a = p[3];
            pairs.insert(uint32_t(p[0]) << 8 | a);
            // Stored B, G, R, A: premultiplied and rounded to nearest.
            const uint8_t expected[4] = {uint8_t((p[2] * a + 127) / 255), uint8_t((p[1] * a + 127) / 255),
                                         uint8_t((p[0] * a + 127) / 255), uint8_t(a)};
            off += std::memcmp(row + x * 4, expected, 4) == 0 ? 0 : 1;
            const uint8_t opaque[4] = {p[2], p[1], p[0], 255};
            offPresented += std::memcmp(rowPresented + x * 4, opaque, 4) == 0 ? 0 : 1;
        }
    }
    EXPECT_EQ(pairs.size(), 65536U);
    EXPECT_EQ(off, 0);
    EXPECT_EQ(offPresented, 0);
}

TEST(Gles1ContextTest, ClipPassWritesDepthOnlyAndContentShowsWhereTheClipWrote) {
    Surface s(64, 64);
    ASSERT_TRUE(s.gl);
    auto& gl = *s.gl;
    // The mask pass: alpha only, depth ALWAYS one unit behind the content, alpha test > 0.1.
    gl.colorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    gl.depthMask(GL_TRUE);
    gl.enable(GL_ALPHA_TEST);
    gl.enable(GL_DEPTH_TEST);
    gl.alphaFunc(GL_GREATER, 0.1F);
    gl.depthFunc(GL_ALWAYS);
    gl.pushMatrix();
    gl.translatef(0, 0, -1);
    gl.color4f(0, 1, 0, 1);
    s.quad(10, 10, 20, 20);
    gl.color4f(0, 1, 0, 0.05F); // fails the alpha test: writes no depth
    s.quad(40, 40, 10, 10);
    gl.popMatrix();
    // The content pass: colour on, depth LESS, no depth writes.
    gl.colorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    gl.disable(GL_ALPHA_TEST);
    gl.depthMask(GL_FALSE);
    gl.depthFunc(GL_LESS);
    gl.color4f(1, 0, 0, 1);
    s.quad(0, 0, 25, 64);
    s.quad(40, 40, 10, 10);
    ImagePtr image = gl.readPixels();
    ASSERT_TRUE(image);
    // Content only where the clip wrote 0.505 (z = -1 under near -100, far 100); elsewhere the cleared
    // 0 stops it. The clip's own green never reaches the colour buffer.
    EXPECT_EQ(countOff(image, 10, 10, 25, 30, kRed), 0);
    EXPECT_EQ(countOff(image, 0, 0, 10, 64, kBlack), 0);
    EXPECT_EQ(countOff(image, 25, 10, 30, 30, kBlack), 0);
    EXPECT_EQ(countOff(image, 40, 40, 50, 50, kBlack), 0);
    EXPECT_EQ(countOff(image, 10, 0, 64, 10, kBlack) + countOff(image, 10, 30, 64, 40, kBlack), 0);
    EXPECT_EQ(gl.getError(), GLenum(GL_NO_ERROR));
}

TEST(Gles1ContextTest, PowerOfTwoTextureCoordinatesCropTheShapeAndRepeatBleedsAtTheEdge) {
    // A 100 x 30 opaque white shape in a 128 x 32 texture, in rows 2..31 as the y-up bitmap leaves it.
    std::vector<uint8_t> texels(128 * 32 * 4, 0);
    for (int y = 2; y < 32; ++y) {
        for (int x = 0; x < 100; ++x) {
            std::fill_n(texels.begin() + (y * 128 + x) * 4, 4, 255);
        }
    }
    Surface s(240, 120);
    ASSERT_TRUE(s.gl);
    auto& gl = *s.gl;
    gl.color4f(1, 1, 1, 1);
    s.texture(128, 32, texels);
    s.quad(10, 10, 100, 30, 0.78125F, 0.9375F);
    // The same quad at twice the size: the top row samples between texel row 31 and, repeated, row 0.
    gl.pushMatrix();
    gl.translatef(0, 50, 0);
    gl.scalef(2, 2, 1);
    s.quad(0, 0, 100, 30, 0.78125F, 0.9375F);
    gl.popMatrix();
    ImagePtr image = gl.readPixels();
    ASSERT_TRUE(image);
    EXPECT_EQ(countOff(image, 10, 10, 110, 40, kWhite), 0);
    EXPECT_EQ(countOff(image, 0, 0, 240, 10, kBlack), 0);
    EXPECT_EQ(countOff(image, 0, 10, 10, 40, kBlack) + countOff(image, 110, 10, 240, 40, kBlack), 0);
    EXPECT_EQ(countOff(image, 0, 40, 240, 50, kBlack), 0);
    const Rgba8 edge = image->pixelAt(100, 50);
    EXPECT_GT(edge.r, 0);
    EXPECT_LT(edge.r, 255);
    EXPECT_EQ(countOff(image, 2, 52, 198, 108, kWhite), 0);

    // Clamped to the edge, the same top row is whole.
    gl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl.clear(GL_COLOR_BUFFER_BIT);
    gl.translatef(0, 50, 0);
    gl.scalef(2, 2, 1);
    s.quad(0, 0, 100, 30, 0.78125F, 0.9375F);
    EXPECT_EQ(gl.readPixels()->pixelAt(100, 50), kWhite);
}

TEST(Gles1ContextTest, PremultipliedTexelsBlendAsStraightAlphaLikeTheOriginal) {
    Surface s(16, 16);
    ASSERT_TRUE(s.gl);
    s.texture(4, 4, std::vector<uint8_t>(4 * 4 * 4, 128));
    s.gl->color4f(1, 1, 1, 0.5F);
    s.quad(0, 0, 16, 16, 1, 1);
    ImagePtr image = s.gl->readPixels();
    ASSERT_TRUE(image);
    EXPECT_EQ(countOff(image, 0, 0, 16, 16, (Rgba8{33, 32, 33, 255})), 0);
}

TEST(Gles1ContextTest, GuardsRecordErrorsLogAndKeepTheFrameClean) {
    fnd::testing::LogCapture log;
    Surface s(32, 32);
    ASSERT_TRUE(s.gl);
    auto& gl = *s.gl;

    // A texture over the cap is refused before GL; one at the cap is accepted.
    s.texture(1025, 4, {});
    EXPECT_EQ(gl.getError(), GLenum(GL_INVALID_VALUE));
    EXPECT_EQ(log.count("refusing a 1025 x 4 texture"), 1U);
    s.texture(1024, 1, std::vector<uint8_t>(1024 * 4, 255));
    EXPECT_EQ(gl.getError(), GLenum(GL_NO_ERROR));

    // GL's own errors come through after ours.
    gl.popMatrix();
    EXPECT_EQ(gl.getError(), GLenum(GL_STACK_UNDERFLOW));
    EXPECT_EQ(gl.getError(), GLenum(GL_NO_ERROR));

    // Non-finite or huge vertices: the draw is dropped, logged once per frame.
    gl.disable(GL_TEXTURE_2D);
    gl.color4f(1, 1, 1, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    s.quad(0, 0, nan, 10);
    s.quad(0, 0, 1e9F, 10);
    EXPECT_EQ(log.count("dropped a draw"), 1U);
    EXPECT_EQ(countOff(gl.readPixels(), 0, 0, 32, 32, kBlack), 0);
    gl.clear(GL_COLOR_BUFFER_BIT);
    s.quad(0, 0, 10, std::numeric_limits<float>::infinity());
    EXPECT_EQ(log.count("dropped a draw"), 2U);
    // An array GL would read from address 0 is never drawn from.
    gl.enableClientState(GL_COLOR_ARRAY);
    EXPECT_EQ(gl.getError(), GLenum(GL_INVALID_ENUM));
    gl.vertexPointer(2, GL_FLOAT, 0, nullptr);
    gl.drawArrays(GL_TRIANGLE_STRIP, 0, 4);
    EXPECT_EQ(gl.getError(), GLenum(GL_INVALID_OPERATION));
    s.quad(0, 0, 10, 10);
    EXPECT_EQ(countOff(gl.readPixels(), 0, 0, 10, 10, kWhite), 0);

    // A call with the context not current here does nothing and says so.
    ASSERT_TRUE(Gles1Context::clearCurrent());
    gl.clear(GL_COLOR_BUFFER_BIT);
    EXPECT_FALSE(gl.readPixels());
    EXPECT_EQ(gl.getError(), GLenum(GL_INVALID_OPERATION));
    EXPECT_TRUE(log.contains("clear called while context"));
    ASSERT_TRUE(gl.makeCurrent());
    EXPECT_EQ(countOff(gl.readPixels(), 0, 0, 10, 10, kWhite), 0);
}

TEST(Gles1ContextTest, TheShaderCacheStaysInTheClientsCacheFolderUnlessTheUserChoseOtherwise) {
    fnd::testing::ScopedEnv dir("MESA_SHADER_CACHE_DIR", nullptr);
    fnd::testing::ScopedEnv off("MESA_SHADER_CACHE_DISABLE", nullptr);
    fnd::testing::ScopedEnv oldDir("MESA_GLSL_CACHE_DIR", nullptr);
    fnd::testing::ScopedEnv oldOff("MESA_GLSL_CACHE_DISABLE", nullptr);
    keepShaderCacheInAppCaches();
    ASSERT_NE(std::getenv("MESA_SHADER_CACHE_DIR"), nullptr);
    EXPECT_EQ(std::string(std::getenv("MESA_SHADER_CACHE_DIR")), fnd::AppFolders::caches());
    bool isFolder = false;
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(fnd::AppFolders::caches(), &isFolder) && isFolder);
    EXPECT_EQ(fnd::AppFolders::caches().rfind(fnd::AppFolders::root(), 0), 0u);

    // The user's own folder, or the cache turned off, is kept as it is.
    ::setenv("MESA_SHADER_CACHE_DIR", "/elsewhere", 1);
    keepShaderCacheInAppCaches();
    EXPECT_EQ(std::string(std::getenv("MESA_SHADER_CACHE_DIR")), "/elsewhere");
    ::unsetenv("MESA_SHADER_CACHE_DIR");
    ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    keepShaderCacheInAppCaches();
    EXPECT_EQ(std::getenv("MESA_SHADER_CACHE_DIR"), nullptr);
}

} // namespace
} // namespace gfx
