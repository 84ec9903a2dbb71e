// Drop shadows: the shape is rendered into a scratch alpha plane, blurred with three box blurs that
// approximate a Gaussian of sigma = blur / 2, and composited in the shadow colour at the offset.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/graphics/cairo_handoff.h"
#include "platform/graphics/context.h"
#include "platform/graphics/context_internal.h"

namespace gfx {

namespace detail {

std::vector<int> gaussianBoxes(double sigma) {
    constexpr int n = 3;
    if (!(sigma > 0)) {
        return {1, 1, 1};
    }
    // Box widths wl and wl + 2, m of the narrower, chosen so the variances add up to sigma^2.
    double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int wl = int(std::floor(ideal));
    if (wl % 2 == 0) {
        wl--;
    }
    int wu = wl + 2;
    double mIdeal = (12 * sigma * sigma - n * wl * wl - 4 * n * wl - 3 * n) / (-4.0 * wl - 4);
    int m = int(std::lround(mIdeal));
    std::vector<int> boxes;
    for (int i = 0; i < n; ++i) {
        boxes.push_back(i < m ? wl : wu);
    }
    return boxes;
}

int blurExtent(const std::vector<int>& boxes) {
    int extent = 0;
    for (int w : boxes) {
        extent += (w - 1) / 2;
    }
    return extent;
}

namespace {

// One box pass over `count` samples `step` apart: each becomes the rounded mean of the window
// [i - r, i + r], with samples outside counting as 0.
void boxLine(uint8_t* line, int count, size_t step, int r, std::vector<uint8_t>& scratch) {
    scratch.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        scratch[size_t(i)] = line[size_t(i) * step];
    }
    const uint32_t width = uint32_t(2 * r + 1);
    uint32_t sum = 0;
    for (int i = 0; i < std::min(r, count); ++i) {
        sum += scratch[size_t(i)];
    }
    for (int i = 0; i < count; ++i) {
        if (i + r < count) {
            sum += scratch[size_t(i + r)];
        }
        line[size_t(i) * step] = uint8_t((sum + width / 2) / width);
        if (i - r >= 0) {
            sum -= scratch[size_t(i - r)];
        }
    }
}

} // namespace

void boxBlurAlpha(uint8_t* data, int width, int height, size_t stride, const std::vector<int>& boxes) {
    std::vector<uint8_t> scratch;
    for (int w : boxes) {
        int r = (w - 1) / 2;
        if (r <= 0) {
            continue;
        }
        for (int y = 0; y < height; ++y) {
            boxLine(data + size_t(y) * stride, width, 1, r, scratch);
        }
        for (int x = 0; x < width; ++x) {
            boxLine(data + size_t(x), height, stride, r, scratch);
        }
    }
}

} // namespace detail

void Context::drawShadow(const std::function<void(cairo_t*)>& paint, const Color& color) {
    // Blurs wider than this are indistinguishable from a faint wash and would only cost memory.
    constexpr double kMaxSigma = 128;
    // Offsets beyond this cannot bring any drawable shape's shadow into a surface of allowed size.
    constexpr double kMaxOffset = 1 << 20;

    double dx = state_.shadowOffset.width;
    double dy = -state_.shadowOffset.height; // base space is y up, device space y down
    if (std::abs(dx) > kMaxOffset || std::abs(dy) > kMaxOffset) {
        return;
    }
    std::vector<int> boxes = detail::gaussianBoxes(std::min(state_.shadowBlur / 2, kMaxSigma));
    int extent = detail::blurExtent(boxes);

    // The device-space part of the clip the shadow can land on.
    double x1, y1, x2, y2;
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
    cairo_restore(cr_);
    if (x2 <= x1 || y2 <= y1) {
        return;
    }
    // The shape pixels that blur into that area: the area moved back by the offset, widened by the blur.
    int ox = int(std::floor(x1 - dx)) - extent - 1;
    int oy = int(std::floor(y1 - dy)) - extent - 1;
    int w = int(std::ceil(x2 - x1)) + 2 * extent + 3;
    int h = int(std::ceil(y2 - y1)) + 2 * extent + 3;

    cairo_surface_t* plane = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* scratch = detail::createCairo(plane);
    if (cairo_status(scratch) == CAIRO_STATUS_SUCCESS) {
        cairo_matrix_t m;
        cairo_get_matrix(cr_, &m);
        m.x0 -= ox;
        m.y0 -= oy;
        cairo_set_matrix(scratch, &m);
        cairo_set_antialias(scratch, cairo_get_antialias(cr_));
        cairo_set_line_width(scratch, cairo_get_line_width(cr_));
        cairo_set_line_cap(scratch, cairo_get_line_cap(cr_));
        cairo_set_line_join(scratch, cairo_get_line_join(cr_));
        cairo_set_miter_limit(scratch, cairo_get_miter_limit(cr_));
        cairo_set_fill_rule(scratch, cairo_get_fill_rule(cr_));
        if (cairo_has_current_point(cr_)) {
            cairo_path_t* path = cairo_copy_path(cr_);
            if (path->status == CAIRO_STATUS_SUCCESS) {
                cairo_append_path(scratch, path);
            }
            cairo_path_destroy(path);
        }
        setSourceColor(scratch, color);
        paint(scratch);
        cairo_surface_flush(plane);
        detail::boxBlurAlpha(cairo_image_surface_get_data(plane), w, h, size_t(cairo_image_surface_get_stride(plane)),
                             boxes);
        cairo_surface_mark_dirty(plane);

        const Color& shadow = *state_.shadowColor;
        cairo_save(cr_);
        cairo_identity_matrix(cr_);
        cairo_set_operator(cr_, state_.blend == BlendMode::Copy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
        auto unit = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
        cairo_set_source_rgba(cr_, unit(shadow.r), unit(shadow.g), unit(shadow.b), unit(shadow.a));
        cairo_mask_surface(cr_, plane, ox + dx, oy + dy);
        cairo_restore(cr_);
    }
    detail::destroyCairo(scratch);
    cairo_surface_destroy(plane);
}

} // namespace gfx
