// The random generator of game scripts: the reentrant rand_r of Debian's C library, step for step,
// kept here so that one seed gives one sequence on every client whatever C library it runs on.
#pragma once

#include <cstdint>

namespace zelvan {

// Advances `seed` three steps of the linear congruential generator and returns 31 bits built from
// them, exactly as glibc's rand_r does.
inline int32_t scriptRandR(uint32_t& seed) {
    uint32_t next = seed;
    next = next * 1103515245u + 12345u;
    uint32_t result = (next / 65536u) % 2048u;
    next = next * 1103515245u + 12345u;
    result = (result << 10) ^ ((next / 65536u) % 1024u);
    next = next * 1103515245u + 12345u;
    result = (result << 10) ^ ((next / 65536u) % 1024u);
    seed = next;
    return static_cast<int32_t>(result);
}

} // namespace zelvan
