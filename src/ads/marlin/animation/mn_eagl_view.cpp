// MNEAGLView: the GL surface of the animation view: context, renderbuffers, framebuffer, presentation and
// the texture-size exponent.
#include "ads/marlin/animation/mn_eagl_view.h"

#include <GLES/glext.h>

#include <cmath>
#include <cstdint>

#include "ads/marlin/animation/mn_log_channel.h"

namespace zelvan::marlin {

MNEAGLView::ContextScope::ContextScope(MNEAGLView& view) : previous_(ui::EaglContext::currentContext()) {
    if (!view.context_) {
        return;
    }
    if (previous_ != view.context_) {
        switched_ = true;
        ready_ = ui::EaglContext::setCurrentContext(view.context_);
    } else {
        ready_ = true;
    }
}

MNEAGLView::ContextScope::~ContextScope() {
    if (switched_) {
        ui::EaglContext::setCurrentContext(previous_);
    }
}

MNEAGLView::~MNEAGLView() {
    destroySurface();
}

std::shared_ptr<ui::Layer> MNEAGLView::layerClass() const {
    auto layer = ui::EaglLayer::create();
    layer->setOpaque(true);
    layer->setDrawableProperties({false, ui::EaglColorFormat::Rgb565});
    return layer;
}

void MNEAGLView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    initialized_ = initializeEAGLLayer();
}

bool MNEAGLView::initializeEAGLLayer() {
    auto layer = eaglLayer();
    layer->setOpaque(true);
    layer->setDrawableProperties({false, ui::EaglColorFormat::Rgb565});
    context_ = ui::EaglContext::create(ui::EaglContext::API::Gles1);
    if (!context_) {
        return false;
    }
    return createSurface();
}

bool MNEAGLView::createSurface() {
    ContextScope scope(*this);
    if (!scope.ready()) {
        return false;
    }
    gfx::Gles1Context& gl = context_->gl();
    auto layer = eaglLayer();
    const int width = layer->pixelWidth();
    const int height = layer->pixelHeight();
    GLint previous = 0;
    gl.getIntegerv(GL_RENDERBUFFER_BINDING_OES, &previous);

    GLuint colour = 0;
    gl.genRenderbuffers(1, &colour);
    gl.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
    if (!context_->renderbufferStorageFromDrawable(GL_RENDERBUFFER_OES, layer)) {
        gl.deleteRenderbuffers(1, &colour);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, static_cast<GLuint>(previous));
        return false;
    }
    viewRenderbuffer_ = colour;
    gl.genFramebuffers(1, &viewFramebuffer_);
    gl.bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer_);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, viewRenderbuffer_);
    gl.genRenderbuffers(1, &depthRenderbuffer_);
    gl.bindRenderbuffer(GL_RENDERBUFFER_OES, depthRenderbuffer_);
    gl.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, width, height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depthRenderbuffer_);
    size_ = gfx::Size(width, height);
    gl.viewport(0, 0, width, height);
    gl.scissor(0, 0, width, height);
    return true;
}

void MNEAGLView::destroySurface() {
    if (!context_ || (viewRenderbuffer_ == 0 && viewFramebuffer_ == 0 && depthRenderbuffer_ == 0)) {
        return;
    }
    ContextScope scope(*this);
    if (!scope.ready()) {
        return;
    }
    gfx::Gles1Context& gl = context_->gl();
    gl.deleteRenderbuffers(1, &depthRenderbuffer_);
    depthRenderbuffer_ = 0;
    gl.deleteRenderbuffers(1, &viewRenderbuffer_);
    viewRenderbuffer_ = 0;
    gl.deleteFramebuffers(1, &viewFramebuffer_);
    viewFramebuffer_ = 0;
}

bool MNEAGLView::layerSizeChanged() {
    auto layer = eaglLayer();
    return gfx::Size(layer->pixelWidth(), layer->pixelHeight()) != size_;
}

void MNEAGLView::resizeSurface() {
    if (!context_ || !layerSizeChanged()) {
        return;
    }
    auto layer = eaglLayer();
    const gfx::Size wanted(layer->pixelWidth(), layer->pixelHeight());
    const bool refusable = wanted.width <= 0 || wanted.height <= 0 || wanted.width > 4096 || wanted.height > 4096;
    if (refusable) {
        // The layer would refuse this size: keep drawing into the surface we have.
        if (refusedSize_ != wanted) {
            refusedSize_ = wanted;
            ZLOG_TO(kMarlinLog, Info, "MNEAGLView: keeping the %gx%g surface, a %gx%g one cannot be made", size_.width,
                    size_.height, wanted.width, wanted.height);
        }
        return;
    }
    refusedSize_.reset();
    ContextScope scope(*this);
    destroySurface();
    if (!createSurface()) {
        ZLOG_TO(kMarlinLog, Info, "MNEAGLView: no surface of %gx%g", wanted.width, wanted.height);
        return;
    }
    if (scope.ready()) {
        gfx::Gles1Context& gl = context_->gl();
        gl.bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer_);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, viewRenderbuffer_);
        gl.bindRenderbuffer(GL_RENDERBUFFER_OES, depthRenderbuffer_);
    }
}

void MNEAGLView::layoutSubviews() {
    if (!layerSizeChanged()) {
        return;
    }
    resizeSurface();
    renderScene();
}

void MNEAGLView::swapBuffers() {
    ContextScope scope(*this);
    if (!scope.ready() || viewRenderbuffer_ == 0) {
        return;
    }
    context_->gl().bindRenderbuffer(GL_RENDERBUFFER_OES, viewRenderbuffer_);
    context_->presentRenderbuffer(GL_RENDERBUFFER_OES);
}

void MNEAGLView::setCurrentContext() {
    if (!ui::EaglContext::setCurrentContext(context_)) {
        ZLOG_TO(kMarlinLog, Debug, "Failed to set current context %p in %s\n", static_cast<const void*>(context_.get()),
                __func__);
    }
}

void MNEAGLView::clearCurrentContext() {
    if (!ui::EaglContext::setCurrentContext(nullptr)) {
        ZLOG_TO(kMarlinLog, Debug, "Failed to clear current context in %s\n", __func__);
    }
}

bool MNEAGLView::isCurrentContext() const {
    return context_ && ui::EaglContext::currentContext() == context_;
}

int MNEAGLView::bitSizeForNumber(float x) {
    if (!(x > 1.0F)) {
        return 0;
    }
    // Anything beyond 2^31 takes the largest exponent; callers cap texture sides well below it.
    if (x > 2147483648.0F) {
        return 32;
    }
    const auto n = static_cast<uint64_t>(std::ceil(x));
    int high = 63;
    while (((n >> high) & 1U) == 0) {
        --high;
    }
    const bool lower = (n & ((uint64_t{1} << high) - 1)) != 0;
    return high + (lower ? 1 : 0);
}

void MNEAGLView::deleteTexture(GLuint texture) {
    ContextScope scope(*this);
    if (scope.ready()) {
        context_->gl().deleteTextures(1, &texture);
    }
}

} // namespace zelvan::marlin
