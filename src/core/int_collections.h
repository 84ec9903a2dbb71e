// Small collections keyed by or holding 32-bit integers: a list, a map to integers, a map to values
// and a set. None of them locks; an owner that shares one between threads guards it with its own lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/foundation/value.h"

namespace zelvan {

// The integer the int collections and the array helpers give for "no such entry".
inline constexpr int32_t kIntNotFound = std::numeric_limits<int32_t>::max();

// An ordered list of integers.
class ZIntArray {
public:
    size_t count() const { return values_.size(); }
    // The value at `index`, or kIntNotFound when the index is negative or not below the count.
    int32_t valueAtIndex(int index) const;
    void addValue(int32_t value) { values_.push_back(value); }
    bool containsValue(int32_t value) const;
    // Removes and returns the value at `index`; out of range returns kIntNotFound and changes nothing.
    int32_t removeValueAtIndex(int index);

private:
    std::vector<int32_t> values_;
};

// Integer keys to integer values.
class ZIntMap {
public:
    // Inserts the pair, or replaces the value of an existing key.
    void setIntValue(int32_t value, int32_t key) { values_[key] = value; }
    // The value stored under `key`, or kIntNotFound when the key is absent.
    int32_t valueForKey(int32_t key) const;
    bool containsKey(int32_t key) const { return values_.contains(key); }
    size_t count() const { return values_.size(); }

private:
    std::unordered_map<int32_t, int32_t> values_;
};

// Integer keys to values (numbers, strings, or objects such as cards, views and images), which the
// map holds strongly until they are removed or replaced.
class ZIntNSObjectMap {
public:
    // Stores `object` under `key`, replacing what was there. Storing a null value removes the key,
    // so a key is present exactly when objectForKey gives a non-null value.
    void setObject(fnd::Value object, int32_t key);
    // The stored value, or a null value when the key is absent.
    fnd::Value objectForKey(int32_t key) const;
    void removeObjectForKey(int32_t key) { objects_.erase(key); }
    // The stored value's integer value (fnd::Value::intValue), or 0 when the key is absent.
    int32_t intForKey(int32_t key) const;

private:
    std::unordered_map<int32_t, fnd::Value> objects_;
};

// A set of integers.
class ZIntSet {
public:
    // Adds the value; adding one already present changes nothing.
    void addValue(int32_t value) { values_.insert(value); }
    void removeValue(int32_t value) { values_.erase(value); }
    bool containsValue(int32_t value) const { return values_.contains(value); }

private:
    std::unordered_set<int32_t> values_;
};

} // namespace zelvan
