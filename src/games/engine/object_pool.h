// The per-engine pool of script objects: every array, byte string and wrapper a script makes is
// appended here, and a mark-and-sweep collection from the engine's roots frees the unreachable ones.
// Byte strings keep their bytes in the pool's arena until they survive a collection. The pool also
// keeps a running total of the memory its objects hold, so a run can be stopped early.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "games/engine/byte_arena.h"
#include "games/engine/script_value.h"

namespace zelvan {

class ZObjectPool {
public:
    // Capacity reserved for `objects` at creation (a reservation, not a limit).
    static constexpr size_t kInitialCapacity = 5000;
    // Limit on liveBytes(): a run that takes the pool past it is ended by the interpreter.
    static constexpr size_t kMaxLiveBytes = size_t{256} * 1024 * 1024;

    ZObjectPool();
    ~ZObjectPool();
    ZObjectPool(const ZObjectPool&) = delete;
    ZObjectPool& operator=(const ZObjectPool&) = delete;

    // New objects, appended to the pool and owned by it until collected or disposed.
    ZArray* newArray();
    ZArray* newArray(std::vector<ScriptValue> elements);
    // Byte strings: empty, a copy of `bytes`, `head` followed by `tail` (written once, in place), or
    // `length` zero bytes.
    ZData* newData();
    ZData* newData(std::span<const uint8_t> bytes);
    ZData* newData(std::span<const uint8_t> head, std::span<const uint8_t> tail);
    ZData* newData(size_t length);
    // A wrapper of the null value; callers then put their own value into `object`.
    ZNSObject* newNSObject();
    ZNSObject* newNSObject(fnd::Value object);

    // Collection: marks everything reachable from the references among `roots`, deletes the rest,
    // keeps the survivors in their order and clears their marks. The surviving byte strings' bytes
    // move out of the arena, which then starts over.
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

    // Estimated bytes held by the pool's objects (their headers, element words and data bytes),
    // counted when objects are made or grown and recounted from the survivors by each collection.
    size_t liveBytes() const { return liveBytes_; }
    bool overLimit() const { return liveBytes_ > kMaxLiveBytes; }
    // Records `bytes` more held by existing objects (or by storage that lives as long as they do);
    // whoever grows an object's elements or bytes in place calls this.
    void charge(size_t bytes) { liveBytes_ += bytes; }
    // The bytes one object holds, as liveBytes() counts them.
    static size_t footprint(const ZObject* object);

    size_t size() const { return objects_.size(); }
    const ZByteArena& arena() const { return arena_; }
    const ZDataSlots& dataSlots() const { return dataSlots_; }
    // Every live object, in allocation order.
    const std::vector<ZObject*>& objects() const { return objects_; }

private:
    template <class T>
    T* adopt(std::unique_ptr<T> object) {
        objects_.push_back(object.get());
        liveBytes_ += footprint(object.get());
        return object.release();
    }

    ZByteArena arena_;
    ZDataSlots dataSlots_;
    std::vector<ZObject*> objects_;
    std::vector<ZObject*> workList_;
    size_t liveBytes_ = 0;
};

} // namespace zelvan
