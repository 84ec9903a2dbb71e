// Fixed-size slots for byte-string objects (ZData), carved from chunks the object pool owns, so that
// making a string's header costs no malloc either. A slot knows its chunk, so an object gives its slot
// back from its own operator delete; chunks left empty by a collection are freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelvan {

class ZDataSlots {
public:
    // Bytes and alignment of the largest object a slot holds, and slots per chunk.
    static constexpr size_t kObjectBytes = 40;
    static constexpr size_t kObjectAlignment = 8;
    static constexpr size_t kSlotsPerChunk = 1024;

    ZDataSlots() = default;
    ~ZDataSlots();
    ZDataSlots(const ZDataSlots&) = delete;
    ZDataSlots& operator=(const ZDataSlots&) = delete;

    // Room for one object of `size` bytes (at most kObjectBytes).
    void* allocate(size_t size);
    // Gives back the slot of an object made by allocate() of any ZDataSlots.
    static void release(void* object);
    // Frees chunks with no object in them, keeping as many chunks as the most objects held at once
    // since the last trim needed (at least one).
    void trim();

    size_t liveCount() const { return live_; }
    size_t chunkCount() const { return chunks_.size(); }

private:
    struct Chunk;
    struct Slot {
        // The chunk's address, with bit 0 set while the slot is free.
        uintptr_t chunk;
        // The object; while the slot is free, its first bytes hold the next free slot.
        alignas(kObjectAlignment) unsigned char object[kObjectBytes];
    };
    struct Chunk {
        ZDataSlots* owner = nullptr;
        size_t live = 0;
        Slot slots[kSlotsPerChunk];
    };

    static Slot* slotOf(void* object);
    static Slot* nextOf(const Slot* slot);
    void push(Slot* slot);
    void addChunk();

    std::vector<std::unique_ptr<Chunk>> chunks_;
    Slot* free_ = nullptr;
    size_t live_ = 0;
    size_t peak_ = 0;
};

} // namespace zelvan
