// Fuzzes sound-file decoding: arbitrary bytes become an audio player, whose duration and
// preparation must come out without a crash, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "platform/foundation/log.h"
#include "platform/media/audio_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto player = media::AudioPlayer::initWithData(std::span<const uint8_t>(data, size));
    if (player.ok()) {
        double d = player.value()->duration();
        bool prepared = player.value()->prepareToPlay();
        if (prepared != (d >= 0 && player.value()->sampleRate() > 0)) {
            __builtin_trap(); // a decoded sound always has a rate
        }
    }
    return 0;
}
