// The document heap: a counting allocator capped per heap that also watches the running entry's
// deadline, the engine's budget and clock hooks, and creating and destroying the engine context.
#include "platform/ui/duktape_heap.h"

#include <cstdlib>
#include <cstring>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"

namespace ui {

namespace {

// Each block carries its size in front, aligned for any type.
constexpr size_t kHeader = alignof(std::max_align_t);

size_t& blockSize(void* block) {
    return *static_cast<size_t*>(block);
}

void watchDeadline(DuktapeHeap& heap) {
    if (++heap.allocationsSinceCheck < DuktapeHeap::kAllocationsPerCheck) {
        return;
    }
    heap.allocationsSinceCheck = 0;
    if (heap.budgetArmed && heap.budgetExpired()) {
        // A loop of costly natives runs few instructions; make the next one check the budget.
        zelvan_duk_interrupt_soon(heap.ctx);
    }
}

void* reallocate(void* udata, void* ptr, duk_size_t size) {
    auto& heap = *static_cast<DuktapeHeap*>(udata);
    void* block = ptr != nullptr ? static_cast<char*>(ptr) - kHeader : nullptr;
    const size_t old = block != nullptr ? blockSize(block) : 0;
    if (size == 0) {
        heap.bytes -= old;
        std::free(block);
        return nullptr;
    }
    watchDeadline(heap);
    if (size > heap.memoryCap || heap.bytes - old + size > heap.memoryCap) {
        return nullptr; // the engine collects garbage, retries, then raises an error in the script
    }
    void* grown = std::realloc(block, kHeader + size);
    if (grown == nullptr) {
        return nullptr;
    }
    blockSize(grown) = size;
    heap.bytes = heap.bytes - old + size;
    if (heap.bytes > heap.peakBytes) {
        heap.peakBytes = heap.bytes;
    }
    return static_cast<char*>(grown) + kHeader;
}

void* allocate(void* udata, duk_size_t size) {
    return reallocate(udata, nullptr, size);
}

void release(void* udata, void* ptr) {
    if (ptr != nullptr) {
        reallocate(udata, ptr, 0);
    }
}

// Reached only by an error outside every protected call, which the host never makes.
void fatal(void*, const char* message) {
    ZLOG(Error, "DuktapeScriptHost: fatal engine error: %s", message != nullptr ? message : "(none)");
    std::abort();
}

} // namespace

std::unique_ptr<DuktapeHeap> DuktapeHeap::create(DuktapeScriptHost* host, size_t memoryCap) {
    std::unique_ptr<DuktapeHeap> heap(new DuktapeHeap(host, memoryCap));
    heap->ctx = duk_create_heap(allocate, reallocate, release, heap.get(), fatal);
    if (heap->ctx == nullptr) {
        ZLOG(Error, "DuktapeScriptHost: the JavaScript heap could not be created");
        return nullptr;
    }
    return heap;
}

DuktapeHeap::~DuktapeHeap() {
    if (ctx != nullptr) {
        duk_destroy_heap(ctx);
    }
}

void DuktapeHeap::startBudget(double seconds) {
    const auto span = std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
    deadline = SteadyClock::now() + span;
    budgetArmed = true;
    expired = false;
    allocationsSinceCheck = 0;
}

void DuktapeHeap::stopBudget() {
    budgetArmed = false;
    expired = false;
}

bool DuktapeHeap::budgetExpired() {
    if (!budgetArmed) {
        return false;
    }
    if (!expired && SteadyClock::now() >= deadline) {
        expired = true;
    }
    return expired;
}

DuktapeHeap& heapOf(duk_context* ctx) {
    duk_memory_functions functions{};
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<DuktapeHeap*>(functions.udata);
}

} // namespace ui

int zelvan_duk_budget_expired(void* udata) {
    return udata != nullptr && static_cast<ui::DuktapeHeap*>(udata)->budgetExpired() ? 1 : 0;
}

double zelvan_duk_clock_now(void) {
    return fnd::Clock::now().since1970() * 1000.0;
}
