// The Markdown list of the bundle's images (name, size, what it shows) written next to the PNGs.
#pragma once

#include <string>
#include <vector>

#include "tools/artgen/art_table.h"

namespace zelvan::artgen {

// A Markdown document with one table row per entry, in table order.
std::string imageListMarkdown(const std::vector<ArtEntry>& table);

} // namespace zelvan::artgen
