// The GL surface view's context and layer: current context per thread, layer-sized renderbuffer
// storage and its refusals, and a presented frame showing in a screenshot of the view holding it.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/ui/eagl_context.h"
#include "platform/ui/eagl_layer.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/view.h"

namespace ui {
namespace {

// A view whose layer is the GL drawable, set up as the animation view sets up its layer.
class GlView : public View {
public:
    std::shared_ptr<Layer> layerClass() const override {
        auto layer = EaglLayer::create();
        layer->setOpaque(true);
        layer->setDrawableProperties({false, EaglColorFormat::Rgb565});
        return layer;
    }
    std::shared_ptr<EaglLayer> eaglLayer() { return std::static_pointer_cast<EaglLayer>(layer()); }
};

// Releases whatever context the test left current on the main thread.
struct ClearCurrent {
    ~ClearCurrent() { EaglContext::setCurrentContext(nullptr); }
};

TEST(EaglContextTest, CurrentContextIsPerThreadAndAContextIsCurrentOnOneThreadOnly) {
    ClearCurrent clear;
    auto a = EaglContext::create(EaglContext::API::Gles1);
    auto b = EaglContext::create(EaglContext::API::Gles1);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(EaglContext::currentContext(), nullptr);
    ASSERT_TRUE(EaglContext::setCurrentContext(a));
    EXPECT_EQ(EaglContext::currentContext(), a);

    bool otherSawNone = false;
    bool otherTookA = true;
    bool otherTookB = false;
    bool otherSawB = false;
    std::thread other([&] {
        otherSawNone = EaglContext::currentContext() == nullptr;
        otherTookA = EaglContext::setCurrentContext(a);
        otherTookB = EaglContext::setCurrentContext(b);
        otherSawB = EaglContext::currentContext() == b;
        EaglContext::setCurrentContext(nullptr);
    });
    other.join();
    EXPECT_TRUE(otherSawNone);
    EXPECT_FALSE(otherTookA);
    EXPECT_TRUE(otherTookB);
    EXPECT_TRUE(otherSawB);
    EXPECT_EQ(EaglContext::currentContext(), a);

    // Once released there, b may be current here.
    ASSERT_TRUE(EaglContext::setCurrentContext(b));
    EXPECT_EQ(EaglContext::currentContext(), b);
    EXPECT_TRUE(EaglContext::setCurrentContext(nullptr));
    EXPECT_EQ(EaglContext::currentContext(), nullptr);
}

TEST(EaglContextTest, StorageFollowsTheLayerAndRefusesZeroOrOversizedLayers) {
    ClearCurrent clear;
    auto context = EaglContext::create(EaglContext::API::Gles1);
    ASSERT_TRUE(context);
    auto layer = EaglLayer::create();
    layer->setDrawableProperties({false, EaglColorFormat::Rgb565});
    GLuint colour = 0;
    // Not current: refused.
    layer->setBounds(gfx::Rect(0, 0, 10.2, 7));
    EXPECT_FALSE(context->renderbufferStorageFromDrawable(GL_RENDERBUFFER_OES, layer));
    ASSERT_TRUE(EaglContext::setCurrentContext(context));
    auto& gl = context->gl();
    gl.genRenderbuffers(1, &colour);
    gl.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
    for (gfx::Size size : {gfx::Size(0, 10), gfx::Size(10, 0), gfx::Size(4097, 10)}) {
        layer->setBounds(gfx::Rect(0, 0, size.width, size.height));
        EXPECT_FALSE(context->renderbufferStorageFromDrawable(GL_RENDERBUFFER_OES, layer)) << size.width;
    }
    layer->setBounds(gfx::Rect(0, 0, 10.2, 7));
    ASSERT_TRUE(context->renderbufferStorageFromDrawable(GL_RENDERBUFFER_OES, layer));
    // The storage is the ceiling of the layer's size; reading it keeps the caller's binding.
    auto frame = gl.readRenderbuffer(colour);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width(), 11);
    EXPECT_EQ(frame->height(), 7);
    GLint bound = 0;
    gl.getIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    EXPECT_EQ(GLuint(bound), colour);
    EXPECT_EQ(gl.getError(), GLenum(GL_NO_ERROR));
}

TEST(EaglContextTest, PresentedFrameShowsInTheScreenshotOfItsView) {
    ClearCurrent clear;
    auto root = View::create(gfx::Rect(0, 0, 100, 80));
    root->setBackgroundColor(gfx::Color::white());
    auto view = View::create<GlView>(gfx::Rect(10, 10, 80, 60));
    root->addSubview(view);

    auto context = EaglContext::create(EaglContext::API::Gles1);
    ASSERT_TRUE(context);
    ASSERT_TRUE(EaglContext::setCurrentContext(context));
    auto& gl = context->gl();
    GLuint colour = 0;
    GLuint depth = 0;
    GLuint framebuffer = 0;
    gl.genRenderbuffers(1, &colour);
    gl.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
    ASSERT_TRUE(context->renderbufferStorageFromDrawable(GL_RENDERBUFFER_OES, view->eaglLayer()));
    gl.genFramebuffers(1, &framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour);
    gl.genRenderbuffers(1, &depth);
    gl.bindRenderbuffer(GL_RENDERBUFFER_OES, depth);
    gl.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, 80, 60);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depth);
    ASSERT_EQ(gl.checkFramebufferStatus(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
    gl.viewport(0, 0, 80, 60);
    gl.matrixMode(GL_PROJECTION);
    gl.loadIdentity();
    gl.orthof(0, 80, 0, 60, -100, 100);
    gl.matrixMode(GL_MODELVIEW);
    gl.loadIdentity();
    gl.translatef(0, 60, 0);
    gl.scalef(1, -1, 1);
    gl.clearColor(0, 0, 0, 1);
    gl.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.color4f(0, 0, 1, 1);
    const GLfloat quad[] = {10, 20, 30, 20, 10, 30, 30, 30};
    gl.enableClientState(GL_VERTEX_ARRAY);
    gl.vertexPointer(2, GL_FLOAT, 0, quad);
    gl.drawArrays(GL_TRIANGLE_STRIP, 0, 4);

    // Present needs the colour renderbuffer bound; the depth one has no layer.
    EXPECT_FALSE(context->presentRenderbuffer(GL_RENDERBUFFER_OES));
    gl.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
    ASSERT_TRUE(context->presentRenderbuffer(GL_RENDERBUFFER_OES));
    gfx::ImagePtr contents = view->eaglLayer()->contents();
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->width(), 80);
    EXPECT_EQ(contents->pixelAt(10, 20), (gfx::Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(contents->pixelAt(10, 19), (gfx::Rgba8{0, 0, 0, 255}));

    auto shot = Snapshot::captureView(*root);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->pixelAt(5, 5), (gfx::Rgba8{255, 255, 255, 255}));
    EXPECT_EQ(shot->pixelAt(10, 10), (gfx::Rgba8{0, 0, 0, 255}));
    EXPECT_EQ(shot->pixelAt(20, 30), (gfx::Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(shot->pixelAt(39, 39), (gfx::Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(shot->pixelAt(40, 40), (gfx::Rgba8{0, 0, 0, 255}));
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(Snapshot::saveViewAsPng(*root, "screenshots/ui-gl-surface.png"));
}

} // namespace
} // namespace ui
