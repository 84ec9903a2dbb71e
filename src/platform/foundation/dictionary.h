// fnd::Dictionary: the shared, mutable map held by dictionary Values. Keys are 64-bit integers or
// strings (1 and "1" are different keys); iteration follows insertion order; lookups scan small
// dictionaries and hash large ones.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/value.h"

namespace fnd {

class Key {
public:
    Key(const char* s) : v_(std::string(s != nullptr ? s : "")) {}
    Key(std::string s) : v_(std::move(s)) {}
    Key(std::string_view s) : v_(std::string(s)) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) Key(T i) : v_(static_cast<int64_t>(i)) {}

    bool isInt() const { return v_.index() == 0; }
    bool isString() const { return v_.index() == 1; }
    // The integer key (0 for a string key) / the string key (empty for an integer key).
    int64_t intKey() const;
    const std::string& stringKey() const;

    // The key as a Value (Int or String).
    Value toValue() const;
    // Integer keys as decimal text, string keys as they are.
    std::string text() const;

    bool operator==(const Key& other) const {
        if (v_.index() != other.v_.index()) {
            return false;
        }
        const int64_t* a = std::get_if<int64_t>(&v_);
        return a != nullptr ? *a == *std::get_if<int64_t>(&other.v_)
                            : *std::get_if<std::string>(&v_) == *std::get_if<std::string>(&other.v_);
    }
    // Integer keys before string keys; integers by value, strings byte by byte.
    bool operator<(const Key& other) const {
        const int64_t* a = std::get_if<int64_t>(&v_);
        const int64_t* b = std::get_if<int64_t>(&other.v_);
        if (a != nullptr || b != nullptr) {
            return a != nullptr && (b == nullptr || *a < *b);
        }
        return *std::get_if<std::string>(&v_) < *std::get_if<std::string>(&other.v_);
    }
    size_t hash() const { return std::hash<std::variant<int64_t, std::string>>{}(v_); }

private:
    std::variant<int64_t, std::string> v_;
};

struct KeyHash {
    size_t operator()(const Key& k) const { return k.hash(); }
};

class Dictionary {
public:
    using Entry = std::pair<Key, Value>;

    Dictionary() = default;
    Dictionary(std::initializer_list<Entry> entries);
    // Takes `entries` in their order with the result of setting them one by one: a repeated key keeps its
    // first place and takes the later value. Decoders build the entries and move them in, so no entry is
    // searched for on the way; keys in ascending order (integers first, then strings) are distinct as they
    // stand, other orders are checked once.
    explicit Dictionary(std::vector<Entry> entries);

    static std::shared_ptr<Dictionary> make(std::initializer_list<Entry> entries = {}) {
        return std::make_shared<Dictionary>(entries);
    }

    size_t count() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // The value for `key`, or a Null value when absent.
    const Value& objectForKey(const Key& key) const;
    // The value for `key`, or nullptr when absent (tells a stored Null from a missing key).
    const Value* find(const Key& key) const;
    bool containsKey(const Key& key) const { return find(key) != nullptr; }

    // Makes room for `n` entries (decoders know the count up front).
    void reserve(size_t n);

    // Sets the value; an existing key keeps its position, a new key goes last.
    void setObject(Value v, const Key& key);
    void setObject(Value v, Key&& key);
    // Removes the key; false when it was absent.
    bool removeObjectForKey(const Key& key);
    void removeAllObjects();

    // Keys in insertion order.
    std::vector<Key> allKeys() const;
    std::vector<Value> allValues() const;

    const std::vector<Entry>& entries() const { return entries_; }
    std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    std::vector<Entry>::const_iterator end() const { return entries_.end(); }

private:
    // Small dictionaries (most packets and records) are scanned linearly; the hash index exists only
    // while there are more than this many entries.
    static constexpr size_t kIndexThreshold = 8;
    static constexpr size_t kAbsent = static_cast<size_t>(-1);

    size_t position(const Key& key) const;
    void rebuildIndex();
    void mergeRepeatedKeys();

    // Whether the hash index is in use (it is, exactly while there are more than kIndexThreshold entries).
    bool indexed() const { return index_.has_value() && !index_->empty(); }
    // The index, made on first use: most dictionaries never have one, and do not build or tear down an
    // empty hash table.
    std::unordered_map<Key, size_t, KeyHash>& index() { return index_ ? *index_ : index_.emplace(); }

    std::vector<Entry> entries_;
    std::optional<std::unordered_map<Key, size_t, KeyHash>> index_;
};

} // namespace fnd
