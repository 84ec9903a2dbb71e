// Fuzz target: the GIF decoder must turn any bytes into an image or a clean null; a decoded image
// must have consistent pixels and give the same pixels back through a PNG round trip.
#include "image_fuzz_support.h"
#include "platform/graphics/gif_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return zelvan::fuzzing::checkImageDecoder(data, size,
                                              [](std::span<const uint8_t> bytes) { return gfx::decodeGif(bytes); });
}
