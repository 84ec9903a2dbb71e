// fnd::Dictionary and its Key: an insertion-ordered entry list with a hash index over it.
#include "platform/foundation/dictionary.h"

namespace fnd {
namespace {

const Value kNull;

} // namespace

int64_t Key::intKey() const {
    const int64_t* i = std::get_if<int64_t>(&v_);
    return i != nullptr ? *i : 0;
}

const std::string& Key::stringKey() const {
    static const std::string empty;
    const std::string* s = std::get_if<std::string>(&v_);
    return s != nullptr ? *s : empty;
}

Value Key::toValue() const {
    return isInt() ? Value(intKey()) : Value(stringKey());
}

std::string Key::text() const {
    return isInt() ? std::to_string(intKey()) : stringKey();
}

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
    for (const auto& [key, value] : entries) {
        setObject(value, key);
    }
}

const Value& Dictionary::objectForKey(const Key& key) const {
    const Value* v = find(key);
    return v != nullptr ? *v : kNull;
}

const Value* Dictionary::find(const Key& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void Dictionary::setObject(Value v, const Key& key) {
    auto it = index_.find(key);
    if (it != index_.end()) {
        entries_[it->second].second = std::move(v);
        return;
    }
    index_.emplace(key, entries_.size());
    entries_.emplace_back(key, std::move(v));
}

bool Dictionary::removeObjectForKey(const Key& key) {
    auto it = index_.find(key);
    if (it == index_.end()) {
        return false;
    }
    size_t position = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    for (size_t i = position; i < entries_.size(); ++i) {
        index_[entries_[i].first] = i;
    }
    return true;
}

void Dictionary::removeAllObjects() {
    entries_.clear();
    index_.clear();
}

std::vector<Key> Dictionary::allKeys() const {
    std::vector<Key> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) {
        keys.push_back(entry.first);
    }
    return keys;
}

std::vector<Value> Dictionary::allValues() const {
    std::vector<Value> values;
    values.reserve(entries_.size());
    for (const auto& entry : entries_) {
        values.push_back(entry.second);
    }
    return values;
}

} // namespace fnd
