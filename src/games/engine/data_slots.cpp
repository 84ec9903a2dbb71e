// Slot allocation for byte-string objects: a free list threaded through chunks of fixed-size slots.
// Under AddressSanitizer a free slot's object bytes are poisoned.
#include "games/engine/data_slots.h"

#include "games/engine/script_value.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace zelvan {

static_assert(sizeof(ZData) <= ZDataSlots::kObjectBytes && alignof(ZData) <= ZDataSlots::kObjectAlignment,
              "a byte-string object must fit a slot");

ZDataSlots::~ZDataSlots() {
    for (const std::unique_ptr<Chunk>& chunk : chunks_) {
        ASAN_UNPOISON_MEMORY_REGION(chunk.get(), sizeof(Chunk));
    }
}

ZDataSlots::Slot* ZDataSlots::slotOf(void* object) {
    return reinterpret_cast<Slot*>(static_cast<unsigned char*>(object) - offsetof(Slot, object));
}

ZDataSlots::Slot* ZDataSlots::nextOf(const Slot* slot) {
    Slot* next;
    ASAN_UNPOISON_MEMORY_REGION(slot->object, sizeof(next));
    std::memcpy(&next, slot->object, sizeof(next));
    ASAN_POISON_MEMORY_REGION(slot->object, sizeof(slot->object));
    return next;
}

void ZDataSlots::push(Slot* slot) {
    slot->chunk |= 1u;
    ASAN_UNPOISON_MEMORY_REGION(slot->object, sizeof(free_));
    std::memcpy(slot->object, &free_, sizeof(free_));
    ASAN_POISON_MEMORY_REGION(slot->object, sizeof(slot->object));
    free_ = slot;
}

void ZDataSlots::addChunk() {
    auto chunk = std::make_unique<Chunk>();
    chunk->owner = this;
    // Pushed from the back, so the slots are handed out in address order.
    for (size_t i = kSlotsPerChunk; i-- > 0;) {
        chunk->slots[i].chunk = reinterpret_cast<uintptr_t>(chunk.get());
        push(&chunk->slots[i]);
    }
    chunks_.push_back(std::move(chunk));
}

void* ZDataSlots::allocate(size_t size) {
    if (size > kObjectBytes) {
        throw std::bad_alloc();
    }
    if (free_ == nullptr) {
        addChunk();
    }
    Slot* slot = free_;
    free_ = nextOf(slot);
    slot->chunk &= ~uintptr_t{1};
    reinterpret_cast<Chunk*>(slot->chunk)->live++;
    peak_ = std::max(peak_, ++live_);
    ASAN_UNPOISON_MEMORY_REGION(slot->object, sizeof(slot->object));
    return slot->object;
}

void ZDataSlots::release(void* object) {
    if (object == nullptr) {
        return;
    }
    Slot* slot = slotOf(object);
    auto* chunk = reinterpret_cast<Chunk*>(slot->chunk);
    chunk->live--;
    chunk->owner->live_--;
    chunk->owner->push(slot);
}

void ZDataSlots::trim() {
    // The chunks the busiest moment since the last trim needed are likely needed again; empty ones
    // beyond that are freed (but one is always kept).
    size_t wanted = std::max<size_t>((peak_ + kSlotsPerChunk - 1) / kSlotsPerChunk, 1);
    peak_ = live_;
    if (chunks_.size() <= wanted) {
        return;
    }
    size_t excess = chunks_.size() - wanted;
    size_t freed = 0;
    std::erase_if(chunks_, [&](const std::unique_ptr<Chunk>& chunk) {
        if (chunk->live != 0 || freed == excess) {
            return false;
        }
        ++freed;
        ASAN_UNPOISON_MEMORY_REGION(chunk.get(), sizeof(Chunk));
        return true;
    });
    if (freed == 0) {
        return;
    }
    // Thread the free list anew through the slots left, in address order within each chunk.
    free_ = nullptr;
    for (auto chunk = chunks_.rbegin(); chunk != chunks_.rend(); ++chunk) {
        for (size_t i = kSlotsPerChunk; i-- > 0;) {
            if (((*chunk)->slots[i].chunk & 1u) != 0) {
                push(&(*chunk)->slots[i]);
            }
        }
    }
}

} // namespace zelvan
