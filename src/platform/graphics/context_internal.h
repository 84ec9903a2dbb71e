// Helpers shared by the drawing-context sources (not part of the public gfx interface): surface size
// limits and the alpha blur the shadows use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gfx::detail {

// Whether a width x height drawing surface may be allocated.
bool validSurfaceSize(int width, int height);

// The three box widths (odd) whose successive box blurs approximate a Gaussian of `sigma`.
std::vector<int> gaussianBoxes(double sigma);
// How far (in pixels) the blur of gaussianBoxes(sigma) spreads a pixel on each side.
int blurExtent(const std::vector<int>& boxes);
// Blurs an 8-bit alpha plane in place with the given boxes, horizontally then vertically; pixels
// outside the plane count as transparent.
void boxBlurAlpha(uint8_t* data, int width, int height, size_t stride, const std::vector<int>& boxes);

} // namespace gfx::detail
