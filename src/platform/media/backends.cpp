// Holds the installed sound device and the process-wide stream id counter.
#include "platform/media/backends.h"

#include <atomic>
#include <mutex>

#include "platform/media/audio_device.h"
#include "platform/media/null_device.h"

namespace media {

namespace {

std::mutex& deviceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<AudioDevice>& installedDevice() {
    static std::shared_ptr<AudioDevice> device;
    return device;
}

} // namespace

StreamId nextStreamId() {
    static std::atomic<StreamId> next{1};
    return next.fetch_add(1);
}

void installAudioDevice(std::shared_ptr<AudioDevice> device) {
    std::lock_guard lock(deviceMutex());
    installedDevice() = std::move(device);
}

std::shared_ptr<AudioDevice> audioDevice() {
    std::lock_guard lock(deviceMutex());
    auto& device = installedDevice();
    if (!device) {
        device = std::make_shared<NullDevice>();
    }
    return device;
}

} // namespace media
