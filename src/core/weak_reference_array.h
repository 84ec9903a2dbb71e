// ZWeakReferenceArray: an ordered list of listeners that does not keep them alive. An object that
// has gone since it was added is dropped from the list the next time the list is read or changed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/foundation/object.h"

namespace zelvan {

// Holds std::weak_ptr<T> entries in the order they were added. Every operation first prunes the
// entries whose objects have been destroyed, so `count()` is the number of live objects and
// `objectAtIndex(i)` indexes the live objects in order (an index taken before an object died may
// therefore shift down). An object added twice is held twice; `removeObject` drops every entry of
// it. Not locked: owners that share it between threads guard it with their own lock.
template <class T = fnd::Object>
class ZWeakReferenceArray {
public:
    // Appends `object` (a null pointer is ignored).
    void addObject(const std::shared_ptr<T>& object) {
        prune();
        if (object) {
            entries_.push_back(object);
        }
    }

    // Removes every entry of `object`.
    void removeObject(const std::shared_ptr<T>& object) {
        prune();
        std::erase_if(entries_, [&](const std::weak_ptr<T>& entry) { return entry.lock() == object; });
    }

    bool containsObject(const std::shared_ptr<T>& object) {
        prune();
        return object && std::any_of(entries_.begin(), entries_.end(),
                                     [&](const std::weak_ptr<T>& entry) { return entry.lock() == object; });
    }

    // The live object at `index`, or null when the index is negative or not below the count (or the
    // object is destroyed on another thread meanwhile).
    std::shared_ptr<T> objectAtIndex(int index) {
        prune();
        if (index < 0 || static_cast<size_t>(index) >= entries_.size()) {
            return nullptr;
        }
        return entries_[static_cast<size_t>(index)].lock();
    }

    // The number of live objects.
    size_t count() {
        prune();
        return entries_.size();
    }

private:
    void prune() {
        std::erase_if(entries_, [](const std::weak_ptr<T>& entry) { return entry.expired(); });
    }

    std::vector<std::weak_ptr<T>> entries_;
};

} // namespace zelvan
