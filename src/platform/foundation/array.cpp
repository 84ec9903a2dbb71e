// fnd::Array: bounds-checked element access, search by equality and identity, slicing.
#include "platform/foundation/array.h"

#include <algorithm>

namespace fnd {
namespace {

const Value kNull;

} // namespace

const Value& Array::objectAtIndex(size_t index) const {
    return index < items_.size() ? items_[index] : kNull;
}

bool Array::insertObject(Value v, size_t index) {
    if (index > items_.size()) {
        return false;
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(v));
    return true;
}

bool Array::replaceObjectAtIndex(size_t index, Value v) {
    if (index >= items_.size()) {
        return false;
    }
    items_[index] = std::move(v);
    return true;
}

bool Array::removeObjectAtIndex(size_t index) {
    if (index >= items_.size()) {
        return false;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

void Array::removeObject(const Value& v) {
    // `v` may be one of our own elements, which the removal moves over; compare against a copy.
    const Value target = v;
    std::erase_if(items_, [&](const Value& item) { return item == target; });
}

size_t Array::indexOfObject(const Value& v) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == v) {
            return i;
        }
    }
    return kNotFound;
}

size_t Array::indexOfObjectIdenticalTo(const Value& v) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (Value::identical(items_[i], v)) {
            return i;
        }
    }
    return kNotFound;
}

std::shared_ptr<Array> Array::subarray(Range range) const {
    size_t from = std::min(range.location, items_.size());
    size_t length = std::min(range.length, items_.size() - from);
    auto first = items_.begin() + static_cast<std::ptrdiff_t>(from);
    return std::make_shared<Array>(std::vector<Value>(first, first + static_cast<std::ptrdiff_t>(length)));
}

void Array::reverse() {
    std::reverse(items_.begin(), items_.end());
}

} // namespace fnd
