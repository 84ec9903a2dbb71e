// fnd::Dictionary and its Key: an insertion-ordered entry list, with a hash index over it once it
// grows past a handful of entries.
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

Dictionary::Dictionary(std::vector<Entry> entries) : entries_(std::move(entries)) {
    if (entries_.size() > kIndexThreshold) {
        mergeRepeatedKeys();
        return;
    }
    for (size_t i = 1; i < entries_.size(); ++i) {
        if (!(entries_[i - 1].first < entries_[i].first)) {
            mergeRepeatedKeys();
            return;
        }
    }
}

// Gives entries_ the result of setting its entries one by one: a later entry whose key came before hands
// its value to the first one and goes. Large dictionaries find earlier keys through the index, which is
// built on the way; small ones scan the entries kept so far.
void Dictionary::mergeRepeatedKeys() {
    const bool indexed = entries_.size() > kIndexThreshold;
    index_.reset();
    if (indexed) {
        index().reserve(entries_.size());
    }
    size_t kept = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        size_t at = kAbsent;
        if (indexed) {
            auto [slot, added] = index_->try_emplace(entries_[i].first, kept);
            at = added ? kAbsent : slot->second;
        } else {
            for (size_t j = 0; j < kept; ++j) {
                if (entries_[j].first == entries_[i].first) {
                    at = j;
                    break;
                }
            }
        }
        if (at != kAbsent) {
            entries_[at].second = std::move(entries_[i].second);
            continue;
        }
        if (kept != i) {
            entries_[kept] = std::move(entries_[i]);
        }
        ++kept;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(kept), entries_.end());
    if (entries_.size() <= kIndexThreshold) {
        index_.reset();
    }
}

const Value& Dictionary::objectForKey(const Key& key) const {
    const Value* v = find(key);
    return v != nullptr ? *v : kNull;
}

size_t Dictionary::position(const Key& key) const {
    if (!indexed()) {
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].first == key) {
                return i;
            }
        }
        return kAbsent;
    }
    auto it = index_->find(key);
    return it == index_->end() ? kAbsent : it->second;
}

void Dictionary::rebuildIndex() {
    if (index_) {
        index_->clear();
    }
    if (entries_.size() <= kIndexThreshold) {
        return;
    }
    auto& byKey = index();
    byKey.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        byKey.emplace(entries_[i].first, i);
    }
}

const Value* Dictionary::find(const Key& key) const {
    size_t at = position(key);
    return at == kAbsent ? nullptr : &entries_[at].second;
}

void Dictionary::reserve(size_t n) {
    entries_.reserve(n);
    if (n > kIndexThreshold) {
        index().reserve(n);
    }
}

void Dictionary::setObject(Value v, const Key& key) {
    setObject(std::move(v), Key(key));
}

void Dictionary::setObject(Value v, Key&& key) {
    size_t at = position(key);
    if (at != kAbsent) {
        entries_[at].second = std::move(v);
        return;
    }
    entries_.emplace_back(std::move(key), std::move(v));
    if (indexed()) {
        index_->emplace(entries_.back().first, entries_.size() - 1);
    } else if (entries_.size() > kIndexThreshold) {
        rebuildIndex();
    }
}

bool Dictionary::removeObjectForKey(const Key& key) {
    size_t at = position(key);
    if (at == kAbsent) {
        return false;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
    rebuildIndex();
    return true;
}

void Dictionary::removeAllObjects() {
    entries_.clear();
    if (index_) {
        index_->clear();
    }
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
