// Shared by the fuzz targets that build packets from the fuzzer's bytes: a reader of bytes, numbers
// that are mostly small (so packets meet the objects under test) and now and then any value, and runs
// of raw bytes. Past the end it reads zeros.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/foundation/bytes.h"

namespace fuzzsupport {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return pos_ < size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A number from -`below` to `spread` - `below` - 1, always: callers may do arithmetic on it.
    int64_t number(int spread, int below) { return static_cast<int64_t>(byte() % spread) - below; }

    // Mostly the same as `number`, but after a leading byte of 0xf0 or more, the next eight bytes as a
    // 64-bit value (as a 32-bit one when `narrow` and the leading byte is not 0xff): any value at all,
    // for harnesses that hand numbers on unchanged to the code under test.
    int64_t numberOrAny(int spread, int below, bool narrow = false) {
        const uint8_t kind = byte();
        if (kind < 0xf0) {
            return static_cast<int64_t>(kind % spread) - below;
        }
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = bits << 8 | byte();
        }
        return narrow && kind != 0xff ? static_cast<int32_t>(bits) : static_cast<int64_t>(bits);
    }

    // A length byte times `unit`, then that many raw bytes (as many as are left).
    fnd::Bytes bytes(size_t unit) {
        // The length byte is read first: it moves the position the remainder is measured from.
        const size_t wanted = byte() * unit;
        const size_t length = std::min(wanted, size_ - pos_);
        fnd::Bytes out(data_ + pos_, data_ + pos_ + length);
        pos_ += length;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace fuzzsupport
