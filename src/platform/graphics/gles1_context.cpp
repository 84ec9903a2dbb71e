// The GL context wrapper: creation on the software EGL display, current-context checks, the guards
// on texture sizes and vertex data, and the forwarding of each call to GL.
#include "platform/graphics/gles1_context.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/foundation/log.h"
#include "platform/graphics/gles1_display.h"

namespace gfx {

struct Gles1Context::Private {};

namespace {

// Makes `context` current on this thread (none for EGL_NO_CONTEXT).
bool makeCurrentOnDisplay(EGLContext context) {
    const Gles1Display* d = gles1Display();
    return d != nullptr && eglMakeCurrent(d->display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
}

// Runs `fn` with `context` current on this thread, then makes the previous context current again.
template <class F>
bool withCurrent(EGLContext context, F&& fn) {
    EGLContext previous = eglGetCurrentContext();
    if (previous != context && !makeCurrentOnDisplay(context)) {
        return false;
    }
    fn();
    if (previous != context) {
        makeCurrentOnDisplay(previous);
    }
    return true;
}

// Contexts alive in the process; the last one to go gives back the driver's idle memory.
std::mutex gLiveMutex;
int gLiveContexts = 0;

bool hasGlExtension(const char* name) {
    const auto* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return list != nullptr && std::strstr(list, name) != nullptr;
}

} // namespace

Gles1Context::Gles1Context(const Private&, void* context) : context_(context) {
    std::lock_guard lock(gLiveMutex);
    ++gLiveContexts;
}

Gles1ContextPtr Gles1Context::create() {
    const Gles1Display* d = gles1Display();
    if (d == nullptr) {
        ZLOG(Error, "GL: no OpenGL ES 1.1 context: %s", gles1DisplayFailure());
        return nullptr;
    }
    eglBindAPI(EGL_OPENGL_ES_API);
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    EGLContext context = eglCreateContext(d->display, d->config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        ZLOG(Error, "GL: eglCreateContext for OpenGL ES 1 failed (0x%x)", eglGetError());
        return nullptr;
    }
    bool usable = false;
    const bool ran = withCurrent(context, [&] {
        glDisable(GL_DITHER);
        usable = hasGlExtension("GL_OES_framebuffer_object");
    });
    if (!ran || !usable) {
        ZLOG(Error, "GL: the OpenGL ES 1 context %s", ran ? "lacks framebuffer objects" : "cannot be made current");
        eglDestroyContext(d->display, context);
        return nullptr;
    }
    return std::make_shared<Gles1Context>(Private{}, context);
}

Gles1Context::~Gles1Context() {
    if (isCurrent()) {
        clearCurrent();
    }
    // The context's names (textures, renderbuffers, our read framebuffer) go with it.
    eglDestroyContext(gles1Display()->display, context_);
    // A context another thread makes meanwhile only reads the dropped pages again.
    std::lock_guard lock(gLiveMutex);
    if (--gLiveContexts == 0) {
        releaseIdleDriverMemory();
    }
}

bool Gles1Context::makeCurrent() {
    if (isCurrent()) {
        return true;
    }
    if (!makeCurrentOnDisplay(context_)) {
        ZLOG(Warn, "GL: cannot make context %p current on this thread (0x%x; current on another thread?)", context_,
             eglGetError());
        return false;
    }
    return true;
}

bool Gles1Context::clearCurrent() {
    if (eglGetCurrentContext() == EGL_NO_CONTEXT) {
        return true;
    }
    return makeCurrentOnDisplay(EGL_NO_CONTEXT);
}

bool Gles1Context::isCurrent() const {
    return eglGetCurrentContext() == context_;
}

std::string Gles1Context::renderer() {
    std::string name;
    withCurrent(context_, [&] {
        const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        name = text != nullptr ? text : "";
    });
    return name;
}

void Gles1Context::record(GLenum error) {
    GLenum expected = GL_NO_ERROR;
    ourError_.compare_exchange_strong(expected, error);
}

bool Gles1Context::ready(const char* call) {
    if (isCurrent()) {
        return true;
    }
    record(GL_INVALID_OPERATION);
    ZLOG(Warn, "GL: %s called while context %p is not current on this thread", call, context_);
    return false;
}

GLenum Gles1Context::getError() {
    const GLenum ours = ourError_.exchange(GL_NO_ERROR);
    if (ours != GL_NO_ERROR) {
        return ours;
    }
    return ready("getError") ? glGetError() : ourError_.exchange(GL_NO_ERROR);
}

// --- State ---

void Gles1Context::enable(GLenum cap) {
    if (ready("enable")) {
        glEnable(cap);
    }
}

void Gles1Context::disable(GLenum cap) {
    if (ready("disable")) {
        glDisable(cap);
    }
}

void Gles1Context::enableClientState(GLenum array) {
    if (!ready("enableClientState")) {
        return;
    }
    // Only the arrays this wrapper can point somewhere: GL would read any other one from address 0.
    if (array != GL_VERTEX_ARRAY && array != GL_TEXTURE_COORD_ARRAY) {
        record(GL_INVALID_ENUM);
        ZLOG(Warn, "GL: client array 0x%x is not supported", array);
        return;
    }
    glEnableClientState(array);
    (array == GL_VERTEX_ARRAY ? vertexArray_ : texCoordArray_).enabled = true;
}

void Gles1Context::disableClientState(GLenum array) {
    if (!ready("disableClientState")) {
        return;
    }
    glDisableClientState(array);
    if (array == GL_VERTEX_ARRAY) {
        vertexArray_.enabled = false;
    } else if (array == GL_TEXTURE_COORD_ARRAY) {
        texCoordArray_.enabled = false;
    }
}

void Gles1Context::blendFunc(GLenum sfactor, GLenum dfactor) {
    if (ready("blendFunc")) {
        glBlendFunc(sfactor, dfactor);
    }
}

void Gles1Context::alphaFunc(GLenum func, GLclampf ref) {
    if (ready("alphaFunc")) {
        glAlphaFunc(func, ref);
    }
}

void Gles1Context::depthFunc(GLenum func) {
    if (ready("depthFunc")) {
        glDepthFunc(func);
    }
}

void Gles1Context::depthMask(GLboolean flag) {
    if (ready("depthMask")) {
        glDepthMask(flag);
    }
}

void Gles1Context::colorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha) {
    if (ready("colorMask")) {
        glColorMask(red, green, blue, alpha);
    }
}

void Gles1Context::clearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    if (ready("clearColor")) {
        glClearColor(red, green, blue, alpha);
    }
}

void Gles1Context::clearDepthf(GLclampf depth) {
    if (ready("clearDepthf")) {
        glClearDepthf(depth);
    }
}

void Gles1Context::clear(GLbitfield mask) {
    if (!ready("clear")) {
        return;
    }
    if ((mask & GL_COLOR_BUFFER_BIT) != 0) {
        droppedDrawLogged_ = false;
    }
    glClear(mask);
}

void Gles1Context::viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (ready("viewport")) {
        glViewport(x, y, width, height);
    }
}

void Gles1Context::scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (ready("scissor")) {
        glScissor(x, y, width, height);
    }
}

void Gles1Context::getIntegerv(GLenum pname, GLint* params) {
    if (ready("getIntegerv")) {
        glGetIntegerv(pname, params);
    }
}

void Gles1Context::color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    if (ready("color4f")) {
        glColor4f(red, green, blue, alpha);
    }
}

void Gles1Context::flush() {
    if (ready("flush")) {
        glFlush();
    }
}

void Gles1Context::finish() {
    if (ready("finish")) {
        glFinish();
    }
}

// --- Matrices ---

void Gles1Context::matrixMode(GLenum mode) {
    if (ready("matrixMode")) {
        glMatrixMode(mode);
    }
}

void Gles1Context::loadIdentity() {
    if (ready("loadIdentity")) {
        glLoadIdentity();
    }
}

void Gles1Context::orthof(GLfloat left, GLfloat right, GLfloat bottom, GLfloat top, GLfloat zNear, GLfloat zFar) {
    if (ready("orthof")) {
        glOrthof(left, right, bottom, top, zNear, zFar);
    }
}

void Gles1Context::translatef(GLfloat x, GLfloat y, GLfloat z) {
    if (ready("translatef")) {
        glTranslatef(x, y, z);
    }
}

void Gles1Context::scalef(GLfloat x, GLfloat y, GLfloat z) {
    if (ready("scalef")) {
        glScalef(x, y, z);
    }
}

void Gles1Context::multMatrixf(const GLfloat* m) {
    if (ready("multMatrixf") && m != nullptr) {
        glMultMatrixf(m);
    }
}

void Gles1Context::pushMatrix() {
    if (ready("pushMatrix")) {
        glPushMatrix();
    }
}

void Gles1Context::popMatrix() {
    if (ready("popMatrix")) {
        glPopMatrix();
    }
}

// --- Textures ---

void Gles1Context::genTextures(GLsizei n, GLuint* textures) {
    if (ready("genTextures")) {
        glGenTextures(n, textures);
    }
}

void Gles1Context::deleteTextures(GLsizei n, const GLuint* textures) {
    if (ready("deleteTextures")) {
        glDeleteTextures(n, textures);
    }
}

void Gles1Context::bindTexture(GLenum target, GLuint texture) {
    if (ready("bindTexture")) {
        glBindTexture(target, texture);
    }
}

void Gles1Context::texParameteri(GLenum target, GLenum pname, GLint param) {
    if (ready("texParameteri")) {
        glTexParameteri(target, pname, param);
    }
}

void Gles1Context::texImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                              GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    if (!ready("texImage2D")) {
        return;
    }
    if (width > kMaxTextureSide || height > kMaxTextureSide) {
        record(GL_INVALID_VALUE);
        ZLOG(Warn, "GL: refusing a %d x %d texture (at most %d a side)", width, height, kMaxTextureSide);
        return;
    }
    glTexImage2D(target, level, internalformat, width, height, border, format, type, pixels);
}

// --- Vertex arrays and drawing ---

void Gles1Context::vertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (!ready("vertexPointer")) {
        return;
    }
    glVertexPointer(size, type, stride, pointer);
    // GL keeps the previous array for arguments it refuses, and so do we.
    if (size >= 2 && size <= 4 && stride >= 0) {
        vertexArray_ = ClientArray{vertexArray_.enabled, size, type, stride, pointer};
    }
}

void Gles1Context::texCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (!ready("texCoordPointer")) {
        return;
    }
    glTexCoordPointer(size, type, stride, pointer);
    // GL keeps the previous array for arguments it refuses, and so do we.
    if (size >= 2 && size <= 4 && stride >= 0) {
        texCoordArray_ = ClientArray{texCoordArray_.enabled, size, type, stride, pointer};
    }
}

bool Gles1Context::verticesUsable(const ClientArray& array, GLint first, GLsizei count) const {
    if (!array.enabled || array.type != GL_FLOAT || array.pointer == nullptr) {
        return true;
    }
    const size_t step = array.stride > 0 ? static_cast<size_t>(array.stride) : sizeof(GLfloat) * array.size;
    const auto* base = static_cast<const unsigned char*>(array.pointer);
    for (GLsizei i = 0; i < count; ++i) {
        const unsigned char* vertex = base + (static_cast<size_t>(first) + static_cast<size_t>(i)) * step;
        for (GLint c = 0; c < array.size; ++c) {
            GLfloat value = 0;
            std::memcpy(&value, vertex + sizeof(GLfloat) * static_cast<size_t>(c), sizeof value);
            if (!std::isfinite(value) || std::fabs(value) > kMaxVertexCoordinate) {
                return false;
            }
        }
    }
    return true;
}

void Gles1Context::drawArrays(GLenum mode, GLint first, GLsizei count) {
    if (!ready("drawArrays")) {
        return;
    }
    // Negative ranges read nothing: GL itself reports them.
    if (first < 0 || count <= 0) {
        glDrawArrays(mode, first, count);
        return;
    }
    const char* problem = nullptr;
    if ((vertexArray_.enabled && vertexArray_.pointer == nullptr) ||
        (texCoordArray_.enabled && texCoordArray_.pointer == nullptr)) {
        record(GL_INVALID_OPERATION);
        problem = "an enabled array without data";
    } else if (!verticesUsable(vertexArray_, first, count) || !verticesUsable(texCoordArray_, first, count)) {
        problem = "non-finite or huge coordinates";
    }
    if (problem != nullptr) {
        if (!droppedDrawLogged_) {
            droppedDrawLogged_ = true;
            ZLOG(Warn, "GL: dropped a draw of %d vertices with %s", count, problem);
        }
        return;
    }
    glDrawArrays(mode, first, count);
}

// --- Framebuffer objects ---

void Gles1Context::genRenderbuffers(GLsizei n, GLuint* renderbuffers) {
    if (ready("genRenderbuffers")) {
        gles1Display()->genRenderbuffers(n, renderbuffers);
    }
}

void Gles1Context::deleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) {
    if (ready("deleteRenderbuffers")) {
        gles1Display()->deleteRenderbuffers(n, renderbuffers);
    }
}

void Gles1Context::bindRenderbuffer(GLenum target, GLuint renderbuffer) {
    if (ready("bindRenderbuffer")) {
        gles1Display()->bindRenderbuffer(target, renderbuffer);
    }
}

void Gles1Context::renderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height) {
    if (!ready("renderbufferStorage")) {
        return;
    }
    if (width > 4096 || height > 4096) {
        record(GL_INVALID_VALUE);
        ZLOG(Warn, "GL: refusing a %d x %d renderbuffer (at most 4096 a side)", width, height);
        return;
    }
    gles1Display()->renderbufferStorage(target, internalformat, width, height);
}

void Gles1Context::genFramebuffers(GLsizei n, GLuint* framebuffers) {
    if (ready("genFramebuffers")) {
        gles1Display()->genFramebuffers(n, framebuffers);
    }
}

void Gles1Context::deleteFramebuffers(GLsizei n, const GLuint* framebuffers) {
    if (ready("deleteFramebuffers")) {
        gles1Display()->deleteFramebuffers(n, framebuffers);
    }
}

void Gles1Context::bindFramebuffer(GLenum target, GLuint framebuffer) {
    if (ready("bindFramebuffer")) {
        gles1Display()->bindFramebuffer(target, framebuffer);
    }
}

void Gles1Context::framebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                           GLuint renderbuffer) {
    if (ready("framebufferRenderbuffer")) {
        gles1Display()->framebufferRenderbuffer(target, attachment, renderbuffertarget, renderbuffer);
    }
}

GLenum Gles1Context::checkFramebufferStatus(GLenum target) {
    return ready("checkFramebufferStatus") ? gles1Display()->checkFramebufferStatus(target) : 0;
}

} // namespace gfx
