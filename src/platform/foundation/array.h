// fnd::Array: the shared, mutable, ordered list held by array Values. Indexes outside the array never
// cause undefined behaviour: reads give Null, writes and removals do nothing and report false.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/foundation/range.h"
#include "platform/foundation/value.h"

namespace fnd {

class Array {
public:
    Array() = default;
    Array(std::initializer_list<Value> items) : items_(items) {}
    explicit Array(std::vector<Value> items) : items_(std::move(items)) {}

    static std::shared_ptr<Array> make(std::initializer_list<Value> items = {}) {
        return std::make_shared<Array>(items);
    }

    size_t count() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    // The element at `index`, or a Null value when out of range.
    const Value& objectAtIndex(size_t index) const;

    void addObject(Value v) { items_.push_back(std::move(v)); }
    // Inserts before `index` (index == count appends). Returns false and does nothing past the end.
    bool insertObject(Value v, size_t index);
    // Replaces the element at `index`; false and no change when out of range.
    bool replaceObjectAtIndex(size_t index, Value v);
    // Removes the element at `index`; false and no change when out of range.
    bool removeObjectAtIndex(size_t index);
    void removeAllObjects() { items_.clear(); }
    // Removes every element equal (==) to `v`.
    void removeObject(const Value& v);

    // First index whose element is equal (==) / identical to `v`, or kNotFound.
    size_t indexOfObject(const Value& v) const;
    size_t indexOfObjectIdenticalTo(const Value& v) const;
    bool containsObject(const Value& v) const { return indexOfObject(v) != kNotFound; }

    // A new array with the elements of `range`, clipped to the array's bounds.
    std::shared_ptr<Array> subarray(Range range) const;
    // Reverses the elements in place.
    void reverse();

    const std::vector<Value>& items() const { return items_; }
    std::vector<Value>::const_iterator begin() const { return items_.begin(); }
    std::vector<Value>::const_iterator end() const { return items_.end(); }

private:
    std::vector<Value> items_;
};

} // namespace fnd
