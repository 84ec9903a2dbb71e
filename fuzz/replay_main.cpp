// Replays stored fuzz inputs through a format's libFuzzer entry point without libFuzzer, so the corpus and
// every input that once crashed run as an ordinary regression test under the sanitizers. The first argument
// names the format; each format runs in a process of its own, as its fuzz target does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "replay_table.h"

int main(int argc, char** argv) {
    const ReplayEntry* entry = nullptr;
    for (size_t i = 0; argc > 1 && i < kReplayEntryCount; ++i) {
        if (std::strcmp(kReplayEntries[i].format, argv[1]) == 0) {
            entry = &kReplayEntries[i];
        }
    }
    if (entry == nullptr) {
        std::fprintf(stderr, "usage: %s FORMAT [FOLDER ...] (no format named \"%s\")\n", argv[0],
                     argc > 1 ? argv[1] : "");
        return 2;
    }
    // As in the test binaries: the software GL renderer rasterises on the calling thread (no driver threads
    // left running at exit, none drawing beside the replay under ThreadSanitizer) and keeps no shader cache
    // on disk.
    ::setenv("LP_NUM_THREADS", "0", 0);
    ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    size_t count = 0;
    for (int i = 2; i < argc; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_directory(argv[i], ec)) {
            continue;
        }
        for (const auto& file : std::filesystem::recursive_directory_iterator(argv[i], ec)) {
            if (!file.is_regular_file()) {
                continue;
            }
            std::ifstream in(file.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            entry->testOneInput(bytes.data(), bytes.size());
            ++count;
        }
    }
    // Always run the empty input too, so a format with no stored inputs still executes.
    entry->testOneInput(nullptr, 0);
    std::printf("replayed %zu stored inputs of %s\n", count, entry->format);
    return 0;
}
