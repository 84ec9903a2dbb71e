// Bitmap contexts: creation and wrapping of pixel memory in the four layouts, and the conversions
// between the internal ARGB32 surface and the non-native layouts.
#include "platform/graphics/bitmap_context.h"

#include <cairo.h>

#include <cstring>

#include "platform/foundation/log.h"
#include "platform/graphics/context_internal.h"
#include "platform/graphics/image.h"

namespace gfx {

namespace {

size_t bytesPerPixel(PixelFormat format) {
    return format == PixelFormat::Gray8 ? 1 : 4;
}

bool knownFormat(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bgra8PremulFirstLE:
    case PixelFormat::Argb8PremulFirst:
    case PixelFormat::Rgba8PremulLast:
    case PixelFormat::Gray8:
        return true;
    }
    return false;
}

// Grey level of a premultiplied pixel, i.e. of its colour over black (weights sum to 256, so a grey
// colour keeps its level exactly).
uint8_t grayOf(uint32_t px) {
    uint32_t r = (px >> 16) & 0xff, g = (px >> 8) & 0xff, b = px & 0xff;
    return uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8);
}

uint32_t loadPixel(const uint8_t* in, PixelFormat format) {
    switch (format) {
    case PixelFormat::Argb8PremulFirst:
        return uint32_t(in[0]) << 24 | uint32_t(in[1]) << 16 | uint32_t(in[2]) << 8 | in[3];
    case PixelFormat::Rgba8PremulLast:
        return uint32_t(in[3]) << 24 | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
    case PixelFormat::Gray8:
        return 0xff000000u | uint32_t(in[0]) << 16 | uint32_t(in[0]) << 8 | in[0];
    case PixelFormat::Bgra8PremulFirstLE:
        break;
    }
    return uint32_t(in[3]) << 24 | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
}

void storePixel(uint32_t px, uint8_t* out, PixelFormat format) {
    uint8_t a = uint8_t(px >> 24), r = uint8_t(px >> 16), g = uint8_t(px >> 8), b = uint8_t(px);
    switch (format) {
    case PixelFormat::Argb8PremulFirst:
        out[0] = a, out[1] = r, out[2] = g, out[3] = b;
        return;
    case PixelFormat::Rgba8PremulLast:
        out[0] = r, out[1] = g, out[2] = b, out[3] = a;
        return;
    case PixelFormat::Gray8:
        out[0] = grayOf(px);
        return;
    case PixelFormat::Bgra8PremulFirstLE:
        out[0] = b, out[1] = g, out[2] = r, out[3] = a;
        return;
    }
}

} // namespace

std::shared_ptr<BitmapContext> BitmapContext::create(int width, int height, PixelFormat format) {
    if (!knownFormat(format) || !detail::validSurfaceSize(width, height)) {
        ZLOG(Warn, "gfx: refusing a %dx%d bitmap context", width, height);
        return nullptr;
    }
    size_t bytesPerRow = size_t(width) * bytesPerPixel(format);
    fnd::Bytes owned(bytesPerRow * size_t(height));
    return make(nullptr, width, height, bytesPerRow, format, std::move(owned));
}

std::shared_ptr<BitmapContext> BitmapContext::wrap(uint8_t* buffer, int width, int height, size_t bytesPerRow,
                                                   PixelFormat format) {
    if (buffer == nullptr || !knownFormat(format) || !detail::validSurfaceSize(width, height) ||
        bytesPerRow < size_t(width) * bytesPerPixel(format) || bytesPerRow >= (size_t(1) << 31)) {
        ZLOG(Warn, "gfx: refusing to wrap a %dx%d buffer with %d bytes per row", width, height, int64_t(bytesPerRow));
        return nullptr;
    }
    return make(buffer, width, height, bytesPerRow, format, {});
}

std::shared_ptr<BitmapContext> BitmapContext::make(uint8_t* buffer, int width, int height, size_t bytesPerRow,
                                                   PixelFormat format, fnd::Bytes owned) {
    uint8_t* pixels = buffer != nullptr ? buffer : owned.data();
    bool direct = format == PixelFormat::Bgra8PremulFirstLE && bytesPerRow % 4 == 0;
    cairo_surface_t* surface =
        direct ? cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, int(bytesPerRow))
               : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        ZLOG(Warn, "gfx: could not make a %dx%d bitmap surface", width, height);
        return nullptr;
    }
    std::shared_ptr<BitmapContext> context(
        new BitmapContext(surface, format, pixels, bytesPerRow, direct, std::move(owned)));
    if (!direct) {
        context->load();
    }
    return context;
}

BitmapContext::BitmapContext(cairo_surface_t* surface, PixelFormat format, uint8_t* pixels, size_t bytesPerRow,
                             bool direct, fnd::Bytes owned)
    : Context(surface, true), format_(format), pixels_(pixels), bytesPerRow_(bytesPerRow), direct_(direct),
      owned_(std::move(owned)) {}

BitmapContext::~BitmapContext() {
    // A wrapped buffer gets the last drawing.
    flush();
}

void BitmapContext::load() {
    cairo_surface_flush(surface());
    unsigned char* data = cairo_image_surface_get_data(surface());
    size_t stride = size_t(cairo_image_surface_get_stride(surface()));
    size_t step = bytesPerPixel(format_);
    for (int y = 0; y < height(); ++y) {
        const uint8_t* in = pixels_ + size_t(y) * bytesPerRow_;
        unsigned char* out = data + size_t(y) * stride;
        for (int x = 0; x < width(); ++x) {
            uint32_t px = loadPixel(in + size_t(x) * step, format_);
            std::memcpy(out + size_t(x) * 4, &px, 4);
        }
    }
    cairo_surface_mark_dirty(surface());
}

void BitmapContext::flush() {
    Context::flush();
    if (direct_) {
        return;
    }
    const unsigned char* data = cairo_image_surface_get_data(surface());
    size_t stride = size_t(cairo_image_surface_get_stride(surface()));
    size_t step = bytesPerPixel(format_);
    for (int y = 0; y < height(); ++y) {
        const unsigned char* in = data + size_t(y) * stride;
        uint8_t* out = pixels_ + size_t(y) * bytesPerRow_;
        for (int x = 0; x < width(); ++x) {
            uint32_t px;
            std::memcpy(&px, in + size_t(x) * 4, 4);
            storePixel(px, out + size_t(x) * step, format_);
        }
    }
}

uint8_t* BitmapContext::data() {
    flush();
    return pixels_;
}

Rgba8 BitmapContext::pixelAt(int x, int y) {
    if (format_ != PixelFormat::Gray8) {
        return Context::pixelAt(x, y);
    }
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return Rgba8{};
    }
    uint8_t g = data()[size_t(y) * bytesPerRow_ + size_t(x)];
    return Rgba8{g, g, g, 255};
}

std::shared_ptr<Image> BitmapContext::makeImage() {
    if (format_ != PixelFormat::Gray8) {
        return Context::makeImage();
    }
    const uint8_t* gray = data();
    fnd::Bytes pixels(size_t(width()) * size_t(height()) * 4);
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            uint8_t g = gray[size_t(y) * bytesPerRow_ + size_t(x)];
            uint8_t* out = pixels.data() + (size_t(y) * size_t(width()) + size_t(x)) * 4;
            out[0] = g, out[1] = g, out[2] = g, out[3] = 255;
        }
    }
    return Image::fromPixels(width(), height(), std::move(pixels));
}

std::shared_ptr<Image> makeRoundCornerImage(const Image& image, double cornerWidth, double cornerHeight) {
    auto context = BitmapContext::create(image.width(), image.height(), PixelFormat::Argb8PremulFirst);
    if (!context) {
        return nullptr;
    }
    const Rect all(0, 0, image.width(), image.height());
    context->beginPath();
    context->addRoundedRectToPath(all, cornerWidth, cornerHeight);
    context->clip();
    context->drawImage(all, image);
    return context->makeImage();
}

} // namespace gfx
