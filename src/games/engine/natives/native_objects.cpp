// What the wrapped platform objects of the natives hold, for the pool's live-memory count.
#include "games/engine/natives/native_objects.h"

#include "games/formats/bitmap_font.h"
#include "games/formats/cng4.h"

namespace zelvan {

namespace {

size_t archiveBytes(const CNG4& archive) {
    return archive.file().size() + archive.cachedBytes();
}

} // namespace

size_t heldBytes(const fnd::Value& object) {
    if (const fnd::Bytes* data = object.asData()) {
        return data->size();
    }
    std::shared_ptr<fnd::Object> held = object.asObject();
    if (held == nullptr) {
        return 0;
    }
    if (auto archive = std::dynamic_pointer_cast<CNG4>(held)) {
        return archiveBytes(*archive);
    }
    if (auto font = std::dynamic_pointer_cast<vFont>(held)) {
        return archiveBytes(font->cng());
    }
    if (auto picture = std::dynamic_pointer_cast<ScriptImage>(held)) {
        const gfx::ImagePtr& image = picture->image();
        return image == nullptr ? 0 : static_cast<size_t>(image->width()) * static_cast<size_t>(image->height()) * 4;
    }
    return 0;
}

} // namespace zelvan
