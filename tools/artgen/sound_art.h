// The bundle's sounds: the message alert, written as a WAV file next to the images.
#pragma once

#include <string>

#include "platform/foundation/bytes.h"

namespace zelvan::artgen {

// The bundle file name of the message alert sound.
inline const std::string kMessageSoundFile = "msg.wav";

// The message alert: two short rising tones (16-bit mono PCM at 22050 Hz, about 0.2 s), with a soft
// start and end so it does not click. The same bytes on every run.
fnd::Bytes messageSoundWav();

} // namespace zelvan::artgen
