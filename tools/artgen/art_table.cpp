// Gathers the family tables into one list and renders entries through a y-down gfx context.
#include "tools/artgen/art_table.h"

#include "platform/graphics/graphics_stack.h"

namespace zelvan::artgen {

const std::vector<ArtEntry>& artTable() {
    static const std::vector<ArtEntry> table = [] {
        std::vector<ArtEntry> all;
        addButtonArt(all);
        addIconArt(all);
        addEmoticonArt(all);
        addScreenArt(all);
        addAvatarArt(all);
        addSkinArt(all);
        addMarlinArt(all);
        addBrightpointArt(all);
        addBrightpointOfferArt(all);
        addBrightpointAppsArt(all);
        return all;
    }();
    return table;
}

const ArtEntry* findArt(const std::string& name) {
    for (const ArtEntry& entry : artTable()) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

std::string artFileName(const ArtEntry& entry) {
    const std::string suffix = ".png";
    bool hasSuffix = entry.name.size() > suffix.size() &&
                     entry.name.compare(entry.name.size() - suffix.size(), suffix.size(), suffix) == 0;
    return hasSuffix ? entry.name : entry.name + suffix;
}

gfx::ImagePtr renderArt(const ArtEntry& entry) {
    auto context = gfx::Context::createView(entry.width, entry.height);
    if (!context || !entry.recipe) {
        return nullptr;
    }
    // Text drawing goes to the current context of the graphics stack.
    gfx::pushContext(context);
    Painter painter(*context);
    entry.recipe(painter);
    gfx::popContext();
    auto image = context->makeImage();
    if (image && entry.finish == Finish::Gray) {
        image = image->grayscaleCopy();
    }
    return image;
}

fnd::Bytes renderArtPng(const ArtEntry& entry) {
    auto image = renderArt(entry);
    return image ? gfx::pngRepresentation(*image) : fnd::Bytes{};
}

} // namespace zelvan::artgen
