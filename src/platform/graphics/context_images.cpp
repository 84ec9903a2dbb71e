// Context image calls: drawImage (top row along the rect's maximum y, stretchable caps honoured) and
// the image and PNG copies of a context's pixels.
#include <cairo.h>

#include <cmath>
#include <cstring>

#include "platform/graphics/cairo_handoff.h"
#include "platform/graphics/context.h"
#include "platform/graphics/context_internal.h"
#include "platform/graphics/image.h"
#include "platform/graphics/stretchable.h"

namespace gfx {

namespace {

bool finiteRect(Rect r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

} // namespace

void Context::drawImage(Rect rect, const std::shared_ptr<const Image>& image) {
    if (image) {
        drawImage(rect, *image);
    }
}

void Context::drawImage(Rect rect, const Image& image) {
    if (!finiteRect(rect) || image.width() <= 0 || image.height() <= 0) {
        return;
    }
    Rect dest = rect.standardized();
    if (dest.isEmpty()) {
        return;
    }
    // Cairo only reads from a source surface, so the image's const pixels are safe to lend it.
    cairo_surface_t* pixels =
        cairo_image_surface_create_for_data(const_cast<uint8_t*>(image.data()), CAIRO_FORMAT_ARGB32, image.width(),
                                            image.height(), int(image.bytesPerRow()));
    if (cairo_surface_status(pixels) == CAIRO_STATUS_SUCCESS) {
        Rect whole(0, 0, image.width(), image.height());
        if (image.leftCapWidth() == 0 && image.topCapHeight() == 0) {
            drawImagePart(pixels, whole, dest);
        } else {
            StretchCaps caps{image.leftCapWidth(), image.topCapHeight()};
            for (const StretchSlice& slice : stretchSlices(whole.size, caps, dest)) {
                // Slices are laid out top-down from minY; this call puts the image's top at maxY, so
                // each slice is mirrored within the rect (its own pixels keep their top at its maxY).
                Rect mirrored(slice.dst.minX(), dest.minY() + dest.maxY() - slice.dst.maxY(), slice.dst.width(),
                              slice.dst.height());
                drawImagePart(pixels, slice.src, mirrored);
            }
        }
    }
    cairo_surface_destroy(pixels);
}

void Context::drawImagePart(cairo_surface_t* pixels, Rect source, Rect dest) {
    if (source.isEmpty() || dest.isEmpty() || state_.singular) {
        return;
    }
    // Only the part of dest near the surface is filled; the pattern still maps the whole of dest.
    Rect reachable = detail::reachablePart(dest, state_.ctm, width_, height_);
    if (reachable.isNull()) {
        return;
    }
    cairo_filter_t filter =
        state_.interpolation == InterpolationQuality::None ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR;
    double alpha = state_.alpha;
    // A part of the image is drawn from a view of just that part, so edge padding and interpolation
    // never pull in pixels of the neighbouring parts.
    bool whole = source.minX() == 0 && source.minY() == 0 && source.width() == cairo_image_surface_get_width(pixels) &&
                 source.height() == cairo_image_surface_get_height(pixels);
    cairo_surface_t* part = whole ? cairo_surface_reference(pixels)
                                  : cairo_surface_create_for_rectangle(pixels, source.minX(), source.minY(),
                                                                       source.width(), source.height());
    withScratchPath([&] {
        render(
            [&](cairo_t* cr) {
                // User point (x, y) samples part pixel ((x - minX) * sx, (maxY - y) * sy): the part's top row
                // runs along dest's maximum y.
                double sx = source.width() / dest.width(), sy = source.height() / dest.height();
                cairo_matrix_t m;
                cairo_matrix_init(&m, sx, 0, 0, -sy, -dest.minX() * sx, dest.maxY() * sy);
                detail::paintSurface(cr, part, m, CAIRO_EXTEND_PAD, filter, reachable, alpha);
            },
            kSourceSetByPaint);
    });
    cairo_surface_destroy(part);
}

std::shared_ptr<Image> Context::makeImage() {
    flush();
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    size_t stride = size_t(cairo_image_surface_get_stride(surface_));
    size_t rowBytes = size_t(width_) * 4;
    fnd::Bytes pixels(rowBytes * size_t(height_));
    for (int y = 0; y < height_; ++y) {
        std::memcpy(pixels.data() + size_t(y) * rowBytes, data + size_t(y) * stride, rowBytes);
    }
    return Image::fromPixels(width_, height_, std::move(pixels));
}

fnd::Bytes Context::pngRepresentation() {
    std::shared_ptr<Image> image = makeImage();
    return image ? gfx::pngRepresentation(*image) : fnd::Bytes{};
}

namespace detail {

void paintSurface(cairo_t* cr, cairo_surface_t* surface, const cairo_matrix_t& matrix, cairo_extend_t extend,
                  cairo_filter_t filter, const Rect& rect, double alpha) {
    cairo_pattern_t* pattern = detail::handedOffPattern(cairo_pattern_create_for_surface(surface));
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_extend(pattern, extend);
    cairo_pattern_set_filter(pattern, filter);
    cairo_set_source(cr, pattern);
    detail::destroyPattern(pattern);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.minX(), rect.minY(), rect.width(), rect.height());
    if (alpha >= 1) {
        cairo_fill(cr);
    } else {
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
}

} // namespace detail

} // namespace gfx
