// The int collections' lookups, with the out-of-range and missing-key answers their header documents.
#include "core/int_collections.h"

#include <algorithm>
#include <utility>

namespace zelvan {

int32_t ZIntArray::valueAtIndex(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= values_.size()) {
        return kIntNotFound;
    }
    return values_[static_cast<size_t>(index)];
}

bool ZIntArray::containsValue(int32_t value) const {
    return std::find(values_.begin(), values_.end(), value) != values_.end();
}

int32_t ZIntArray::removeValueAtIndex(int index) {
    if (index < 0 || static_cast<size_t>(index) >= values_.size()) {
        return kIntNotFound;
    }
    auto it = values_.begin() + index;
    int32_t removed = *it;
    values_.erase(it);
    return removed;
}

int32_t ZIntMap::valueForKey(int32_t key) const {
    auto it = values_.find(key);
    return it == values_.end() ? kIntNotFound : it->second;
}

void ZIntNSObjectMap::setObject(fnd::Value object, int32_t key) {
    if (object.isNull()) {
        objects_.erase(key);
        return;
    }
    objects_.insert_or_assign(key, std::move(object));
}

fnd::Value ZIntNSObjectMap::objectForKey(int32_t key) const {
    auto it = objects_.find(key);
    return it == objects_.end() ? fnd::Value() : it->second;
}

int32_t ZIntNSObjectMap::intForKey(int32_t key) const {
    auto it = objects_.find(key);
    return it == objects_.end() ? 0 : it->second.intValue();
}

} // namespace zelvan
