// The WAV file sink: what a queue played lands in a file libsndfile reads back sample for sample,
// readable while it still grows, with streams of another rate or channel count converted to it.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/media/audio_queue.h"
#include "platform/media/backends.h"
#include "platform/media/wav_file_device.h"

namespace media {
namespace {

std::vector<int16_t> readWav(const std::string& path, SF_INFO* info) {
    *info = SF_INFO{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    if (f == nullptr) {
        return {};
    }
    std::vector<int16_t> samples(static_cast<size_t>(info->frames * info->channels));
    sf_readf_short(f, samples.data(), info->frames);
    sf_close(f);
    return samples;
}

std::span<const uint8_t> bytesOf(const std::vector<int16_t>& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size() * 2};
}

TEST(WavFileDeviceTest, KeepsWhatWasPlayedInAWavFile) {
    auto clock = fnd::ManualClock::install();
    auto device = std::make_shared<WavFileDevice>();
    EXPECT_EQ(device->path(), fnd::AppFolders::temporary() + "/audio-out.wav");
    installAudioDevice(device);

    std::mutex mutex;
    std::condition_variable cv;
    int done = 0;
    auto queue = AudioQueue::newOutput(StreamFormat::voice(), [&](AudioQueue&, AudioQueueBuffer*) {
                     std::lock_guard lock(mutex);
                     ++done;
                     cv.notify_all();
                 }).value();
    std::vector<int16_t> played;
    for (int b = 0; b < 2; ++b) {
        AudioQueueBuffer* buffer = queue->allocateBuffer(2048);
        std::vector<int16_t> samples(1024);
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<int16_t>((b * 1024 + static_cast<int>(i)) * 13 - 9000);
        }
        std::memcpy(buffer->audioData, samples.data(), 2048);
        buffer->audioDataByteSize = 2048;
        played.insert(played.end(), samples.begin(), samples.end());
        ASSERT_EQ(queue->enqueueBuffer(buffer), Status::Ok);
    }
    ASSERT_EQ(queue->start(), Status::Ok);
    clock->advance(0.256);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return done == 2; }));
    }
    queue->dispose();

    // Readable before the device closes: the header already counts every frame.
    SF_INFO info;
    EXPECT_EQ(readWav(device->path(), &info), played);
    EXPECT_EQ(info.samplerate, 8000);
    EXPECT_EQ(info.channels, 1);

    // Other rates and channel counts are converted to the file's 8 kHz mono.
    std::vector<int16_t> fast(200), stereo(200);
    for (size_t i = 0; i < 200; ++i) {
        fast[i] = static_cast<int16_t>(i * 10);
        stereo[i] = static_cast<int16_t>(i % 2 == 0 ? 100 : 300);
    }
    device->write(900, StreamFormat::pcm16(16000, 1), bytesOf(fast));
    device->write(901, StreamFormat::pcm16(8000, 2), bytesOf(stereo));
    StreamFormat eightBit{8000, FormatFlags::Packed, 8, 1, 1, 1, 1};
    device->write(902, eightBit, bytesOf(fast)); // left out, with a log line
    const uint8_t oddByte[1] = {7};
    device->write(903, StreamFormat::pcm16(8000, 2), oddByte); // less than a frame: nothing
    device->close();

    std::vector<int16_t> expected = played;
    for (size_t i = 1; i < 200; i += 2) {
        expected.push_back(fast[i]);
    }
    expected.insert(expected.end(), 100, 200);
    EXPECT_EQ(readWav(device->path(), &info), expected);
    installAudioDevice(nullptr);
    fnd::Clock::install(nullptr);
}

} // namespace
} // namespace media
