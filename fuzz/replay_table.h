// The replay driver's table of fuzz formats: each format's entry point, renamed when it joins the driver.
#pragma once

#include <cstddef>
#include <cstdint>

struct ReplayEntry {
    const char* format;
    int (*testOneInput)(const uint8_t* data, size_t size);
};

extern const ReplayEntry kReplayEntries[];
extern const size_t kReplayEntryCount;
