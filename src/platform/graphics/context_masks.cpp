// Context calls that paint through images: soft masks (clipToMask), tiled images drawn as one
// repeating pattern, and drawing gfx::Layer contents.
#include <cairo.h>

#include <cmath>

#include "platform/foundation/log.h"
#include "platform/graphics/cairo_handoff.h"
#include "platform/graphics/context.h"
#include "platform/graphics/context_internal.h"
#include "platform/graphics/drawing_layer.h"
#include "platform/graphics/image.h"

namespace gfx {

namespace {

bool finiteRect(Rect r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

// Patterns scaled so far that one image pixel covers less than this many device pixels overflow
// pixman's fixed-point matrices; such draws paint nothing.
constexpr double kMinDevicePixelsPerImagePixel = 1.0 / 4096;

bool scaleDrawable(const AffineTransform& ctm, Rect dest, int imageWidth, int imageHeight) {
    double sx = std::hypot(ctm.a, ctm.b) * dest.width() / imageWidth;
    double sy = std::hypot(ctm.c, ctm.d) * dest.height() / imageHeight;
    return sx >= kMinDevicePixelsPerImagePixel && sy >= kMinDevicePixelsPerImagePixel;
}

// The pattern matrix that puts the image's top row along dest's maximum y and its left column along
// its minimum x, scaled to fill dest.
cairo_matrix_t placement(Rect dest, int imageWidth, int imageHeight) {
    double sx = imageWidth / dest.width(), sy = imageHeight / dest.height();
    cairo_matrix_t m;
    cairo_matrix_init(&m, sx, 0, 0, -sy, -dest.minX() * sx, dest.maxY() * sy);
    return m;
}

cairo_surface_t* pixelView(const Image& image) {
    return cairo_image_surface_create_for_data(const_cast<uint8_t*>(image.data()), CAIRO_FORMAT_ARGB32, image.width(),
                                               image.height(), int(image.bytesPerRow()));
}

// An A8 plane of the image's coverage: the luminance of its premultiplied colour, which is the
// grey of an opaque grey image and luminance times alpha for anything else.
cairo_surface_t* coveragePlane(const Image& image) {
    cairo_surface_t* plane = cairo_image_surface_create(CAIRO_FORMAT_A8, image.width(), image.height());
    if (cairo_surface_status(plane) != CAIRO_STATUS_SUCCESS) {
        return plane;
    }
    cairo_surface_flush(plane);
    uint8_t* out = cairo_image_surface_get_data(plane);
    int stride = cairo_image_surface_get_stride(plane);
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* in = image.data() + size_t(y) * image.bytesPerRow();
        uint8_t* row = out + size_t(y) * size_t(stride);
        for (int x = 0; x < image.width(); ++x) {
            const uint8_t* px = in + size_t(x) * 4; // B, G, R, A premultiplied
            row[x] = uint8_t((114 * px[0] + 587 * px[1] + 299 * px[2] + 500) / 1000);
        }
    }
    cairo_surface_mark_dirty(plane);
    return plane;
}

} // namespace

void Context::clipToMask(Rect rect, const Image& mask) {
    Rect dest = finiteRect(rect) ? rect.standardized() : Rect::null();
    if (state_.singular || dest.isEmpty() || mask.width() <= 0 || mask.height() <= 0 ||
        !scaleDrawable(state_.ctm, dest, mask.width(), mask.height())) {
        if (!finiteRect(rect)) {
            ZLOG(Warn, "gfx: clipToMask with a non-finite rect clips everything");
        }
        clipToRect(Rect::null());
        return;
    }
    clipToRect(dest);
    Rect part = detail::reachablePart(dest, state_.ctm, width_, height_);
    if (part.isNull()) {
        return;
    }
    cairo_surface_t* plane = coveragePlane(mask);
    cairo_surface_t* device = cairo_image_surface_create(CAIRO_FORMAT_A8, width_, height_);
    cairo_t* m = detail::createCairo(device);
    if (cairo_surface_status(plane) == CAIRO_STATUS_SUCCESS && cairo_status(m) == CAIRO_STATUS_SUCCESS) {
        cairo_matrix_t ctm;
        cairo_get_matrix(cr_, &ctm);
        cairo_set_matrix(m, &ctm);
        cairo_set_antialias(m, cairo_get_antialias(cr_));
        cairo_rectangle(m, part.minX(), part.minY(), part.width(), part.height());
        cairo_clip(m);
        cairo_pattern_t* pattern = detail::handedOffPattern(cairo_pattern_create_for_surface(plane));
        cairo_matrix_t pm = placement(dest, mask.width(), mask.height());
        cairo_pattern_set_matrix(pattern, &pm);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(pattern, state_.interpolation == InterpolationQuality::None ? CAIRO_FILTER_NEAREST
                                                                                             : CAIRO_FILTER_BILINEAR);
        cairo_set_source(m, pattern);
        detail::destroyPattern(pattern);
        cairo_paint(m);
        if (state_.mask) {
            // Masks multiply: keep the new coverage only where the earlier mask covers too.
            cairo_reset_clip(m);
            cairo_identity_matrix(m);
            cairo_set_operator(m, CAIRO_OPERATOR_IN);
            cairo_set_source_surface(m, state_.mask.get(), 0, 0);
            cairo_paint(m);
        }
        cairo_surface_flush(device);
        state_.mask = std::shared_ptr<cairo_surface_t>(cairo_surface_reference(device), cairo_surface_destroy);
    } else {
        ZLOG(Warn, "gfx: no memory for a %dx%d mask; clipping everything", width_, height_);
        clipToRect(Rect::null());
    }
    detail::destroyCairo(m);
    cairo_surface_destroy(device);
    cairo_surface_destroy(plane);
}

void Context::drawTiledImage(Rect rect, const Image& image) {
    if (state_.singular || !finiteRect(rect) || image.width() <= 0 || image.height() <= 0) {
        return;
    }
    Rect tile = rect.standardized();
    if (tile.isEmpty() || !scaleDrawable(state_.ctm, tile, image.width(), image.height())) {
        return;
    }
    // Only the clip is filled, cut to the box cairo can address.
    double x1, y1, x2, y2;
    cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
    Rect area = detail::reachablePart(Rect(x1, y1, x2 - x1, y2 - y1), state_.ctm, width_, height_);
    if (area.isEmpty()) {
        return;
    }
    cairo_surface_t* pixels = pixelView(image);
    cairo_filter_t filter =
        state_.interpolation == InterpolationQuality::None ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR;
    double alpha = state_.alpha;
    withScratchPath([&] {
        render(
            [&](cairo_t* cr) {
                const cairo_matrix_t pm = placement(tile, image.width(), image.height());
                detail::paintSurface(cr, pixels, pm, CAIRO_EXTEND_REPEAT, filter, area, alpha);
            },
            kSourceSetByPaint);
    });
    cairo_surface_destroy(pixels);
}

void Context::drawLayerInRect(Rect rect, const Layer& layer) {
    if (std::shared_ptr<Image> pixels = layer.context()->makeImage()) {
        drawImage(rect, *pixels);
    }
}

void Context::drawLayerAtPoint(Point point, const Layer& layer) {
    drawLayerInRect(Rect(point, layer.size()), layer);
}

} // namespace gfx
