// Reading a GL colour buffer back into a gfx::Image: the framebuffer's rows turned top first and the
// RGBA bytes GL gives converted to our premultiplied BGRA.
#include <vector>

#include "platform/foundation/log.h"
#include "platform/graphics/gles1_context.h"
#include "platform/graphics/gles1_display.h"

namespace gfx {

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
    std::vector<uint8_t> rgba(w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    fnd::Bytes bgra(w * h * 4);
    for (size_t y = 0; y < h; ++y) {
        // GL's row 0 is the bottom one.
        const uint8_t* in = rgba.data() + (h - 1 - y) * w * 4;
        uint8_t* out = bgra.data() + y * w * 4;
        for (size_t x = 0; x < w; ++x, in += 4, out += 4) {
            const unsigned a = opaque ? 255U : in[3];
            out[0] = static_cast<uint8_t>((in[2] * a + 127) / 255);
            out[1] = static_cast<uint8_t>((in[1] * a + 127) / 255);
            out[2] = static_cast<uint8_t>((in[0] * a + 127) / 255);
            out[3] = static_cast<uint8_t>(a);
        }
    }
    return Image::fromPixels(width, height, std::move(bgra));
}

} // namespace gfx
