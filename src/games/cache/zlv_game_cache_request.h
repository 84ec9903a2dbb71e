// ZLVGameCacheRequest: one game resource key waiting for the game server, with the size of the local
// copy it is asked with and, for keys the server re-confirms, when the server last confirmed it.
#pragma once

#include <cstdint>
#include <string>

namespace zelvan {

struct ZLVGameCacheRequest {
    std::string key;
    // Size in bytes of the local copy; -1 when there is none.
    int64_t localSize = 0;
    // When the server last confirmed the key (seconds since 2001), 0 before that.
    double checkTime = 0;

    // Two requests are the same request when their keys are equal.
    friend bool operator==(const ZLVGameCacheRequest& a, const ZLVGameCacheRequest& b) { return a.key == b.key; }
};

} // namespace zelvan
