// The bytes of a script byte string: a buffer of fixed length taken from a memory resource (the object
// pool's arena while the string is young, the heap once it survived a collection). The length is set
// when the bytes are made; the bytes themselves may be overwritten in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory_resource>
#include <span>

namespace zelvan {

class ZBytes {
public:
    using value_type = uint8_t;
    using iterator = uint8_t*;
    using const_iterator = const uint8_t*;

    // `head` followed by `tail`, each copied once.
    ZBytes(std::pmr::memory_resource* storage, std::span<const uint8_t> head, std::span<const uint8_t> tail = {})
        : storage_(storage) {
        allocate(head.size() + tail.size());
        copyIn(0, head);
        copyIn(head.size(), tail);
    }
    // `length` zero bytes.
    ZBytes(std::pmr::memory_resource* storage, size_t length) : storage_(storage) {
        allocate(length);
        if (length > 0) {
            std::memset(data_, 0, length);
        }
    }
    ~ZBytes() { free(); }
    ZBytes(const ZBytes&) = delete;
    ZBytes& operator=(const ZBytes&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    uint8_t* begin() { return data_; }
    uint8_t* end() { return data_ + size_; }
    const uint8_t* begin() const { return data_; }
    const uint8_t* end() const { return data_ + size_; }
    std::reverse_iterator<const uint8_t*> rbegin() const { return std::reverse_iterator<const uint8_t*>(end()); }
    std::reverse_iterator<const uint8_t*> rend() const { return std::reverse_iterator<const uint8_t*>(begin()); }
    uint8_t& operator[](size_t i) { return data_[i]; }
    uint8_t operator[](size_t i) const { return data_[i]; }
    uint8_t front() const { return data_[0]; }

    std::pmr::memory_resource* storage() const { return storage_; }
    // Copies the bytes into a buffer of `storage` and gives the old buffer back to its resource.
    void moveTo(std::pmr::memory_resource* storage) {
        if (storage == storage_ || data_ == nullptr) {
            storage_ = storage;
            return;
        }
        auto* moved = static_cast<uint8_t*>(storage->allocate(size_, 1));
        std::memcpy(moved, data_, size_);
        storage_->deallocate(data_, size_, 1);
        data_ = moved;
        storage_ = storage;
    }

    friend bool operator==(const ZBytes& a, const ZBytes& b) {
        return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data_, b.data_, a.size_) == 0);
    }

private:
    void allocate(size_t length) {
        size_ = length;
        data_ = length == 0 ? nullptr : static_cast<uint8_t*>(storage_->allocate(length, 1));
    }
    void copyIn(size_t at, std::span<const uint8_t> part) {
        if (!part.empty()) {
            std::memcpy(data_ + at, part.data(), part.size());
        }
    }
    void free() {
        if (data_ != nullptr) {
            storage_->deallocate(data_, size_, 1);
        }
    }

    std::pmr::memory_resource* storage_;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace zelvan
