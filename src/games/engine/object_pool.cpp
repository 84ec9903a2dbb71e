// Allocation and mark-and-sweep collection of script objects.
#include "games/engine/object_pool.h"

#include <algorithm>

#include "games/engine/natives/native_objects.h"

namespace zelvan {

ZObjectPool::ZObjectPool() {
    objects_.reserve(kInitialCapacity);
}

ZObjectPool::~ZObjectPool() {
    dispose();
}

ZArray* ZObjectPool::newArray() {
    return adopt(std::make_unique<ZArray>());
}

ZArray* ZObjectPool::newArray(std::vector<ScriptValue> elements) {
    return adopt(std::make_unique<ZArray>(std::move(elements)));
}

ZData* ZObjectPool::newData() {
    return adopt(std::unique_ptr<ZData>(new (dataSlots_) ZData(&arena_, size_t{0})));
}

ZData* ZObjectPool::newData(std::span<const uint8_t> bytes) {
    return adopt(std::unique_ptr<ZData>(new (dataSlots_) ZData(&arena_, bytes)));
}

ZData* ZObjectPool::newData(std::span<const uint8_t> head, std::span<const uint8_t> tail) {
    return adopt(std::unique_ptr<ZData>(new (dataSlots_) ZData(&arena_, head, tail)));
}

ZData* ZObjectPool::newData(size_t length) {
    return adopt(std::unique_ptr<ZData>(new (dataSlots_) ZData(&arena_, length)));
}

ZNSObject* ZObjectPool::newNSObject() {
    return adopt(std::make_unique<ZNSObject>());
}

ZNSObject* ZObjectPool::newNSObject(fnd::Value object) {
    return adopt(std::make_unique<ZNSObject>(std::move(object)));
}

void ZObjectPool::freePool(std::span<const ScriptValue> roots) {
    for (ScriptValue root : roots) {
        if (ZObject* object = objectOf(root)) {
            mark(object);
        }
    }
    // erase_if keeps the survivors' relative order; the predicate clears their marks on the way, moves
    // surviving byte strings' bytes out of the arena, and the total is recounted from the survivors.
    size_t live = 0;
    std::erase_if(objects_, [&live](ZObject* object) {
        if (removePredicate(object)) {
            return true;
        }
        if (object->type == ZObject::kData) {
            static_cast<ZData*>(object)->bytes.moveTo(std::pmr::new_delete_resource());
        }
        live += footprint(object);
        return false;
    });
    liveBytes_ = live;
    arena_.reset();
    dataSlots_.trim();
}

void ZObjectPool::mark(ZObject* object) {
    // The null singleton is shared by every engine of the process (on other threads too), so it is
    // never written; it is not in any pool and needs no mark.
    if (object == nullptr || object->marked != 0 || object->type == ZObject::kNull) {
        return;
    }
    object->marked = 1;
    workList_.clear();
    workList_.push_back(object);
    while (!workList_.empty()) {
        ZObject* current = workList_.back();
        workList_.pop_back();
        if (current->type != ZObject::kArray) {
            continue;
        }
        for (ScriptValue element : static_cast<ZArray*>(current)->elements) {
            ZObject* child = objectOf(element);
            if (child != nullptr && child->marked == 0 && child->type != ZObject::kNull) {
                child->marked = 1;
                workList_.push_back(child);
            }
        }
    }
}

bool ZObjectPool::removePredicate(ZObject* object) {
    if (object->marked != 0) {
        object->marked = 0;
        return false;
    }
    deleteObject(object);
    return true;
}

void ZObjectPool::deleteObject(ZObject* object) {
    delete object;
}

void ZObjectPool::dispose() {
    for (ZObject* object : objects_) {
        deleteObject(object);
    }
    objects_.clear();
    liveBytes_ = 0;
    arena_.release();
    dataSlots_.trim();
}

size_t ZObjectPool::footprint(const ZObject* object) {
    // The pool's own pointer to the object counts too, so even empty objects add up.
    size_t bytes = sizeof(ZObject*);
    switch (object->type) {
    case ZObject::kArray:
        return bytes + sizeof(ZArray) + static_cast<const ZArray*>(object)->elements.capacity() * sizeof(ScriptValue);
    case ZObject::kData:
        return bytes + sizeof(ZData) + static_cast<const ZData*>(object)->bytes.size();
    case ZObject::kNSObject: {
        // A wrapper holds what it wraps too: a file's contents, an archive, a font, an image's pixels.
        return bytes + sizeof(ZNSObject) + heldBytes(static_cast<const ZNSObject*>(object)->object);
    }
    default:
        return bytes;
    }
}

} // namespace zelvan
