// gfx::BitmapContext: a y-up drawing context over pixel memory in one of four layouts, either its
// own or a buffer the caller owns, with conversion to that layout on flush().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/graphics/context.h"

namespace gfx {

enum class PixelFormat {
    Bgra8PremulFirstLE, // B,G,R,A premultiplied: cairo's own layout, drawn into directly
    Argb8PremulFirst,   // A,R,G,B premultiplied
    Rgba8PremulLast,    // R,G,B,A premultiplied
    Gray8,              // one grey byte, no alpha
};

// User space has its origin at the bottom-left and y up: user y = height() is memory row 0.
// Formats other than Bgra8PremulFirstLE (and native buffers whose rows are not a multiple of four
// bytes) are drawn in an internal ARGB32 surface and converted into the pixel memory by flush();
// a wrapped buffer of such a format is read once, when it is wrapped. Gray8 contexts behave as
// opaque: they start black and keep the grey of what is drawn over black.
class BitmapContext : public Context {
public:
    // Zeroed pixels (transparent, or black for Gray8). Null when the size is invalid.
    static std::shared_ptr<BitmapContext> create(int width, int height, PixelFormat format);
    // Draws into `buffer` (height rows of bytesPerRow bytes), which must outlive the context. Null
    // when the buffer is null or the size or row length is invalid.
    static std::shared_ptr<BitmapContext> wrap(uint8_t* buffer, int width, int height, size_t bytesPerRow,
                                               PixelFormat format);

    ~BitmapContext() override;

    PixelFormat format() const { return format_; }
    // The pixel memory, flushed first.
    uint8_t* data();
    size_t bytesPerRow() const { return bytesPerRow_; }

    void flush() override;
    // Gray8 reads give the grey level, opaque.
    Rgba8 pixelAt(int x, int y) override;
    // A copy; memory row 0 becomes the image's top row. Gray8 gives an opaque grey image.
    std::shared_ptr<Image> makeImage() override;

private:
    BitmapContext(cairo_surface_t* surface, PixelFormat format, uint8_t* pixels, size_t bytesPerRow, bool direct,
                  fnd::Bytes owned);
    static std::shared_ptr<BitmapContext> make(uint8_t* buffer, int width, int height, size_t bytesPerRow,
                                               PixelFormat format, fnd::Bytes owned);
    // Copies the pixel memory into the internal surface (converting contexts only).
    void load();

    PixelFormat format_;
    uint8_t* pixels_;
    size_t bytesPerRow_;
    // Whether cairo draws straight into pixels_.
    bool direct_;
    fnd::Bytes owned_;
};

// A copy of `image` (its size in whole pixels, premultiplied ARGB) clipped to a rectangle whose corners
// are quarter ellipses `cornerWidth` across and `cornerHeight` down; with either 0 or less an unrounded
// copy. Null when the image's size is not one a bitmap can have.
std::shared_ptr<Image> makeRoundCornerImage(const Image& image, double cornerWidth, double cornerHeight);

} // namespace gfx
