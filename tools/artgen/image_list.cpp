// Writes the bundle's image list as Markdown from the art table, so the list and the images agree.
#include "tools/artgen/image_list.h"

#include "platform/foundation/format.h"

namespace zelvan::artgen {

std::string imageListMarkdown(const std::vector<ArtEntry>& table) {
    std::string out = "# Bundle images\n\n"
                      "Drawn by `zelvan-artgen` (tools/artgen/); regenerate with `make art`. Sizes are in pixels "
                      "(points at scale 1).\n\n"
                      "| File | Size | Shows |\n|---|---|---|\n";
    for (const ArtEntry& entry : table) {
        // A '|' inside a cell would end it early.
        std::string shows;
        for (char ch : entry.shows) {
            shows += (ch == '|') ? std::string("\\|") : std::string(1, ch);
        }
        out += fnd::format("| %s | %dx%d | %s |\n", artFileName(entry), entry.width, entry.height, shows);
    }
    return out;
}

} // namespace zelvan::artgen
