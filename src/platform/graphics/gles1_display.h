// The process's one EGL display on Mesa's software device, and the framebuffer-object entry points
// looked up through it; private to gfx's GL context.
#pragma once

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <string>

namespace gfx {

struct Gles1Display {
    EGLDisplay display = EGL_NO_DISPLAY;
    // EGL_NO_CONFIG_KHR when the display takes contexts without a config.
    EGLConfig config = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVOESPROC getRenderbufferParameteriv = nullptr;
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVOESPROC getFramebufferAttachmentParameteriv = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;
};

// Made on first use (thread-safe) and kept for the process: never terminated, because terminating
// unloads the driver and leaves its allocations unreachable. Null when the machine has no software
// EGL device or it cannot be initialised.
const Gles1Display* gles1Display();
// Why gles1Display() is null (empty when it is not).
const std::string& gles1DisplayFailure();

// Gives back the memory the GL stack keeps but does not use while no context exists; called when the
// last context goes. The heap's free pages go back to the system, and the pages of the files opening
// the display mapped (the driver and its libraries, which stay loaded) that are plain copies of those
// files leave the resident set: their code is read again from the page cache when the next context
// draws. What the driver allocated and relocated stays.
void releaseIdleDriverMemory();

// Points Mesa's disk cache of compiled shaders ($MESA_SHADER_CACHE_DIR, by default under ~/.cache) into
// the client's own cache folder, unless the user chose a folder or turned the cache off. gles1Display()
// calls it before opening the display, since the driver reads the environment when it loads.
void keepShaderCacheInAppCaches();

} // namespace gfx
