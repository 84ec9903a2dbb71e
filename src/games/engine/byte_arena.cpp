// Bump allocation of script byte strings in pool-owned blocks. Under AddressSanitizer the bytes not
// handed out are poisoned, so a stale pointer into a reset arena is caught in tests and fuzzing.
#include "games/engine/byte_arena.h"

#include <sanitizer/asan_interface.h>

namespace zelvan {
namespace {

size_t padding(const uint8_t* at, size_t alignment) {
    return static_cast<size_t>(-reinterpret_cast<uintptr_t>(at)) & (alignment - 1);
}

} // namespace

void* ZByteArena::do_allocate(size_t bytes, size_t alignment) {
    if (next_ != nullptr) [[likely]] {
        size_t pad = padding(next_, alignment);
        size_t room = static_cast<size_t>(end_ - next_);
        if (pad <= room && bytes <= room - pad) [[likely]] {
            uint8_t* p = next_ + pad;
            next_ = p + bytes;
            ASAN_UNPOISON_MEMORY_REGION(p, bytes);
            return p;
        }
    }
    return allocateSlow(bytes, alignment);
}

void* ZByteArena::allocateSlow(size_t bytes, size_t alignment) {
    if (bytes > kLargeRequest || alignment > alignof(std::max_align_t)) {
        // Room for the alignment too, for the rare caller that asks for more than new gives.
        size_t size = bytes + (alignment > alignof(std::max_align_t) ? alignment : 0);
        Block block{std::make_unique_for_overwrite<uint8_t[]>(size), size};
        uint8_t* p = block.bytes.get() + padding(block.bytes.get(), alignment);
        large_.push_back(std::move(block));
        return p;
    }
    size_t index = next_ == nullptr ? 0 : current_ + 1;
    if (index == blocks_.size()) {
        blocks_.push_back(Block{std::make_unique_for_overwrite<uint8_t[]>(kBlockSize), kBlockSize});
        ASAN_POISON_MEMORY_REGION(blocks_.back().bytes.get(), kBlockSize);
    }
    current_ = index;
    next_ = blocks_[index].bytes.get();
    end_ = next_ + blocks_[index].size;
    // A fresh block has room for any request up to kLargeRequest at the alignments new gives.
    uint8_t* p = next_ + padding(next_, alignment);
    next_ = p + bytes;
    ASAN_UNPOISON_MEMORY_REGION(p, bytes);
    return p;
}

void ZByteArena::do_deallocate(void* p, size_t bytes, size_t /*alignment*/) {
    auto* at = static_cast<uint8_t*>(p);
    if (next_ != nullptr && at + bytes == next_ && at >= blocks_[current_].bytes.get()) {
        next_ = at;
        ASAN_POISON_MEMORY_REGION(at, bytes);
    }
}

void ZByteArena::reset() {
    large_.clear();
    if (next_ == nullptr) {
        return;
    }
    // The blocks this round needed are what the next one will likely need too; the rest go.
    for (size_t i = 0; i < blocks_.size(); ++i) {
        if (i <= current_) {
            ASAN_POISON_MEMORY_REGION(blocks_[i].bytes.get(), blocks_[i].size);
        } else {
            ASAN_UNPOISON_MEMORY_REGION(blocks_[i].bytes.get(), blocks_[i].size);
        }
    }
    blocks_.resize(current_ + 1);
    current_ = 0;
    next_ = blocks_.front().bytes.get();
    end_ = next_ + blocks_.front().size;
}

void ZByteArena::release() {
    large_.clear();
    for (const Block& block : blocks_) {
        ASAN_UNPOISON_MEMORY_REGION(block.bytes.get(), block.size);
    }
    blocks_.clear();
    current_ = 0;
    next_ = nullptr;
    end_ = nullptr;
}

size_t ZByteArena::heldBytes() const {
    size_t held = 0;
    for (const Block& block : blocks_) {
        held += block.size;
    }
    for (const Block& block : large_) {
        held += block.size;
    }
    return held;
}

} // namespace zelvan
