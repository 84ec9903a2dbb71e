// gfx::Gles1Context: a headless OpenGL ES 1.1 context (Mesa's llvmpipe through EGL's software device)
// with the GL calls the GL surface view makes, forwarded to GL on the calling thread, plus the guards
// we add around them (texture size cap, non-finite vertices, calls without the context current).
#pragma once

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/graphics/image.h"

namespace gfx {

class Gles1Context;
using Gles1ContextPtr = std::shared_ptr<Gles1Context>;

// Every GL call checks that this context is the one current on the calling thread; otherwise it does
// nothing, records GL_INVALID_OPERATION (returned by getError() before GL's own errors) and logs.
// A context is used by one thread at a time, the one it is current on.
class Gles1Context {
public:
    // Texture uploads larger than this on a side are refused before GL sees them.
    static constexpr GLsizei kMaxTextureSide = 1024;
    // Vertex coordinates beyond this magnitude are treated like non-finite ones: the draw is dropped.
    static constexpr float kMaxVertexCoordinate = 1.0e6F;

    // A client-version-1 context without a surface, GL_DITHER disabled. Null and one log line when
    // there is no software EGL device or the context cannot be made.
    static Gles1ContextPtr create();
    // The last context of the process to go gives back the driver's idle memory
    // (releaseIdleDriverMemory in gles1_display.h); the next create() works as the first did.
    ~Gles1Context();
    Gles1Context(const Gles1Context&) = delete;
    Gles1Context& operator=(const Gles1Context&) = delete;

    // Makes this context current on the calling thread; false (and a log line) when it is current on
    // another thread or EGL refuses.
    bool makeCurrent();
    // Leaves no context current on the calling thread.
    static bool clearCurrent();
    bool isCurrent() const;
    // GL_RENDERER of this context (made current on the calling thread for the query, then restored).
    std::string renderer();

    // --- Errors ---
    // Our recorded error first, then GL's.
    GLenum getError();

    // --- State ---
    void enable(GLenum cap);
    void disable(GLenum cap);
    // Only GL_VERTEX_ARRAY and GL_TEXTURE_COORD_ARRAY (others: GL_INVALID_ENUM recorded, logged).
    void enableClientState(GLenum array);
    void disableClientState(GLenum array);
    void blendFunc(GLenum sfactor, GLenum dfactor);
    void alphaFunc(GLenum func, GLclampf ref);
    void depthFunc(GLenum func);
    void depthMask(GLboolean flag);
    void colorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha);
    void clearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
    void clearDepthf(GLclampf depth);
    void clear(GLbitfield mask);
    void viewport(GLint x, GLint y, GLsizei width, GLsizei height);
    void scissor(GLint x, GLint y, GLsizei width, GLsizei height);
    void getIntegerv(GLenum pname, GLint* params);
    void color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
    void flush();
    void finish();

    // --- Matrices ---
    void matrixMode(GLenum mode);
    void loadIdentity();
    void orthof(GLfloat left, GLfloat right, GLfloat bottom, GLfloat top, GLfloat zNear, GLfloat zFar);
    void translatef(GLfloat x, GLfloat y, GLfloat z);
    void scalef(GLfloat x, GLfloat y, GLfloat z);
    void multMatrixf(const GLfloat* m);
    void pushMatrix();
    void popMatrix();

    // --- Textures ---
    void genTextures(GLsizei n, GLuint* textures);
    void deleteTextures(GLsizei n, const GLuint* textures);
    void bindTexture(GLenum target, GLuint texture);
    void texParameteri(GLenum target, GLenum pname, GLint param);
    // Refuses sides above kMaxTextureSide (GL_INVALID_VALUE recorded, a log line, nothing allocated).
    void texImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,
                    GLenum format, GLenum type, const GLvoid* pixels);

    // --- Vertex arrays and drawing ---
    // The arrays stay the caller's and must outlive the draws that use them, as in GL.
    void vertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void texCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    // A draw whose enabled float vertex or texture coordinates are not finite (or beyond
    // kMaxVertexCoordinate), or with an enabled array that has no pointer (GL_INVALID_OPERATION), is
    // dropped and logged once per frame (a frame starts at a colour clear).
    void drawArrays(GLenum mode, GLint first, GLsizei count);

    // --- Framebuffer objects ---
    void genRenderbuffers(GLsizei n, GLuint* renderbuffers);
    void deleteRenderbuffers(GLsizei n, const GLuint* renderbuffers);
    void bindRenderbuffer(GLenum target, GLuint renderbuffer);
    // Refuses sides above 4096 (GL_INVALID_VALUE recorded, a log line), as drawables are capped.
    void renderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height);
    void genFramebuffers(GLsizei n, GLuint* framebuffers);
    void deleteFramebuffers(GLsizei n, const GLuint* framebuffers);
    void bindFramebuffer(GLenum target, GLuint framebuffer);
    void framebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer);
    GLenum checkFramebufferStatus(GLenum target);

    // --- Read-back ---
    // Images read back take the pixel buffer of an earlier image of this context once that image (and
    // every copy sharing its pixels) has gone, so steady frames neither allocate nor clear memory.
    // The colour buffer of the bound framebuffer as a premultiplied image, top row first. Null (and a
    // log line) without a complete framebuffer with a colour renderbuffer.
    ImagePtr readPixels();
    // The colour renderbuffer `renderbuffer` as an opaque image, top row first (read through a
    // framebuffer of our own; the caller's bindings are kept). Null when it has no storage.
    ImagePtr readRenderbuffer(GLuint renderbuffer);

    struct Private;
    explicit Gles1Context(const Private&, void* context);
    // The read-back's reused buffers (defined with the read-back).
    struct ReadBuffers;

private:
    struct ClientArray {
        bool enabled = false;
        GLint size = 4;
        GLenum type = GL_FLOAT;
        GLsizei stride = 0;
        const GLvoid* pointer = nullptr;
    };

    // Whether this context is current here; otherwise records INVALID_OPERATION and logs `call`.
    bool ready(const char* call);
    void record(GLenum error);
    bool verticesUsable(const ClientArray& array, GLint first, GLsizei count) const;
    ImagePtr readBoundColour(bool opaque);

    void* context_; // EGLContext
    std::atomic<GLenum> ourError_{GL_NO_ERROR};
    ClientArray vertexArray_;
    ClientArray texCoordArray_;
    bool droppedDrawLogged_ = false;
    GLuint readFramebuffer_ = 0;
    std::shared_ptr<ReadBuffers> readBuffers_;
};

} // namespace gfx
