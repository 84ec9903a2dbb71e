// Helpers over the platform's arrays, dictionaries and strings that product code uses to read
// packets and records: integer reads with fixed answers for missing entries, nil-aware lookups.
#pragma once

#include <cstdint>

#include "platform/foundation/value.h"

namespace zelvan {

// The integer value of the element at `index` (fnd::Value::intValue: a number's value truncated
// toward zero, a string's leading integer, a bool's 0 or 1, 0 for null, containers and objects);
// 2147483647 when the index is negative or not below the count.
int32_t intValue(const fnd::Array& array, int index);

// The element at `index`, or a null value when the index is outside the array (or the element is
// itself null).
fnd::Value nilableObjectAtIndex(const fnd::Array& array, int index);

// Whether the array has no element.
bool isEmpty(const fnd::Array& array);

// Appends `value` as an integer number.
void addInt(fnd::Array& array, int32_t value);

// The value stored under the integer key `key` (not its decimal text), or a null value when absent.
fnd::Value objectForInt(const fnd::Dictionary& dict, int32_t key);

// Whether some value (a null one included) is stored under `key`.
bool containsKey(const fnd::Dictionary& dict, const fnd::Key& key);

// The integer value of the value under `key`, or 0 when the key is absent.
int32_t intForKey(const fnd::Dictionary& dict, const fnd::Key& key);

// Stores `value` under `key` as an integer number.
void setInt(fnd::Dictionary& dict, int32_t value, const fnd::Key& key);

// Whether `other` occurs in `receiver`. False unless both are strings (a null receiver or argument
// answers false), and false for an empty `other`, as a substring search reports no range for it.
bool contains(const fnd::Value& receiver, const fnd::Value& other);

} // namespace zelvan
