// One document's JavaScript heap: the engine context with its counting, capped allocator and the
// state of the running entry's budget. Private to the Duktape script host.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/ui/duktape/duktape_engine.h"

namespace ui {

class DuktapeScriptHost;

struct DuktapeHeap {
    using SteadyClock = std::chrono::steady_clock;

    // The allocator compares the deadline once per this many allocations.
    static constexpr uint32_t kAllocationsPerCheck = 1024;

    // A heap capped at `memoryCap` bytes serving `host`; nullptr (logged) when the engine cannot start.
    static std::unique_ptr<DuktapeHeap> create(DuktapeScriptHost* host, size_t memoryCap);
    ~DuktapeHeap();
    DuktapeHeap(const DuktapeHeap&) = delete;
    DuktapeHeap& operator=(const DuktapeHeap&) = delete;

    // Arms the budget for one entry, and disarms it when the entry returns.
    void startBudget(double seconds);
    void stopBudget();
    // Whether the armed budget has run out; once it has, the answer stays yes until stopBudget, so a
    // script cannot catch its way past it.
    bool budgetExpired();

    DuktapeScriptHost* host;
    duk_context* ctx = nullptr;
    size_t memoryCap;
    size_t bytes = 0;
    size_t peakBytes = 0;
    uint32_t allocationsSinceCheck = 0;
    bool budgetArmed = false;
    bool expired = false;
    SteadyClock::time_point deadline{};

private:
    DuktapeHeap(DuktapeScriptHost* host, size_t memoryCap) : host(host), memoryCap(memoryCap) {}
};

// The heap a native function runs in.
DuktapeHeap& heapOf(duk_context* ctx);

} // namespace ui
