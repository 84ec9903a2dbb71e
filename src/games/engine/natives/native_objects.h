// The platform objects that drawing and sound natives hand to scripts inside native objects: a
// platform image wrapper, the checked downcast that reads them back, and the bytes each one holds.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "games/engine/script_value.h"
#include "platform/foundation/object.h"
#include "platform/foundation/value.h"
#include "platform/graphics/image.h"

namespace zelvan {

// A platform image (a photo, a snapshot, a redrawn file) held by a native object.
class ScriptImage : public fnd::Object {
public:
    explicit ScriptImage(gfx::ImagePtr image) : image_(std::move(image)) {}
    std::string className() const override { return "ScriptImage"; }
    const gfx::ImagePtr& image() const { return image_; }

private:
    gfx::ImagePtr image_;
};

// The object of kind T inside the native object `v`; null for anything else (another kind, an
// empty wrapper, an integer, a string).
template <class T>
std::shared_ptr<T> nativeObject(ScriptValue v) {
    ZNSObject* o = nsObjectOf(v);
    return o == nullptr ? nullptr : o->object.asObject<T>();
}

// The bytes a wrapped value holds beyond the wrapper: a data object's bytes, an archive's file and
// cached images, a font's, an image's pixels.
size_t heldBytes(const fnd::Value& object);

} // namespace zelvan
