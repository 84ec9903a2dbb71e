// The outside-world facility of media: the sound device every audio queue and player plays into
// and records from. The default is a NullDevice; tests install a MemoryDevice, and a headless run
// may install a WavFileDevice to keep what was played.
#pragma once

#include <memory>

namespace media {

class AudioDevice;

// Installs the device used by queues started and players played from now on;
// `installAudioDevice(nullptr)` goes back to a NullDevice. Safe from any thread.
void installAudioDevice(std::shared_ptr<AudioDevice> device);
// The installed device (never null). A queue keeps the device it started with.
std::shared_ptr<AudioDevice> audioDevice();

} // namespace media
