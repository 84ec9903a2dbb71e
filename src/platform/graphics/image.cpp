// Image construction, pixel reads, the named-image cache and the derived copies (stretchable,
// fitted to a size, grey).
#include "platform/graphics/image.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/graphics/cairo_handoff.h"
#include "platform/graphics/gif_codec.h"
#include "platform/graphics/jpeg_codec.h"
#include "platform/graphics/pixel_ops.h"
#include "platform/graphics/png_codec.h"

namespace gfx {

struct Image::Private {};

namespace {

bool swapsAxes(ImageOrientation o) {
    switch (o) {
    case ImageOrientation::Left:
    case ImageOrientation::Right:
    case ImageOrientation::LeftMirrored:
    case ImageOrientation::RightMirrored:
        return true;
    default:
        return false;
    }
}

// The stored pixel shown at (X, Y) of the upright image, for a stored image of w x h.
void storedPixelFor(ImageOrientation o, int w, int h, int X, int Y, int* x, int* y) {
    switch (o) {
    case ImageOrientation::Up:
        *x = X, *y = Y;
        break;
    case ImageOrientation::UpMirrored:
        *x = w - 1 - X, *y = Y;
        break;
    case ImageOrientation::Down:
        *x = w - 1 - X, *y = h - 1 - Y;
        break;
    case ImageOrientation::DownMirrored:
        *x = X, *y = h - 1 - Y;
        break;
    case ImageOrientation::LeftMirrored: // transpose
        *x = Y, *y = X;
        break;
    case ImageOrientation::Right: // shown turned a quarter clockwise
        *x = Y, *y = h - 1 - X;
        break;
    case ImageOrientation::RightMirrored: // transverse
        *x = w - 1 - Y, *y = h - 1 - X;
        break;
    case ImageOrientation::Left: // shown turned a quarter anticlockwise
        *x = w - 1 - Y, *y = X;
        break;
    }
}

std::mutex& namedCacheMutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, ImagePtr>& namedCache() {
    static std::map<std::string, ImagePtr> cache;
    return cache;
}

} // namespace

bool imageDimensionsAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

Image::Image(const Private&, int width, int height, std::shared_ptr<const fnd::Bytes> pixels,
             ImageOrientation orientation, int leftCap, int topCap)
    : width_(width), height_(height), pixels_(std::move(pixels)), orientation_(orientation), leftCap_(leftCap),
      topCap_(topCap) {}

ImagePtr Image::fromPixels(int width, int height, fnd::Bytes premultipliedBgra, ImageOrientation orientation) {
    return fromSharedPixels(width, height, std::make_shared<const fnd::Bytes>(std::move(premultipliedBgra)),
                            orientation);
}

ImagePtr Image::fromSharedPixels(int width, int height, std::shared_ptr<const fnd::Bytes> premultipliedBgra,
                                 ImageOrientation orientation) {
    if (!imageDimensionsAllowed(width, height)) {
        ZLOG(Warn, "Image: refusing a %d x %d image (at most %lld px a side, %lld px in all)", width, height,
             static_cast<long long>(kMaxImageSide), static_cast<long long>(kMaxImagePixels));
        return nullptr;
    }
    const size_t expected = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    const size_t size = premultipliedBgra ? premultipliedBgra->size() : 0;
    if (size != expected) {
        ZLOG(Warn, "Image: pixel buffer of %lld bytes does not fit %d x %d", static_cast<long long>(size), width,
             height);
        return nullptr;
    }
    return std::make_shared<Image>(Private{}, width, height, std::move(premultipliedBgra), orientation, 0, 0);
}

ImagePtr Image::imageWithData(std::span<const uint8_t> bytes, DecodeLimit limit) {
    if (isPngData(bytes)) {
        return decodePng(bytes, limit);
    }
    if (isJpegData(bytes)) {
        return decodeJpeg(bytes, limit);
    }
    if (isGifData(bytes)) {
        return decodeGif(bytes, limit);
    }
    ZLOG(Warn, "Image: %lld bytes are not a PNG, JPEG or GIF image", static_cast<long long>(bytes.size()));
    return nullptr;
}

ImagePtr Image::imageWithContentsOfFile(const std::string& path) {
    std::optional<fnd::Bytes> bytes = fnd::readFile(path);
    if (!bytes) {
        ZLOG(Warn, "Image: cannot read %s", path.c_str());
        return nullptr;
    }
    ImagePtr image = imageWithData(*bytes);
    if (!image) {
        ZLOG(Warn, "Image: cannot decode %s", path.c_str());
    }
    return image;
}

ImagePtr Image::imageNamed(const std::string& name) {
    {
        std::lock_guard lock(namedCacheMutex());
        auto it = namedCache().find(name);
        if (it != namedCache().end()) {
            return it->second;
        }
    }
    const fnd::Bundle& bundle = fnd::Bundle::main();
    std::optional<std::string> path = bundle.pathForResource(name, "");
    if (!path) {
        path = bundle.pathForResource(name, "png");
    }
    if (!path) {
        ZLOG(Warn, "Image: no bundle image named %s", name.c_str());
        return nullptr;
    }
    ImagePtr image = imageWithContentsOfFile(*path);
    if (!image) {
        return nullptr;
    }
    // Two threads may decode the same name at once; the first one stored wins so callers share it.
    std::lock_guard lock(namedCacheMutex());
    auto [it, inserted] = namedCache().emplace(name, image);
    return it->second;
}

Size Image::size() const {
    if (swapsAxes(orientation_)) {
        return Size{static_cast<double>(height_), static_cast<double>(width_)};
    }
    return Size{static_cast<double>(width_), static_cast<double>(height_)};
}

Rgba8 Image::pixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return Rgba8{};
    }
    const uint8_t* p = data() + static_cast<size_t>(y) * bytesPerRow() + static_cast<size_t>(x) * 4;
    uint8_t a = p[3];
    return Rgba8{pixel::unpremultiply(p[2], a), pixel::unpremultiply(p[1], a), pixel::unpremultiply(p[0], a), a};
}

ImagePtr Image::stretchableImageWithLeftCapWidth(int leftCapWidth, int topCapHeight) const {
    return std::make_shared<Image>(Private{}, width_, height_, pixels_, orientation_, std::max(0, leftCapWidth),
                                   std::max(0, topCapHeight));
}

ImagePtr Image::uprightCopy() const {
    if (orientation_ == ImageOrientation::Up) {
        return std::make_shared<Image>(Private{}, width_, height_, pixels_, orientation_, 0, 0);
    }
    int w = width_;
    int h = height_;
    if (swapsAxes(orientation_)) {
        std::swap(w, h);
    }
    auto upright = std::make_shared<fnd::Bytes>(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int Y = 0; Y < h; ++Y) {
        for (int X = 0; X < w; ++X) {
            int x = 0;
            int y = 0;
            storedPixelFor(orientation_, width_, height_, X, Y, &x, &y);
            const uint8_t* from = data() + static_cast<size_t>(y) * bytesPerRow() + static_cast<size_t>(x) * 4;
            std::copy_n(from, 4, upright->data() + (static_cast<size_t>(Y) * w + X) * 4);
        }
    }
    return std::make_shared<Image>(Private{}, w, h, std::move(upright), ImageOrientation::Up, 0, 0);
}

ImagePtr Image::imageFittedTo(Size box, bool respectOrientation) const {
    if (!(box.width >= 1) || !(box.height >= 1)) {
        ZLOG(Warn, "Image: cannot fit an image into %g x %g", box.width, box.height);
        return nullptr;
    }
    ImagePtr source = respectOrientation ? uprightCopy() : nullptr;
    int srcW = source ? source->width_ : width_;
    int srcH = source ? source->height_ : height_;
    std::shared_ptr<const fnd::Bytes> src = source ? source->pixels_ : pixels_;
    ImageOrientation orientation = source ? ImageOrientation::Up : orientation_;

    double ratio = std::min({1.0, box.width / srcW, box.height / srcH});
    int dstW = std::clamp(static_cast<int>(std::lround(srcW * ratio)), 1, srcW);
    int dstH = std::clamp(static_cast<int>(std::lround(srcH * ratio)), 1, srcH);
    if (dstW == srcW && dstH == srcH) {
        return std::make_shared<Image>(Private{}, srcW, srcH, std::move(src), orientation, 0, 0);
    }

    fnd::Bytes out(static_cast<size_t>(dstW) * static_cast<size_t>(dstH) * 4, 0);
    // cairo only reads the source surface, so handing it the const buffer is safe.
    cairo_surface_t* srcSurface = cairo_image_surface_create_for_data(const_cast<unsigned char*>(src->data()),
                                                                      CAIRO_FORMAT_ARGB32, srcW, srcH, srcW * 4);
    cairo_surface_t* dstSurface =
        cairo_image_surface_create_for_data(out.data(), CAIRO_FORMAT_ARGB32, dstW, dstH, dstW * 4);
    cairo_t* cr = detail::createCairo(dstSurface);
    cairo_scale(cr, static_cast<double>(dstW) / srcW, static_cast<double>(dstH) / srcH);
    cairo_set_source_surface(cr, srcSurface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_status_t status = cairo_status(cr);
    detail::destroyCairo(cr);
    cairo_surface_flush(dstSurface);
    cairo_surface_destroy(dstSurface);
    cairo_surface_destroy(srcSurface);
    if (status != CAIRO_STATUS_SUCCESS) {
        ZLOG(Warn, "Image: scaling failed: %s", cairo_status_to_string(status));
        return nullptr;
    }
    return std::make_shared<Image>(Private{}, dstW, dstH, std::make_shared<const fnd::Bytes>(std::move(out)),
                                   orientation, 0, 0);
}

ImagePtr Image::grayscaleCopy() const {
    fnd::Bytes out(pixels_->size());
    const uint8_t* in = data();
    for (size_t i = 0; i + 3 < out.size(); i += 4) {
        uint32_t a = in[i + 3];
        double r = pixel::unpremultiply(in[i + 2], a);
        double g = pixel::unpremultiply(in[i + 1], a);
        double b = pixel::unpremultiply(in[i], a);
        auto luma = static_cast<uint32_t>(std::lround(0.299 * r + 0.587 * g + 0.114 * b));
        pixel::storeBgra(&out[i], luma, luma, luma, a);
    }
    return std::make_shared<Image>(Private{}, width_, height_, std::make_shared<const fnd::Bytes>(std::move(out)),
                                   orientation_, 0, 0);
}

} // namespace gfx
