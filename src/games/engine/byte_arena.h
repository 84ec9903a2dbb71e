// The storage of the byte strings a script run makes: bump allocation in blocks that the object pool
// owns, so building a string costs no malloc. Everything is given back at once when the pool collects
// (the survivors' bytes move out first); the blocks the last run needed stay for the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace zelvan {

class ZByteArena final : public std::pmr::memory_resource {
public:
    // Size of one block. A request above kLargeRequest gets its own allocation, given back at reset.
    static constexpr size_t kBlockSize = size_t{256} * 1024;
    static constexpr size_t kLargeRequest = kBlockSize / 4;

    ZByteArena() = default;
    ~ZByteArena() override { release(); }
    ZByteArena(const ZByteArena&) = delete;
    ZByteArena& operator=(const ZByteArena&) = delete;

    // Gives back everything allocated since the last reset; nothing allocated before may be used
    // afterwards. Keeps as many blocks as were in use, frees the rest and every large allocation.
    void reset();
    // Gives back everything and frees every block.
    void release();

    // Bytes of the blocks and large allocations held right now.
    size_t heldBytes() const;

private:
    struct Block {
        std::unique_ptr<uint8_t[]> bytes;
        size_t size = 0;
    };

    void* do_allocate(size_t bytes, size_t alignment) override;
    // Only the most recent allocation is taken back (a string that grows in place); anything else
    // waits for the reset.
    void do_deallocate(void* p, size_t bytes, size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    void* allocateSlow(size_t bytes, size_t alignment);

    std::vector<Block> blocks_;
    std::vector<Block> large_;
    // The block being filled (blocks_[current_]) and the next free byte in it.
    size_t current_ = 0;
    uint8_t* next_ = nullptr;
    uint8_t* end_ = nullptr;
};

} // namespace zelvan
