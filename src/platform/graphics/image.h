// Immutable, shareable bitmap images: premultiplied 32-bit pixels with an orientation and stretch
// caps, the decoding constructors (PNG, JPEG, GIF), encoders and the derived copies product code makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

namespace gfx {

// How the stored pixels are to be shown (values as the original platform numbered them).
enum class ImageOrientation {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
    UpMirrored = 4,
    DownMirrored = 5,
    LeftMirrored = 6,
    RightMirrored = 7,
};

// Decoders and constructors refuse images larger than this on a side or in total pixels.
inline constexpr int64_t kMaxImageSide = 8192;
inline constexpr int64_t kMaxImagePixels = int64_t{16} * 1024 * 1024;
// Whether a width x height image may be allocated (both sides positive and within the limits).
bool imageDimensionsAllowed(int64_t width, int64_t height);

// The largest image a decode may give; never more than the limits above. The codecs read the size
// from the image's header and refuse a larger image (one log line) before they decode a pixel.
struct DecodeLimit {
    int64_t maxWidth = kMaxImageSide;
    int64_t maxHeight = kMaxImageSide;
    bool allows(int64_t width, int64_t height) const {
        return imageDimensionsAllowed(width, height) && width <= maxWidth && height <= maxHeight;
    }
};

class Image;
using ImagePtr = std::shared_ptr<Image>;

// An image never changes after construction: every member is const, and derived images
// (stretchable, fitted, grey) are new objects. Any thread may use one. Stretchable copies share the
// pixel buffer of the image they were made from.
//
// Pixels: premultiplied 8-bit B,G,R,A in memory (cairo's ARGB32 on little-endian), top row first,
// bytesPerRow() == width() * 4 (which is also cairo's stride for that format).
class Image {
public:
    // An image over `premultipliedBgra` (width * height * 4 bytes, rows top first). Null (and a log
    // line) when the size is out of range or the buffer length does not match.
    static ImagePtr fromPixels(int width, int height, fnd::Bytes premultipliedBgra,
                               ImageOrientation orientation = ImageOrientation::Up);
    // The same over a buffer the image shares; whoever else holds it must not change it while the
    // image lives (the buffer's deleter may take it back once the image and its copies are gone).
    static ImagePtr fromSharedPixels(int width, int height, std::shared_ptr<const fnd::Bytes> premultipliedBgra,
                                     ImageOrientation orientation = ImageOrientation::Up);

    // Decodes PNG, JPEG or GIF (first frame) bytes, chosen by signature. Null and a log line when
    // the bytes are not a supported image, are damaged or hold an image larger than `limit`.
    static ImagePtr imageWithData(std::span<const uint8_t> bytes, DecodeLimit limit = {});
    // Reads and decodes the file at `path`; null when unreadable or undecodable.
    static ImagePtr imageWithContentsOfFile(const std::string& path);
    // The bundle resource `name`, else `name`.png, decoded once and cached for the process
    // (thread-safe). A failed lookup is not cached.
    static ImagePtr imageNamed(const std::string& name);

    // Pixel dimensions of the stored bitmap.
    int width() const { return width_; }
    int height() const { return height_; }
    // The size in points (scale 1): the pixel size, with width and height swapped for the Left and
    // Right orientations (mirrored or not), as the original reported it.
    Size size() const;
    double scale() const { return 1.0; }
    ImageOrientation orientation() const { return orientation_; }

    // The stored pixel at column x, row y ((0, 0) is the top-left of memory row 0, orientation not
    // applied), unpremultiplied. Out of range gives transparent black.
    Rgba8 pixelAt(int x, int y) const;

    // Raw pixels for drawing; the buffer lives as long as the image.
    const uint8_t* data() const { return pixels_->data(); }
    size_t bytesPerRow() const { return static_cast<size_t>(width_) * 4; }

    // Stretch caps in points (0 when not stretchable).
    int leftCapWidth() const { return leftCap_; }
    int topCapHeight() const { return topCap_; }
    // The same pixels with stretch caps recorded; negative caps count as 0.
    ImagePtr stretchableImageWithLeftCapWidth(int leftCapWidth, int topCapHeight) const;

    // A new image scaled down (bilinear, aspect kept) so it fits within `size`; an image that
    // already fits keeps its pixel size. With respectOrientation the pixels are first turned
    // upright and the result's orientation is Up; otherwise the orientation is carried over.
    // Null when `size` is smaller than one pixel on a side.
    ImagePtr imageFittedTo(Size size, bool respectOrientation) const;
    // The pixels turned upright (exact, no filtering) with orientation Up; an Up image gives a copy
    // sharing its pixels.
    ImagePtr uprightCopy() const;
    // A grey copy: luma 0.299 R + 0.587 G + 0.114 B of the unpremultiplied colour in each channel,
    // alpha kept, orientation kept.
    ImagePtr grayscaleCopy() const;

    // The pixels of `rect` (pixel units, (0, 0) the top-left of the stored pixels) cut to the image,
    // orientation kept; null when that leaves nothing.
    ImagePtr imageWithRect(Rect rect) const;
    // A copy whose alpha is scaled by the inverse of the mask's grey (its premultiplied luminance),
    // so black paints and white masks out; the mask is stretched to this image's size. Null for an
    // empty mask.
    ImagePtr imageWithMask(const Image& mask) const;

    // Draw into the current context of this thread's graphics stack (defined with the drawing code),
    // honouring the orientation as the original did: a Left/Right image is drawn turned upright.
    void drawInRect(Rect rect) const;
    void drawAtPoint(Point point) const;

    // Public so std::make_shared can construct; use the factories above.
    struct Private;
    Image(const Private&, int width, int height, std::shared_ptr<const fnd::Bytes> pixels, ImageOrientation orientation,
          int leftCap, int topCap);

private:
    int width_;
    int height_;
    std::shared_ptr<const fnd::Bytes> pixels_;
    ImageOrientation orientation_;
    int leftCap_;
    int topCap_;
};

// PNG bytes of `image`: RGBA 8-bit, not interlaced, zlib level 6, no ancillary chunks (stable
// output for equal pixels). Empty on failure.
fnd::Bytes pngRepresentation(const Image& image);
// Baseline JPEG bytes of `image` at quality clamp(round(quality * 100), 1, 100), 4:2:0; transparent
// pixels come out black (colour is composited over black). Empty on failure.
fnd::Bytes jpegRepresentation(const Image& image, double quality);

} // namespace gfx
