// Fuzz target: random sequences of GL calls with random arguments (sizes, NaN and huge coordinates,
// deleted names, unbound textures, calls with no context current) through the OpenGL ES 1.1 wrapper
// on one 64 x 64 surface. Nothing may crash or upset the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/graphics/gles1_context.h"

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return offset_ >= size_; }
    uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    int16_t int16() { return static_cast<int16_t>(byte() | (byte() << 8)); }
    uint32_t uint32() {
        return uint32_t{byte()} | uint32_t{byte()} << 8 | uint32_t{byte()} << 16 | uint32_t{byte()} << 24;
    }
    // Any bit pattern: NaN, infinities and huge values included.
    float anyFloat() {
        const uint32_t bits = uint32();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Mostly ordinary values, sometimes any bit pattern.
    float coordinate() { return (byte() & 7) == 0 ? anyFloat() : static_cast<float>(int16()) / 16.0F; }
    template <class T, size_t N>
    T pick(const T (&values)[N]) {
        return values[byte() % N];
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

constexpr GLenum kCaps[] = {GL_BLEND,        GL_ALPHA_TEST,     GL_DEPTH_TEST, GL_TEXTURE_2D, GL_CULL_FACE, GL_DITHER,
                            GL_SCISSOR_TEST, GL_COLOR_MATERIAL, GL_LIGHTING,   GL_FOG,        0x1234};
constexpr GLenum kFactors[] = {GL_ZERO, GL_ONE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_COLOR, GL_SRC_COLOR, 7};
constexpr GLenum kFuncs[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_ALWAYS, 0};
constexpr GLenum kMatrixModes[] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE, 0};
constexpr GLenum kModes[] = {GL_TRIANGLE_STRIP, GL_TRIANGLES, GL_TRIANGLE_FAN, GL_LINES, GL_POINTS, 99};
constexpr GLenum kTexParams[] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, 5};
constexpr GLint kTexValues[] = {GL_LINEAR, GL_NEAREST, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_LINEAR_MIPMAP_LINEAR, -1};
constexpr GLenum kFormats[] = {GL_RGBA, GL_RGB, GL_ALPHA, GL_LUMINANCE, 0};
constexpr GLenum kTypes[] = {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT_5_6_5, GL_UNSIGNED_SHORT_4_4_4_4, GL_FLOAT};
constexpr GLenum kStorageFormats[] = {GL_RGB565_OES, GL_RGBA8_OES, GL_DEPTH_COMPONENT16_OES, GL_RGBA4_OES, 0};
constexpr GLenum kQueries[] = {GL_RENDERBUFFER_BINDING_OES, GL_FRAMEBUFFER_BINDING_OES,
                               GL_TEXTURE_BINDING_2D,       GL_VIEWPORT,
                               GL_MAX_TEXTURE_SIZE,         GL_MODELVIEW_STACK_DEPTH};
constexpr GLenum kArrays[] = {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY, GL_NORMAL_ARRAY};

constexpr int kSide = 64;
constexpr size_t kArrayFloats = 64;

struct Surface {
    gfx::Gles1ContextPtr gl;
    GLuint colour = 0;
    GLuint depth = 0;
    GLuint framebuffer = 0;
};

Surface& surface() {
    static Surface s = [] {
        fnd::setLogToStderr(false);
        Surface made;
        made.gl = gfx::Gles1Context::create();
        if (!made.gl || !made.gl->makeCurrent()) {
            made.gl = nullptr;
            return made;
        }
        auto& gl = *made.gl;
        gl.genRenderbuffers(1, &made.colour);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, made.colour);
        gl.renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGB565_OES, kSide, kSide);
        gl.genRenderbuffers(1, &made.depth);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, made.depth);
        gl.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, kSide, kSide);
        gl.genFramebuffers(1, &made.framebuffer);
        return made;
    }();
    return s;
}

// The state every input starts from: the surface bound, the matrices reset, the guards' inputs off.
void reset(Surface& s) {
    auto& gl = *s.gl;
    gl.makeCurrent();
    gl.bindFramebuffer(GL_FRAMEBUFFER_OES, s.framebuffer);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, s.colour);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, s.depth);
    gl.viewport(0, 0, kSide, kSide);
    for (GLenum mode : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        gl.matrixMode(mode);
        GLint depth = 1;
        gl.getIntegerv(mode == GL_MODELVIEW
                           ? GL_MODELVIEW_STACK_DEPTH
                           : (mode == GL_PROJECTION ? GL_PROJECTION_STACK_DEPTH : GL_TEXTURE_STACK_DEPTH),
                       &depth);
        for (; depth > 1; --depth) {
            gl.popMatrix();
        }
        gl.loadIdentity();
    }
    for (GLenum array : kArrays) {
        gl.disableClientState(array);
    }
    // The last input's arrays are gone.
    gl.vertexPointer(2, GL_FLOAT, 0, nullptr);
    gl.texCoordPointer(2, GL_FLOAT, 0, nullptr);
    for (GLuint name : {s.colour, s.depth}) {
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, name);
        gl.renderbufferStorage(GL_RENDERBUFFER_OES, name == s.colour ? GL_RGB565_OES : GL_DEPTH_COMPONENT16_OES, kSide,
                               kSide);
    }
    gl.bindTexture(GL_TEXTURE_2D, 0);
    while (gl.getError() != GL_NO_ERROR) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface& s = surface();
    if (!s.gl) {
        return 0;
    }
    reset(s);
    auto& gl = *s.gl;
    Input in(data, size);
    std::vector<GLuint> textures;
    std::vector<GLuint> renderbuffers;
    std::vector<GLuint> framebuffers;
    // The caller's arrays, alive for the whole sequence, and the layout last given for each.
    float vertices[kArrayFloats] = {};
    float coords[kArrayFloats] = {};
    GLint vertexFloats = 4;
    GLint coordFloats = 4;
    auto anyName = [&](const std::vector<GLuint>& names) -> GLuint {
        const uint8_t choice = in.byte();
        return names.empty() || choice >= names.size() * 2 ? choice : names[choice % names.size()];
    };

    for (int steps = 0; !in.done() && steps < 64; ++steps) {
        switch (in.byte() % 22) {
        case 0:
            gl.clear(in.uint32() & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | 0x10));
            break;
        case 1:
            (in.byte() & 1) ? gl.enable(in.pick(kCaps)) : gl.disable(in.pick(kCaps));
            break;
        case 2:
            gl.blendFunc(in.pick(kFactors), in.pick(kFactors));
            break;
        case 3:
            gl.alphaFunc(in.pick(kFuncs), in.anyFloat());
            gl.depthFunc(in.pick(kFuncs));
            break;
        case 4:
            gl.depthMask(in.byte() & 1);
            gl.colorMask(in.byte() & 1, in.byte() & 1, in.byte() & 1, in.byte() & 1);
            break;
        case 5:
            gl.matrixMode(in.pick(kMatrixModes));
            gl.loadIdentity();
            break;
        case 6:
            (in.byte() & 1) ? gl.pushMatrix() : gl.popMatrix();
            break;
        case 7:
            gl.translatef(in.coordinate(), in.coordinate(), in.coordinate());
            gl.scalef(in.coordinate(), in.coordinate(), in.coordinate());
            break;
        case 8: {
            GLfloat m[16];
            for (float& v : m) {
                v = in.coordinate();
            }
            gl.multMatrixf(m);
            gl.orthof(in.coordinate(), in.coordinate(), in.coordinate(), in.coordinate(), in.coordinate(),
                      in.coordinate());
            break;
        }
        case 9:
            gl.color4f(in.anyFloat(), in.anyFloat(), in.anyFloat(), in.anyFloat());
            gl.clearColor(in.anyFloat(), in.anyFloat(), in.anyFloat(), in.anyFloat());
            gl.clearDepthf(in.anyFloat());
            break;
        case 10: {
            GLuint name = 0;
            gl.genTextures(1, &name);
            textures.push_back(name);
            break;
        }
        case 11: {
            const GLuint name = anyName(textures);
            gl.deleteTextures(1, &name);
            break;
        }
        case 12:
            gl.bindTexture(GL_TEXTURE_2D, anyName(textures));
            break;
        case 13: {
            // Sides from -128 to 1151: negative ones and ones over the cap included.
            const GLsizei w = static_cast<GLsizei>(in.int16() % 1280) - 128;
            const GLsizei h = static_cast<GLsizei>(in.byte()) * 5 - 128;
            const GLenum format = in.pick(kFormats);
            const GLenum type = in.pick(kTypes);
            std::vector<uint8_t> pixels;
            if (w > 0 && h > 0 && w <= gfx::Gles1Context::kMaxTextureSide && h <= gfx::Gles1Context::kMaxTextureSide) {
                // Room for the widest texel (4 bytes, float alpha included) and row alignment.
                pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h) * 4 + 4, in.byte());
            }
            gl.texImage2D(GL_TEXTURE_2D, in.byte() % 3, static_cast<GLint>(format), w, h, 0, format, type,
                          pixels.empty() ? nullptr : pixels.data());
            break;
        }
        case 14:
            gl.texParameteri(GL_TEXTURE_2D, in.pick(kTexParams), in.pick(kTexValues));
            break;
        case 15: {
            float* target = (in.byte() & 1) ? vertices : coords;
            for (size_t i = 0; i < 8; ++i) {
                target[in.byte() % kArrayFloats] = in.coordinate();
            }
            break;
        }
        case 16: {
            // Sizes 2..4 with strides of up to two spare floats; GL_FIXED has the same footprint.
            const GLint n = 2 + in.byte() % 3;
            const GLint spare = in.byte() % 3;
            const GLenum type = (in.byte() & 3) == 0 ? GL_FIXED : GL_FLOAT;
            const GLsizei stride = spare == 0 ? 0 : static_cast<GLsizei>((n + spare) * sizeof(float));
            // Without the context current the wrapper keeps the previous layout, and so do we.
            const bool taken = gl.isCurrent();
            if (in.byte() & 1) {
                gl.vertexPointer(n, type, stride, vertices);
                vertexFloats = taken ? n + spare : vertexFloats;
            } else {
                gl.texCoordPointer(n, type, stride, coords);
                coordFloats = taken ? n + spare : coordFloats;
            }
            break;
        }
        case 17: {
            (in.byte() & 1) ? gl.enableClientState(in.pick(kArrays)) : gl.disableClientState(in.pick(kArrays));
            // Only ranges inside both arrays, or negative ones (which GL refuses before reading).
            const GLint most = static_cast<GLint>(kArrayFloats) / std::max(vertexFloats, coordFloats);
            GLint first = static_cast<int8_t>(in.byte()) % (most + 1);
            GLsizei count = static_cast<int8_t>(in.byte()) % (most + 1);
            if (first >= 0 && count >= 0 && first + count > most) {
                count = most - first;
            }
            gl.drawArrays(in.pick(kModes), first, count);
            break;
        }
        case 18: {
            if (in.byte() & 1) {
                GLuint name = 0;
                gl.genRenderbuffers(1, &name);
                renderbuffers.push_back(name);
            }
            gl.bindRenderbuffer(GL_RENDERBUFFER_OES, anyName(renderbuffers));
            const GLsizei w = (in.byte() & 15) == 0 ? 5000 : static_cast<GLsizei>(in.int16() % 300);
            gl.renderbufferStorage(GL_RENDERBUFFER_OES, in.pick(kStorageFormats), w,
                                   static_cast<GLsizei>(in.int16() % 300));
            break;
        }
        case 19: {
            if (in.byte() & 1) {
                GLuint name = 0;
                gl.genFramebuffers(1, &name);
                framebuffers.push_back(name);
            }
            gl.bindFramebuffer(GL_FRAMEBUFFER_OES, (in.byte() & 1) ? s.framebuffer : anyName(framebuffers));
            gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES,
                                       (in.byte() & 1) ? GL_COLOR_ATTACHMENT0_OES : GL_DEPTH_ATTACHMENT_OES,
                                       GL_RENDERBUFFER_OES, anyName(renderbuffers));
            gl.checkFramebufferStatus(GL_FRAMEBUFFER_OES);
            break;
        }
        case 20: {
            gl.readPixels();
            gl.readRenderbuffer(anyName(renderbuffers));
            GLint values[16] = {};
            gl.getIntegerv(in.pick(kQueries), values);
            gl.getError();
            break;
        }
        default:
            // Leave no context current for a while: every call in between is refused.
            if (in.byte() & 1) {
                gfx::Gles1Context::clearCurrent();
            } else {
                gl.makeCurrent();
            }
            break;
        }
    }

    gl.makeCurrent();
    gl.deleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
    gl.deleteRenderbuffers(static_cast<GLsizei>(renderbuffers.size()), renderbuffers.data());
    gl.deleteFramebuffers(static_cast<GLsizei>(framebuffers.size()), framebuffers.data());
    // The draws must have finished before the arrays on this stack go.
    gl.finish();
    return 0;
}
