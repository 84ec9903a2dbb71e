// Array, dictionary and string helpers; every index and key is checked before it is used.
#include "core/category_helpers.h"

#include "core/int_collections.h"
#include "platform/foundation/string_ops.h"

namespace zelvan {

namespace {

bool inRange(const fnd::Array& array, int index) {
    return index >= 0 && static_cast<size_t>(index) < array.count();
}

} // namespace

int32_t intValue(const fnd::Array& array, int index) {
    if (!inRange(array, index)) {
        return kIntNotFound;
    }
    return array.objectAtIndex(static_cast<size_t>(index)).intValue();
}

fnd::Value nilableObjectAtIndex(const fnd::Array& array, int index) {
    if (!inRange(array, index)) {
        return fnd::Value();
    }
    return array.objectAtIndex(static_cast<size_t>(index));
}

bool isEmpty(const fnd::Array& array) {
    return array.empty();
}

void addInt(fnd::Array& array, int32_t value) {
    array.addObject(fnd::Value(value));
}

fnd::Value objectForInt(const fnd::Dictionary& dict, int32_t key) {
    return dict.objectForKey(fnd::Key(key));
}

bool containsKey(const fnd::Dictionary& dict, const fnd::Key& key) {
    return dict.containsKey(key);
}

int32_t intForKey(const fnd::Dictionary& dict, const fnd::Key& key) {
    const fnd::Value* value = dict.find(key);
    return value == nullptr ? 0 : value->intValue();
}

void setInt(fnd::Dictionary& dict, int32_t value, const fnd::Key& key) {
    dict.setObject(fnd::Value(value), key);
}

bool contains(const fnd::Value& receiver, const fnd::Value& other) {
    const std::string* haystack = receiver.asString();
    const std::string* needle = other.asString();
    return haystack != nullptr && needle != nullptr && fnd::contains(*haystack, *needle);
}

} // namespace zelvan
