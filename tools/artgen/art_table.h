// The table of every image the application bundle ships: name, pixel size, what it shows and the
// recipe that draws it, gathered from the family files, plus rendering an entry to pixels or PNG bytes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/graphics/image.h"
#include "tools/artgen/painter.h"

namespace zelvan::artgen {

using Recipe = std::function<void(Painter&)>;

// How the drawn pixels are finished.
enum class Finish { Colour, Gray };

struct ArtEntry {
    std::string name;  // file name in the bundle without ".png" (a name ending in ".png" is the file name)
    int width = 0;     // pixels
    int height = 0;    // pixels
    std::string shows; // one line for the image list
    Recipe recipe;     // draws into a transparent y-down context of width x height
    Finish finish = Finish::Colour;
};

// Each family appends its entries.
void addButtonArt(std::vector<ArtEntry>& table);
void addIconArt(std::vector<ArtEntry>& table);
void addEmoticonArt(std::vector<ArtEntry>& table);
void addScreenArt(std::vector<ArtEntry>& table);
void addAvatarArt(std::vector<ArtEntry>& table);
void addSkinArt(std::vector<ArtEntry>& table);
void addMarlinArt(std::vector<ArtEntry>& table);
void addBrightpointArt(std::vector<ArtEntry>& table);
void addBrightpointOfferArt(std::vector<ArtEntry>& table);
void addBrightpointAppsArt(std::vector<ArtEntry>& table);

// Every entry, families in a fixed order (built once).
const std::vector<ArtEntry>& artTable();
// The entry named `name`, or null.
const ArtEntry* findArt(const std::string& name);
// The file name an entry is written to ("<name>.png" unless the name already ends in ".png").
std::string artFileName(const ArtEntry& entry);

// Draws the entry (with the text graphics stack set up) and finishes it; null when the size is invalid.
gfx::ImagePtr renderArt(const ArtEntry& entry);
// The entry's PNG bytes (stable for equal pixels); empty on failure.
fnd::Bytes renderArtPng(const ArtEntry& entry);

} // namespace zelvan::artgen
