// Process-wide settings of the C allocator, made once by the executable's `main` before any other thread
// starts.
#pragma once

namespace fnd {

// Small blocks go back to the allocator's general free lists when they are freed, instead of being kept
// aside in its per-size "fast" lists until some later large allocation or free sweeps all of them at once.
// A decoded game-server payload is a tree of many small blocks (texts, containers) freed together; kept
// aside, a payload of a few megabytes leaves hundreds of thousands of them, cold in the cache by the time
// of the sweep, and the time to decode (and free) a payload per input byte doubles as payloads grow toward
// the decode budget; merged at once, it stays level. The per-thread caches in front of the free lists still
// serve short bursts of reuse. Does nothing where the allocator has no such setting.
void setUpAllocator();

} // namespace fnd
