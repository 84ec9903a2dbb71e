// Data slices: a data value's buffer pointer that points at a Bytes kept empty until someone asks for it
// as Bytes, with the part it stands for and the owner of that part held beside it.
#include "platform/foundation/data_slice.h"

#include <cstddef>
#include <mutex>
#include <new>

#include "platform/foundation/data_slice_detail.h"

namespace fnd {
namespace {

// What a slice shares between the copies of its value. `copy` is what asData() and dataRef() hand out;
// it stays empty until one of them is first called.
struct SliceState {
    std::shared_ptr<const void> owner;
    std::span<const uint8_t> part;
    std::once_flag copied;
    Bytes copy;
};

// A slice's state and the control block of its buffer pointer share one allocation: a decoded packet
// with a large byte string makes one slice, and a second allocation would be a good part of its cost.
struct SliceBlock {
    SliceState state;
    alignas(std::max_align_t) unsigned char control[64];
};

// The deleter of a slice's buffer pointer. Its type is what marks the pointer as a slice's
// (std::get_deleter), and it carries the slice's state. It ends the state only; the block's memory goes
// when the control block is done with it (ControlInBlock::deallocate).
struct SliceDeleter {
    SliceState* state;
    void operator()(const Bytes* /*copy*/) const { state->~SliceState(); }
};

// Places the control block inside the slice's block, and frees the block with it.
template <class T>
struct ControlInBlock {
    using value_type = T;

    explicit ControlInBlock(SliceBlock* block) : block(block) {}
    template <class U>
    ControlInBlock(const ControlInBlock<U>& other) : block(other.block) {}

    // shared_ptr asks for exactly one control block.
    T* allocate(size_t /*n*/) {
        static_assert(sizeof(T) <= sizeof(SliceBlock::control) && alignof(T) <= alignof(std::max_align_t));
        return reinterpret_cast<T*>(block->control);
    }
    void deallocate(T* /*control*/, size_t /*n*/) { ::operator delete(block); }

    template <class U>
    bool operator==(const ControlInBlock<U>& other) const {
        return block == other.block;
    }

    SliceBlock* block;
};

SliceState* sliceOf(const std::shared_ptr<const Bytes>& buffer) {
    const SliceDeleter* deleter = std::get_deleter<SliceDeleter>(buffer);
    return deleter != nullptr ? deleter->state : nullptr;
}

} // namespace

Value dataSlice(std::shared_ptr<const void> owner, std::span<const uint8_t> part) {
    auto* block = static_cast<SliceBlock*>(::operator new(sizeof(SliceBlock)));
    SliceState* state = new (&block->state) SliceState{std::move(owner), part, {}, {}};
    // Nothing below allocates: the control block goes into the block.
    return Value(std::shared_ptr<const Bytes>(&state->copy, SliceDeleter{state}, ControlInBlock<SliceBlock>(block)));
}

namespace slicedetail {

std::span<const uint8_t> bytesOf(const std::shared_ptr<const Bytes>& buffer) {
    if (const SliceState* slice = sliceOf(buffer)) {
        return slice->part;
    }
    return {buffer->data(), buffer->size()};
}

const Bytes* wholeBytes(const std::shared_ptr<const Bytes>& buffer) {
    if (SliceState* slice = sliceOf(buffer)) {
        std::call_once(slice->copied, [slice] { slice->copy.assign(slice->part.begin(), slice->part.end()); });
    }
    return buffer.get();
}

} // namespace slicedetail
} // namespace fnd
