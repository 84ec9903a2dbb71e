// Context construction, the graphics state (save/restore, CTM, colours, line and shadow settings)
// and reading pixels back.
#include "platform/graphics/context.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/foundation/log.h"
#include "platform/graphics/cairo_handoff.h"
#include "platform/graphics/context_internal.h"
#include "platform/graphics/image.h"

namespace gfx {

namespace {

// Larger surfaces are refused rather than allocated.
constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

double clamp01(double v) {
    return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0;
}

cairo_matrix_t toCairo(const AffineTransform& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return m;
}

bool finite(const AffineTransform& t) {
    return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
           std::isfinite(t.tx) && std::isfinite(t.ty);
}

} // namespace

bool detail::validSurfaceSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && int64_t(width) * height <= kMaxPixels;
}

std::shared_ptr<Context> Context::createView(int width, int height) {
    if (!detail::validSurfaceSize(width, height)) {
        ZLOG(Warn, "gfx: refusing a %dx%d drawing context", width, height);
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::shared_ptr<Context>(new Context(surface, false));
}

Context::Context(cairo_surface_t* surface, bool baseYUp)
    : surface_(surface), cr_(detail::createCairo(surface)), width_(cairo_image_surface_get_width(surface)),
      height_(cairo_image_surface_get_height(surface)) {
    cairo_set_miter_limit(cr_, 10);
    cairo_set_line_width(cr_, 1);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    if (baseYUp) {
        setCTM(AffineTransform{1, 0, 0, -1, 0, double(height_)});
    }
}

Context::~Context() {
    detail::destroyCairo(cr_);
    cairo_surface_destroy(surface_);
}

// --- State ---

void Context::saveGState() {
    saved_.push_back(state_);
    cairo_save(cr_);
}

void Context::restoreGState() {
    if (saved_.empty()) {
        ZLOG(Warn, "gfx: restoreGState with no saved state; ignored");
        return;
    }
    state_ = saved_.back();
    saved_.pop_back();
    cairo_restore(cr_);
}

void Context::setCTM(const AffineTransform& deviceCTM) {
    state_.ctm = deviceCTM;
    double det = deviceCTM.a * deviceCTM.d - deviceCTM.b * deviceCTM.c;
    state_.singular = !finite(deviceCTM) || det == 0 || !std::isfinite(det);
    if (!state_.singular) {
        cairo_matrix_t m = toCairo(deviceCTM);
        cairo_set_matrix(cr_, &m);
    }
}

void Context::translateCTM(double tx, double ty) {
    setCTM(state_.ctm.translate(tx, ty));
}

void Context::scaleCTM(double sx, double sy) {
    setCTM(state_.ctm.scale(sx, sy));
}

void Context::rotateCTM(double angle) {
    setCTM(state_.ctm.rotate(angle));
}

void Context::concatCTM(const AffineTransform& t) {
    setCTM(t.concat(state_.ctm));
}

AffineTransform Context::getCTM() const {
    // Device space is y down; base space flips it: (x, y) -> (x, H - y).
    const AffineTransform& m = state_.ctm;
    return AffineTransform{m.a, -m.b, m.c, -m.d, m.tx, height_ - m.ty};
}

void Context::setAlpha(double alpha) {
    state_.alpha = clamp01(alpha);
}

void Context::setFillColor(const Color& color) {
    state_.fill = color;
}

void Context::setStrokeColor(const Color& color) {
    state_.stroke = color;
}

void Context::setRGBFillColor(double r, double g, double b, double a) {
    state_.fill = Color(r, g, b, a);
}

void Context::setRGBStrokeColor(double r, double g, double b, double a) {
    state_.stroke = Color(r, g, b, a);
}

void Context::setGrayFillColor(double gray, double alpha) {
    state_.fill = Color::white(gray, alpha);
}

void Context::setGrayStrokeColor(double gray, double alpha) {
    state_.stroke = Color::white(gray, alpha);
}

void Context::setFillColorSpace(ColorSpace space) {
    state_.fillSpace = space;
}

void Context::setFillColor(std::span<const double> components) {
    if (state_.fillSpace == ColorSpace::Gray && components.size() >= 2) {
        state_.fill = Color::white(components[0], components[1]);
    } else if (state_.fillSpace == ColorSpace::RGB && components.size() >= 4) {
        state_.fill = Color(components[0], components[1], components[2], components[3]);
    } else {
        ZLOG(Warn, "gfx: %d fill colour components do not fill the colour space; ignored", int(components.size()));
    }
}

void Context::setLineWidth(double width) {
    cairo_set_line_width(cr_, std::isfinite(width) ? std::max(width, 0.0) : 1.0);
}

void Context::setLineCap(LineCap cap) {
    switch (cap) {
    case LineCap::Round:
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
        break;
    case LineCap::Square:
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
        break;
    default:
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
        break;
    }
}

void Context::setLineJoin(LineJoin join) {
    switch (join) {
    case LineJoin::Round:
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
        break;
    case LineJoin::Bevel:
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_BEVEL);
        break;
    default:
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
        break;
    }
}

void Context::setShouldAntialias(bool antialias) {
    cairo_set_antialias(cr_, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void Context::setInterpolationQuality(InterpolationQuality quality) {
    state_.interpolation = quality;
}

void Context::setShadow(Size offset, double blur) {
    setShadowWithColor(offset, blur, Color(0, 0, 0, 1.0 / 3));
}

void Context::setShadowWithColor(Size offset, double blur, std::optional<Color> color) {
    bool usable = std::isfinite(offset.width) && std::isfinite(offset.height) && std::isfinite(blur);
    state_.shadowOffset = usable ? offset : Size{};
    state_.shadowBlur = usable ? std::max(blur, 0.0) : 0;
    state_.shadowColor = usable ? color : std::nullopt;
}

void Context::setBlendMode(BlendMode mode) {
    state_.blend = mode;
}

void Context::setSourceColor(cairo_t* cr, const Color& color) const {
    const std::shared_ptr<const Image>& tile = color.patternImage();
    if (!tile) {
        cairo_set_source_rgba(cr, clamp01(color.r), clamp01(color.g), clamp01(color.b),
                              clamp01(color.a) * state_.alpha);
        return;
    }
    // Tiles of the image's size from the user-space origin, each with its top row along its maximum
    // y, as drawImage places them. The pattern keeps the pixel view alive; the colour keeps the image.
    cairo_surface_t* pixels =
        cairo_image_surface_create_for_data(const_cast<uint8_t*>(tile->data()), CAIRO_FORMAT_ARGB32, tile->width(),
                                            tile->height(), int(tile->bytesPerRow()));
    cairo_pattern_t* pattern = detail::handedOffPattern(cairo_pattern_create_for_surface(pixels));
    cairo_surface_destroy(pixels);
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1, 0, 0, -1, 0, 0);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, state_.interpolation == InterpolationQuality::None ? CAIRO_FILTER_NEAREST
                                                                                         : CAIRO_FILTER_BILINEAR);
    cairo_set_source(cr, pattern);
    detail::destroyPattern(pattern);
}

// --- Reading back ---

void Context::flush() {
    cairo_surface_flush(surface_);
}

Rgba8 Context::pixelAt(int x, int y) {
    flush();
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return Rgba8{};
    }
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + size_t(y) * cairo_image_surface_get_stride(surface_);
    uint32_t px;
    std::memcpy(&px, row + size_t(x) * 4, 4);
    auto a = uint8_t(px >> 24);
    if (a == 0) {
        return Rgba8{};
    }
    auto unpremultiply = [a](uint32_t c) { return uint8_t(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
    return Rgba8{unpremultiply((px >> 16) & 0xff), unpremultiply((px >> 8) & 0xff), unpremultiply(px & 0xff), a};
}

} // namespace gfx
