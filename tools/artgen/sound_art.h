// The bundle's sounds: the message alert, written as a WAV file next to the images, and the tone
// sequences it is made of (the demo game's sound uses them too).
#pragma once

#include <string>
#include <vector>

#include "platform/foundation/bytes.h"

namespace zelvan::artgen {

// The bundle file name of the message alert sound.
inline const std::string kMessageSoundFile = "msg.wav";

// The message alert: two short rising tones (16-bit mono PCM at 22050 Hz, about 0.2 s), with a soft
// start and end so it does not click. The same bytes on every run.
fnd::Bytes messageSoundWav();

// Sine tones one after another, each `toneMilliseconds` long with 10 ms fades at both ends (less for
// very short tones), as a 16-bit mono PCM WAV at 22050 Hz. The same bytes on every run.
fnd::Bytes toneSequenceWav(const std::vector<double>& frequencies, int toneMilliseconds);

} // namespace zelvan::artgen
