// Reading a GL colour buffer back into a gfx::Image: the framebuffer's rows turned top first and the
// pixels GL gives converted to our premultiplied BGRA. GL hands over the buffer in the format it reads
// fastest (RGB565 for the GL surface view's layers, else RGBA); the frame's pixel buffer comes back to
// the context when its image goes, so a frame of the same size is read without allocating or clearing
// memory.
#include <bit>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/graphics/gles1_context.h"
#include "platform/graphics/gles1_display.h"
#include "platform/graphics/pixel_ops.h"

namespace gfx {

// Our pixels are B,G,R,A bytes in memory, written here as one 32-bit word 0xAARRGGBB.
static_assert(std::endian::native == std::endian::little);

// Pixel buffers of frames whose images have gone, kept for the next read-backs.
struct Gles1Context::ReadBuffers {
    // Two frames are in flight at most: the one a layer shows and the one being read.
    static constexpr size_t kSpares = 2;

    std::mutex mutex;
    std::vector<fnd::Bytes> spares;
    // GL's rows before conversion (RGB565), and one row of the in-place RGBA conversion.
    std::vector<uint16_t> rgb565;
    std::vector<uint8_t> row;
};

namespace {

// A frame buffer of `size` bytes, a spare one when there is one (its old pixels are all overwritten),
// that goes back to `pool` when the last image holding it goes.
std::shared_ptr<fnd::Bytes> frameBuffer(const std::shared_ptr<Gles1Context::ReadBuffers>& pool, size_t size) {
    fnd::Bytes bytes;
    {
        std::lock_guard lock(pool->mutex);
        if (!pool->spares.empty()) {
            bytes = std::move(pool->spares.back());
            pool->spares.pop_back();
        }
    }
    bytes.resize(size);
    std::weak_ptr<Gles1Context::ReadBuffers> home = pool;
    return {new fnd::Bytes(std::move(bytes)), [home](fnd::Bytes* done) {
                if (auto back = home.lock()) {
                    std::lock_guard lock(back->mutex);
                    if (back->spares.size() < Gles1Context::ReadBuffers::kSpares) {
                        back->spares.push_back(std::move(*done));
                    }
                }
                delete done;
            }};
}

// One RGB565 pixel as opaque BGRA: 5 and 6 bits widened to 8 by repeating their top bits, as GL does.
inline uint32_t widenRgb565(uint32_t p) {
    const uint32_t r = p >> 11;
    const uint32_t g = (p >> 5) & 63U;
    const uint32_t b = p & 31U;
    return 0xFF000000U | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

void convertRgb565Row(const uint16_t* in, uint8_t* out, size_t width) {
    for (size_t x = 0; x < width; ++x, out += 4) {
        const uint32_t bgra = widenRgb565(in[x]);
        std::memcpy(out, &bgra, 4);
    }
}

// One row of GL's R,G,B,A bytes as our B,G,R,A, premultiplied unless `opaque` (then alpha is 255).
// `in` and `out` may be the same row.
void convertRgbaRow(const uint8_t* in, uint8_t* out, size_t width, bool opaque) {
    for (size_t x = 0; x < width; ++x, in += 4, out += 4) {
        const uint32_t r = in[0];
        const uint32_t g = in[1];
        const uint32_t b = in[2];
        const uint32_t a = opaque ? 255U : in[3];
        uint32_t bgra = 0;
        if (a == 255U) {
            bgra = 0xFF000000U | r << 16 | g << 8 | b;
        } else {
            bgra = a << 24 | uint32_t{pixel::premultiply(r, a)} << 16 | uint32_t{pixel::premultiply(g, a)} << 8 |
                   pixel::premultiply(b, a);
        }
        std::memcpy(out, &bgra, 4);
    }
}

} // namespace

ImagePtr Gles1Context::readPixels() {
    return ready("readPixels") ? readBoundColour(false) : nullptr;
}

ImagePtr Gles1Context::readRenderbuffer(GLuint renderbuffer) {
    if (!ready("readRenderbuffer")) {
        return nullptr;
    }
    const Gles1Display* d = gles1Display();
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &previous);
    if (readFramebuffer_ == 0) {
        d->genFramebuffers(1, &readFramebuffer_);
    }
    d->bindFramebuffer(GL_FRAMEBUFFER_OES, readFramebuffer_);
    d->framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
    ImagePtr image = readBoundColour(true);
    d->framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, 0);
    d->bindFramebuffer(GL_FRAMEBUFFER_OES, static_cast<GLuint>(previous));
    return image;
}

ImagePtr Gles1Context::readBoundColour(bool opaque) {
    const Gles1Display* d = gles1Display();
    GLint type = 0;
    GLint name = 0;
    d->getFramebufferAttachmentParameteriv(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                           GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_OES, &type);
    if (type != GL_RENDERBUFFER_OES) {
        ZLOG(Warn, "GL: read-back without a colour renderbuffer in the bound framebuffer");
        return nullptr;
    }
    d->getFramebufferAttachmentParameteriv(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                           GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_OES, &name);
    GLint bound = 0;
    GLint width = 0;
    GLint height = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    d->bindRenderbuffer(GL_RENDERBUFFER_OES, static_cast<GLuint>(name));
    d->getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &width);
    d->getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &height);
    d->bindRenderbuffer(GL_RENDERBUFFER_OES, static_cast<GLuint>(bound));
    if (width <= 0 || height <= 0 || d->checkFramebufferStatus(GL_FRAMEBUFFER_OES) != GL_FRAMEBUFFER_COMPLETE_OES) {
        ZLOG(Warn, "GL: read-back of an incomplete framebuffer (%d x %d)", width, height);
        return nullptr;
    }
    const auto w = static_cast<size_t>(width);
    const auto h = static_cast<size_t>(height);
    if (!readBuffers_) {
        readBuffers_ = std::make_shared<ReadBuffers>();
    }
    ReadBuffers& scratch = *readBuffers_;
    std::shared_ptr<fnd::Bytes> frame = frameBuffer(readBuffers_, w * h * 4);
    uint8_t* bgra = frame->data();
    const size_t stride = w * 4;

    // GL reads RGB565 buffers as RGB565 with a plain copy; asked for RGBA it widens every pixel itself.
    GLint readFormat = 0;
    GLint readType = 0;
    glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT_OES, &readFormat);
    glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE_OES, &readType);
    if (readFormat == GL_RGB && readType == GL_UNSIGNED_SHORT_5_6_5) {
        scratch.rgb565.resize(w * h);
        glPixelStorei(GL_PACK_ALIGNMENT, 2);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, scratch.rgb565.data());
        for (size_t y = 0; y < h; ++y) {
            // GL's row 0 is the bottom one.
            convertRgb565Row(scratch.rgb565.data() + (h - 1 - y) * w, bgra + y * stride, w);
        }
    } else {
        // Read straight into the frame, then convert pairs of rows from the outside in, swapping them.
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bgra);
        scratch.row.resize(stride);
        for (size_t top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
            uint8_t* upper = bgra + top * stride;
            uint8_t* lower = bgra + bottom * stride;
            std::memcpy(scratch.row.data(), upper, stride);
            convertRgbaRow(lower, upper, w, opaque);
            convertRgbaRow(scratch.row.data(), lower, w, opaque);
        }
        if (h % 2 == 1) {
            uint8_t* middle = bgra + (h / 2) * stride;
            convertRgbaRow(middle, middle, w, opaque);
        }
    }
    return Image::fromSharedPixels(width, height, std::move(frame));
}

} // namespace gfx
