// Data slices: a data value's buffer pointer that points at a Bytes kept empty until someone asks for it
// as Bytes, with the part it stands for and the owner of that part held beside it.
#include "platform/foundation/data_slice.h"

#include <mutex>

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

// The deleter of a slice's buffer pointer. Its type is what marks the pointer as a slice's
// (std::get_deleter), and it carries the slice's state.
struct SliceDeleter {
    SliceState* state;
    void operator()(const Bytes* /*copy*/) const { delete state; }
};

SliceState* sliceOf(const std::shared_ptr<const Bytes>& buffer) {
    const SliceDeleter* deleter = std::get_deleter<SliceDeleter>(buffer);
    return deleter != nullptr ? deleter->state : nullptr;
}

} // namespace

Value dataSlice(std::shared_ptr<const void> owner, std::span<const uint8_t> part) {
    auto* state = new SliceState{std::move(owner), part, {}, {}};
    // Should the control block fail to allocate, shared_ptr calls the deleter, which frees the state.
    return Value(std::shared_ptr<const Bytes>(&state->copy, SliceDeleter{state}));
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
