// The GL surface view's context: current-context bookkeeping per thread, layer-backed renderbuffer
// storage and presenting frames into the layer.
#include "platform/ui/eagl_context.h"

#include "platform/foundation/log.h"

namespace ui {

struct EaglContext::Private {};

namespace {

constexpr int kMaxDrawableSide = 4096;

// Retained as the original platform retained its current context.
thread_local std::shared_ptr<EaglContext> tCurrent;

} // namespace

EaglContext::EaglContext(const Private&, API api, gfx::Gles1ContextPtr gl) : api_(api), gl_(std::move(gl)) {}

std::shared_ptr<EaglContext> EaglContext::create(API api) {
    if (api != API::Gles1) {
        ZLOG(Warn, "EaglContext: unsupported API %d", static_cast<int>(api));
        return nullptr;
    }
    gfx::Gles1ContextPtr gl = gfx::Gles1Context::create();
    if (!gl) {
        return nullptr;
    }
    return std::make_shared<EaglContext>(Private{}, api, std::move(gl));
}

bool EaglContext::setCurrentContext(const std::shared_ptr<EaglContext>& context) {
    if (!context) {
        if (!gfx::Gles1Context::clearCurrent()) {
            return false;
        }
        tCurrent.reset();
        return true;
    }
    if (!context->gl_->makeCurrent()) {
        return false;
    }
    tCurrent = context;
    return true;
}

std::shared_ptr<EaglContext> EaglContext::currentContext() {
    // Another wrapper may have changed the thread's GL context directly.
    if (tCurrent && !tCurrent->gl_->isCurrent()) {
        tCurrent.reset();
    }
    return tCurrent;
}

bool EaglContext::renderbufferStorageFromDrawable(GLenum target, const std::shared_ptr<EaglLayer>& layer) {
    if (target != GL_RENDERBUFFER_OES || !layer || !gl_->isCurrent()) {
        ZLOG(Warn, "EaglContext: renderbuffer storage needs the renderbuffer target, a layer and this context current");
        return false;
    }
    const int width = layer->pixelWidth();
    const int height = layer->pixelHeight();
    if (width <= 0 || height <= 0 || width > kMaxDrawableSide || height > kMaxDrawableSide) {
        ZLOG(Warn, "EaglContext: no renderbuffer storage for a %d x %d layer (1 to %d a side)", width, height,
             kMaxDrawableSide);
        return false;
    }
    GLint bound = 0;
    gl_->getIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    if (bound == 0) {
        ZLOG(Warn, "EaglContext: renderbuffer storage with no renderbuffer bound");
        return false;
    }
    const GLenum format =
        layer->drawableProperties().colorFormat == EaglColorFormat::Rgb565 ? GL_RGB565_OES : GL_RGBA8_OES;
    gl_->renderbufferStorage(GL_RENDERBUFFER_OES, format, width, height);
    drawables_[static_cast<GLuint>(bound)] = layer;
    return true;
}

bool EaglContext::presentRenderbuffer(GLenum target) {
    if (target != GL_RENDERBUFFER_OES || !gl_->isCurrent()) {
        ZLOG(Warn, "EaglContext: present needs the renderbuffer target and this context current");
        return false;
    }
    GLint bound = 0;
    gl_->getIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    auto found = drawables_.find(static_cast<GLuint>(bound));
    std::shared_ptr<EaglLayer> layer = found == drawables_.end() ? nullptr : found->second.lock();
    if (!layer) {
        ZLOG(Warn, "EaglContext: renderbuffer %d has no layer to present into", bound);
        return false;
    }
    gfx::ImagePtr frame = gl_->readRenderbuffer(static_cast<GLuint>(bound));
    if (!frame) {
        return false;
    }
    layer->setContents(std::move(frame));
    return true;
}

} // namespace ui
