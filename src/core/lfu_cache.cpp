// The LFU cache's bookkeeping: a hash map for the values and an ordered set of (uses, last use, key)
// ranks whose first element is the eviction victim.
#include "core/lfu_cache.h"

#include <utility>

namespace zelvan {

ZLFUCache::ZLFUCache(int capacity) : capacity_(capacity > 0 ? static_cast<size_t>(capacity) : 0) {}

void ZLFUCache::touch(int32_t key, Entry& entry) {
    order_.erase(Rank{entry.uses, entry.lastUse, key});
    ++entry.uses;
    entry.lastUse = ++tick_;
    order_.insert(Rank{entry.uses, entry.lastUse, key});
}

fnd::Value ZLFUCache::find(int32_t key) {
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        return fnd::Value();
    }
    touch(key, it->second);
    return it->second.value;
}

void ZLFUCache::put(fnd::Value object, int32_t key) {
    if (object.isNull()) {
        remove(key);
        return;
    }
    if (auto it = entries_.find(key); it != entries_.end()) {
        it->second.value = std::move(object);
        touch(key, it->second);
        return;
    }
    if (capacity_ == 0) {
        return;
    }
    if (entries_.size() >= capacity_) {
        auto victim = order_.begin();
        entries_.erase(std::get<2>(*victim));
        order_.erase(victim);
    }
    Entry& entry = entries_[key];
    entry.value = std::move(object);
    touch(key, entry);
}

void ZLFUCache::remove(int32_t key) {
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        return;
    }
    order_.erase(Rank{it->second.uses, it->second.lastUse, key});
    entries_.erase(it);
}

void ZLFUCache::removeAllObjects() {
    entries_.clear();
    order_.clear();
}

} // namespace zelvan
