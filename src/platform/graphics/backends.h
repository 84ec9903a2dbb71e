// The outside-world facilities of gfx behind installable interfaces: text metrics. The process uses
// FreeTypeMetrics by default; tests install SyntheticMetrics or their own.
#pragma once

#include <memory>

namespace gfx {

class TextMetrics;

// Installs the metrics every font, layout and drawing call uses; nullptr goes back to the default
// FreeTypeMetrics. Safe from any thread.
void installTextMetrics(std::shared_ptr<TextMetrics> metrics);
std::shared_ptr<TextMetrics> textMetrics();

} // namespace gfx
