// Creating and destroying cairo contexts and patterns, with the hand-off between threads that cairo
// makes through its freed-object pools spelled out for ThreadSanitizer (internal to gfx).
//
// cairo keeps destroyed contexts and patterns in small lock-free pools and gives them to the next
// cairo_create or cairo_pattern_create_* on any thread. Its compare-and-swap is in its own code, which
// ThreadSanitizer does not see, so when one thread destroys a block and another thread later frees it
// (the pool being full), the free looks unordered with the first thread's allocation. A suppression
// cannot catch it: the free is reached through tail calls and shows no cairo frame. Instead, destroying
// a block releases its address and creating one acquires it, which is exactly the ordering the pool's
// compare-and-swap gives, for that block only; nothing else is hidden. Outside ThreadSanitizer builds
// these are plain calls.
#pragma once

#include <cairo.h>

#if defined(__SANITIZE_THREAD__)
#define GFX_CAIRO_HANDOFF 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define GFX_CAIRO_HANDOFF 1
#endif
#endif

#ifdef GFX_CAIRO_HANDOFF
#include <sanitizer/tsan_interface.h>
#endif

namespace gfx::detail {

inline void acquireHandedOff([[maybe_unused]] void* block) {
#ifdef GFX_CAIRO_HANDOFF
    __tsan_acquire(block);
#endif
}

inline void releaseForHandOff([[maybe_unused]] void* block) {
#ifdef GFX_CAIRO_HANDOFF
    __tsan_release(block);
#endif
}

inline cairo_t* createCairo(cairo_surface_t* target) {
    cairo_t* cr = cairo_create(target);
    acquireHandedOff(cr);
    return cr;
}

inline void destroyCairo(cairo_t* cr) {
    releaseForHandOff(cr);
    cairo_destroy(cr);
}

// Wraps the result of a cairo_pattern_create_* call.
inline cairo_pattern_t* handedOffPattern(cairo_pattern_t* pattern) {
    acquireHandedOff(pattern);
    return pattern;
}

inline void destroyPattern(cairo_pattern_t* pattern) {
    releaseForHandOff(pattern);
    cairo_pattern_destroy(pattern);
}

} // namespace gfx::detail
