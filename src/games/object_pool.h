// The per-engine pool of script objects: every array, byte string and wrapper a script makes is
// appended here, and a mark-and-sweep collection from the engine's roots frees the unreachable ones.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "games/script_value.h"

namespace zelvan {

class ZObjectPool {
public:
    // Capacity reserved for `objects` at creation (a reservation, not a limit).
    static constexpr size_t kInitialCapacity = 5000;

    ZObjectPool();
    ~ZObjectPool();
    ZObjectPool(const ZObjectPool&) = delete;
    ZObjectPool& operator=(const ZObjectPool&) = delete;

    // New objects, appended to the pool and owned by it until collected or disposed.
    ZArray* newArray();
    ZArray* newArray(std::vector<ScriptValue> elements);
    ZData* newData();
    ZData* newData(fnd::Bytes bytes);
    // A wrapper of the null value; callers then put their own value into `object`.
    ZNSObject* newNSObject();
    ZNSObject* newNSObject(fnd::Value object);

    // Collection: marks everything reachable from the references among `roots`, deletes the rest,
    // keeps the survivors in their order and clears their marks.
    void freePool(std::span<const ScriptValue> roots);
    // Marks `object` and everything reachable from it through arrays. Uses an explicit work list, so
    // deep and cyclic arrays cannot overflow the stack. The null singleton is never written.
    void mark(ZObject* object);
    // Sweep test: a marked object has its mark cleared and stays (false); an unmarked one is deleted
    // (true) and must be dropped from `objects`.
    static bool removePredicate(ZObject* object);
    // Deletes one object through its virtual destructor; null is ignored.
    static void deleteObject(ZObject* object);
    // Deletes every object of the pool.
    void dispose();

    size_t size() const { return objects_.size(); }
    // Every live object, in allocation order.
    const std::vector<ZObject*>& objects() const { return objects_; }

private:
    template <class T>
    T* adopt(std::unique_ptr<T> object) {
        objects_.push_back(object.get());
        return object.release();
    }

    std::vector<ZObject*> objects_;
    std::vector<ZObject*> workList_;
};

} // namespace zelvan
