// ZLFUCache: a fixed-capacity cache of values under integer keys that, when full, evicts the entry
// used least often, and among equally used entries the one whose last use is oldest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <tuple>
#include <unordered_map>

#include "platform/foundation/value.h"

namespace zelvan {

// A use is a `find` that hits or a `put`; a new entry starts with one use. The entry to evict is
// the one with the fewest uses, and among those the one whose last use came first. Every operation
// is O(log n). Not locked: owners that share it between threads guard it with their own lock.
class ZLFUCache {
public:
    // A capacity of zero or less makes a cache that keeps nothing.
    explicit ZLFUCache(int capacity);

    // The value under `key`, counting a use; a null value when absent.
    fnd::Value find(int32_t key);
    // Stores `object` under `key`. A present key gets the new value and one more use; a new key
    // evicts one entry when the cache is full. Putting a null value removes the key.
    void put(fnd::Value object, int32_t key);
    void remove(int32_t key);
    void removeAllObjects();

    // The number of entries held (at most the capacity).
    size_t count() const { return entries_.size(); }

private:
    // (uses, last-use tick, key): the smallest is the next to evict.
    using Rank = std::tuple<uint64_t, uint64_t, int32_t>;
    struct Entry {
        fnd::Value value;
        uint64_t uses = 0;
        uint64_t lastUse = 0;
    };

    void touch(int32_t key, Entry& entry);

    size_t capacity_;
    uint64_t tick_ = 0;
    std::unordered_map<int32_t, Entry> entries_;
    std::set<Rank> order_;
};

} // namespace zelvan
