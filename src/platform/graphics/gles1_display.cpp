// Finds Mesa's software EGL device (llvmpipe, also on machines with a GPU, so pixels match everywhere),
// opens and initialises its display once for the process, and looks up the framebuffer-object calls.
#include "platform/graphics/gles1_display.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/graphics/gles1_driver_pages.h"

// Under AddressSanitizer, a process that can open the display (the client, the demo, the tests, the fuzz
// replays) starts with the runtime's tracking of dynamic TLS off. The display loads the driver's libLLVM,
// whose 24-byte thread-local block glibc allocates with malloc when a thread first reaches it. The
// runtimes of GCC 12 and clang 14 take a block that starts 16 bytes into a page for an old glibc block
// and read the two words before it (the allocator's chunk header) as its start and size: in about one
// process in 256 the leak check at exit then scans that made-up range and dies ("Tracer caught signal 11",
// "LeakSanitizer has encountered a fatal error") after every test passed. The leak check still scans
// each thread's stack and static TLS, where the client's own thread_local variables live; only the
// driver's dynamic TLS goes unscanned. ASAN_OPTIONS in the environment still overrides this.
#if defined(__SANITIZE_ADDRESS__)
#define ZELVAN_GFX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVAN_GFX_ASAN 1
#endif
#endif
#if defined(ZELVAN_GFX_ASAN)
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
#endif

namespace gfx {
namespace {

// Why the display could not be made (set once, before gles1Display() returns).
std::string gFailure;
// The files opening the display mapped: the driver and the libraries it loaded (set once, like gFailure).
std::set<std::string> gDriverFiles;

template <class F>
F lookUp(const char* name) {
    return reinterpret_cast<F>(eglGetProcAddress(name));
}

bool hasExtension(const char* list, std::string_view name) {
    if (list == nullptr) {
        return false;
    }
    std::string_view rest(list);
    while (!rest.empty()) {
        const size_t space = rest.find(' ');
        if (rest.substr(0, space) == name) {
            return true;
        }
        if (space == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(space + 1);
    }
    return false;
}

EGLDisplay openSoftwareDisplay() {
    auto queryDevices = lookUp<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    auto queryDeviceString = lookUp<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    auto platformDisplay = lookUp<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (queryDevices == nullptr || queryDeviceString == nullptr || platformDisplay == nullptr) {
        gFailure = fnd::format("EGL has no device enumeration");
        return EGL_NO_DISPLAY;
    }
    EGLint count = 0;
    if (queryDevices(0, nullptr, &count) != EGL_TRUE || count <= 0) {
        gFailure = fnd::format("no EGL devices");
        return EGL_NO_DISPLAY;
    }
    std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
    queryDevices(count, devices.data(), &count);
    for (EGLint i = 0; i < count; ++i) {
        if (!hasExtension(queryDeviceString(devices[static_cast<size_t>(i)], EGL_EXTENSIONS),
                          "EGL_MESA_device_software")) {
            continue;
        }
        EGLDisplay display = platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[static_cast<size_t>(i)], nullptr);
        EGLint major = 0;
        EGLint minor = 0;
        if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE) {
            gFailure = fnd::format("the software EGL device did not initialise (0x%x)", eglGetError());
            return EGL_NO_DISPLAY;
        }
        return display;
    }
    gFailure = fnd::format("no software EGL device among %d", count);
    return EGL_NO_DISPLAY;
}

bool chooseConfig(Gles1Display& out) {
    const char* extensions = eglQueryString(out.display, EGL_EXTENSIONS);
    if (!hasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        gFailure = fnd::format("the EGL display cannot make surfaceless contexts");
        return false;
    }
    if (hasExtension(extensions, "EGL_KHR_no_config_context")) {
        out.config = EGL_NO_CONFIG_KHR;
        return true;
    }
    const EGLint attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES_BIT, EGL_NONE};
    EGLint found = 0;
    if (eglChooseConfig(out.display, attributes, &out.config, 1, &found) != EGL_TRUE || found < 1) {
        gFailure = fnd::format("no EGL config for OpenGL ES 1");
        return false;
    }
    return true;
}

Gles1Display* makeDisplay() {
    keepShaderCacheInAppCaches();
    static Gles1Display display;
    const std::set<std::string> before = mappedFiles();
    display.display = openSoftwareDisplay();
    for (const std::string& file : mappedFiles()) {
        if (!before.contains(file)) {
            gDriverFiles.insert(file);
        }
    }
    if (display.display == EGL_NO_DISPLAY || !chooseConfig(display)) {
        return nullptr;
    }
    Gles1Display& d = display;
    d.genRenderbuffers = lookUp<PFNGLGENRENDERBUFFERSOESPROC>("glGenRenderbuffersOES");
    d.deleteRenderbuffers = lookUp<PFNGLDELETERENDERBUFFERSOESPROC>("glDeleteRenderbuffersOES");
    d.bindRenderbuffer = lookUp<PFNGLBINDRENDERBUFFEROESPROC>("glBindRenderbufferOES");
    d.renderbufferStorage = lookUp<PFNGLRENDERBUFFERSTORAGEOESPROC>("glRenderbufferStorageOES");
    d.getRenderbufferParameteriv = lookUp<PFNGLGETRENDERBUFFERPARAMETERIVOESPROC>("glGetRenderbufferParameterivOES");
    d.genFramebuffers = lookUp<PFNGLGENFRAMEBUFFERSOESPROC>("glGenFramebuffersOES");
    d.deleteFramebuffers = lookUp<PFNGLDELETEFRAMEBUFFERSOESPROC>("glDeleteFramebuffersOES");
    d.bindFramebuffer = lookUp<PFNGLBINDFRAMEBUFFEROESPROC>("glBindFramebufferOES");
    d.framebufferRenderbuffer = lookUp<PFNGLFRAMEBUFFERRENDERBUFFEROESPROC>("glFramebufferRenderbufferOES");
    d.getFramebufferAttachmentParameteriv =
        lookUp<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVOESPROC>("glGetFramebufferAttachmentParameterivOES");
    d.checkFramebufferStatus = lookUp<PFNGLCHECKFRAMEBUFFERSTATUSOESPROC>("glCheckFramebufferStatusOES");
    if (!d.genRenderbuffers || !d.deleteRenderbuffers || !d.bindRenderbuffer || !d.renderbufferStorage ||
        !d.getRenderbufferParameteriv || !d.genFramebuffers || !d.deleteFramebuffers || !d.bindFramebuffer ||
        !d.framebufferRenderbuffer || !d.getFramebufferAttachmentParameteriv || !d.checkFramebufferStatus) {
        gFailure = fnd::format("the framebuffer-object calls are missing");
        return nullptr;
    }
    return &display;
}

} // namespace

void keepShaderCacheInAppCaches() {
    // The driver also still reads the older names of both settings.
    for (const char* set :
         {"MESA_SHADER_CACHE_DIR", "MESA_SHADER_CACHE_DISABLE", "MESA_GLSL_CACHE_DIR", "MESA_GLSL_CACHE_DISABLE"}) {
        if (std::getenv(set) != nullptr) {
            return;
        }
    }
    // The driver makes its own folder (mesa_shader_cache) inside this one, but not the folders above.
    const std::string caches = fnd::AppFolders::caches();
    if (!fnd::FileManager::createDirectoryAtPath(caches)) {
        ZLOG(Warn, "gfx: no cache folder %@; the shader cache is off", caches);
        ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        return;
    }
    ::setenv("MESA_SHADER_CACHE_DIR", caches.c_str(), 1);
}

const Gles1Display* gles1Display() {
    static const Gles1Display* display = makeDisplay();
    return display;
}

const std::string& gles1DisplayFailure() {
    gles1Display();
    return gFailure;
}

void releaseIdleDriverMemory() {
    if (gles1Display() == nullptr) {
        return;
    }
    ::malloc_trim(0);
    const size_t dropped = dropUnmodifiedPages(gDriverFiles);
    ZLOG(Debug, "GL: no context left; %zu KiB of the driver's file mappings dropped from memory", dropped / 1024);
}

} // namespace gfx
