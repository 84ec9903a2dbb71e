// ui::EaglContext: an OpenGL ES 1.1 rendering context for GL surface views. It is made current per
// thread, gives a bound renderbuffer the storage of a layer, and presents that renderbuffer into the
// layer's contents so screenshots show the frames.
#pragma once

#include <map>
#include <memory>

#include "platform/graphics/gles1_context.h"
#include "platform/ui/eagl_layer.h"

namespace ui {

class EaglContext {
public:
    enum class API { Gles1 = 1 };

    // Null (and a log line) when no GL context can be made.
    static std::shared_ptr<EaglContext> create(API api);

    // Makes `context` (or none) current on the calling thread, and retains it there. False when the
    // context is current on another thread or GL refuses.
    static bool setCurrentContext(const std::shared_ptr<EaglContext>& context);
    // The context current on the calling thread, or null.
    static std::shared_ptr<EaglContext> currentContext();

    API api() const { return api_; }
    // The GL calls, made on the calling thread while this context is current there.
    gfx::Gles1Context& gl() { return *gl_; }

    // Gives the renderbuffer bound to `target` colour storage of the layer's pixel size in the layer's
    // colour format. False (and a log line) for a zero-size layer, a side over 4096, a target other
    // than the renderbuffer target, or without this context current.
    bool renderbufferStorageFromDrawable(GLenum target, const std::shared_ptr<EaglLayer>& layer);
    // Reads the renderbuffer bound to `target` and sets it, opaque and top row first, as the contents
    // of the layer that gave it storage. False when that renderbuffer has no layer or cannot be read.
    bool presentRenderbuffer(GLenum target);

    struct Private;
    EaglContext(const Private&, API api, gfx::Gles1ContextPtr gl);

private:
    API api_;
    gfx::Gles1ContextPtr gl_;
    std::map<GLuint, std::weak_ptr<EaglLayer>> drawables_;
};

} // namespace ui
