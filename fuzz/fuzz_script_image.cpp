// Fuzz target: raw bytes as a game's bytecode image. Loading runs the initialisation code, then every
// declared entry point runs with several argument shapes; nothing may crash, hang or leak, and the
// disassembly of the bytes must assemble back to them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "script_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    script_fuzz::setUp();
    std::vector<uint8_t> image(data, data + size);
    script_fuzz::checkRoundTrip(image);
    script_fuzz::runImage(image);
    return 0;
}
