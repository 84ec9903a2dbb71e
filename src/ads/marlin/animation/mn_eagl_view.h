// zelvan::marlin::MNEAGLView: the view the animation scene is drawn in. Its layer is a GL drawable; it owns a
// GL ES 1.1 context with an off-screen framebuffer (a colour renderbuffer on the layer and a 16-bit depth
// renderbuffer), and every GL use makes its context current for the duration and restores the one that was
// current before.
#pragma once

#include <GLES/gl.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/eagl_context.h"
#include "platform/ui/eagl_layer.h"
#include "platform/ui/view.h"

namespace zelvan::marlin {

class MNEAGLView : public ui::View {
public:
    ~MNEAGLView() override;

    std::string className() const override { return "MNEAGLView"; }

    // Makes a T and runs its initialiser; null when the context or the surface could not be made.
    template <class T>
    static std::shared_ptr<T> createView(gfx::Rect frame) {
        auto view = ui::View::create<T>(frame);
        return view->initialized_ ? view : nullptr;
    }

    // An opaque drawable layer without retained backing, in RGB565.
    std::shared_ptr<ui::Layer> layerClass() const override;
    void initWithFrame(gfx::Rect frame) override;
    // Makes the context and the surface; false when either fails.
    bool initializeEAGLLayer();
    bool isInitialized() const { return initialized_; }

    // The colour renderbuffer on the layer, the framebuffer and the depth renderbuffer, sized by the
    // ceilings of the layer's size. False (the old renderbuffer binding kept) when the layer refuses.
    bool createSurface();
    void destroySurface();
    // A changed size re-creates the surface, then the scene is drawn.
    void layoutSubviews() override;
    // Presents the colour renderbuffer into the layer.
    void swapBuffers();

    void setCurrentContext();
    void clearCurrentContext();
    bool isCurrentContext() const;

    // The exponent of the smallest power of two at least ceil(x); 0 for x <= 1 (and for NaN).
    static int bitSizeForNumber(float x);

    // Deletes a texture of this view's context.
    void deleteTexture(GLuint texture);

    gfx::Size size() const { return size_; }
    const std::shared_ptr<ui::EaglContext>& context() const { return context_; }
    GLuint viewRenderbuffer() const { return viewRenderbuffer_; }
    GLuint viewFramebuffer() const { return viewFramebuffer_; }
    GLuint depthRenderbuffer() const { return depthRenderbuffer_; }
    std::shared_ptr<ui::EaglLayer> eaglLayer() { return std::static_pointer_cast<ui::EaglLayer>(layer()); }

    // Draws one frame; the view is its own scene provider.
    virtual void renderScene() {}

protected:
    // Makes this view's context current while it lives, then restores the previously current one.
    class ContextScope {
    public:
        explicit ContextScope(MNEAGLView& view);
        ~ContextScope();
        ContextScope(const ContextScope&) = delete;
        ContextScope& operator=(const ContextScope&) = delete;
        // Whether the view's context is current.
        bool ready() const { return ready_; }

    private:
        std::shared_ptr<ui::EaglContext> previous_;
        bool switched_ = false;
        bool ready_ = false;
    };

    // Whether the layer's pixel size differs from the surface's.
    bool layerSizeChanged();
    // Re-creates the surface at the layer's size; a refused size keeps the old surface (one log line
    // per refused size).
    void resizeSurface();

    gfx::Size size_;
    std::shared_ptr<ui::EaglContext> context_;
    GLuint viewRenderbuffer_ = 0;
    GLuint viewFramebuffer_ = 0;
    GLuint depthRenderbuffer_ = 0;

private:
    bool initialized_ = false;
    std::optional<gfx::Size> refusedSize_;
};

} // namespace zelvan::marlin
