// Helpers shared by the drawing-context sources (not part of the public gfx interface): surface size
// limits, the alpha blur the shadows use, and painting a surface into a rect.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

namespace gfx::detail {

// Whether a width x height drawing surface may be allocated.
bool validSurfaceSize(int width, int height);

// The part of `rect` (user space, standardized) that can show on a width x height surface drawn
// through `deviceCTM`: cairo's fixed-point device coordinates wrap past about 2^23 pixels, so a rect
// reaching that far is cut to a box around the surface (wide enough for any shadow offset) before it
// is filled. A rect within that box comes back unchanged; one missing it comes back null.
Rect reachablePart(Rect rect, const AffineTransform& deviceCTM, int width, int height);

// The three box widths (odd) whose successive box blurs approximate a Gaussian of `sigma`.
std::vector<int> gaussianBoxes(double sigma);
// How far (in pixels) the blur of gaussianBoxes(sigma) spreads a pixel on each side.
int blurExtent(const std::vector<int>& boxes);
// Blurs an 8-bit alpha plane in place with the given boxes, horizontally then vertically; pixels
// outside the plane count as transparent.
void boxBlurAlpha(uint8_t* data, int width, int height, size_t stride, const std::vector<int>& boxes);

// Fills `rect` on `cr` with `surface` placed by `matrix` (pattern space from user space), extended and
// filtered as given, at `alpha` (a plain fill when opaque, else a clipped paint).
void paintSurface(cairo_t* cr, cairo_surface_t* surface, const cairo_matrix_t& matrix, cairo_extend_t extend,
                  cairo_filter_t filter, const Rect& rect, double alpha);

} // namespace gfx::detail

namespace gfx {

// The colour handed to Context::render by calls whose paint step sets its own source (images,
// gradients, tiles): a plain colour, so a pattern fill colour never adds its own compositing.
inline const Color kSourceSetByPaint{0, 0, 0, 1};

} // namespace gfx
