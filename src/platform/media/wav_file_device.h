// A sound device that writes everything played into one 16-bit WAV file, so a person can listen to
// what a call or a game played. The header is rewritten after every write, so the file is
// complete at any moment. Recording reads silence.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/media/audio_device.h"

struct sf_private_tag;

namespace media {

class WavFileDevice final : public AudioDevice {
public:
    // <app root>/tmp/audio-out.wav
    static std::string defaultPath();

    // The file is created (replacing an old one) on the first write; its rate and channel count
    // are those of the first stream written. Streams in another rate or channel count are
    // converted to it (sample-and-hold resampling, channels averaged or repeated).
    explicit WavFileDevice(std::string path = defaultPath());
    ~WavFileDevice() override;
    WavFileDevice(const WavFileDevice&) = delete;
    WavFileDevice& operator=(const WavFileDevice&) = delete;

    // Accepts packed signed 16-bit PCM; other sample layouts are dropped with one log line per
    // stream. Streams are appended in the order their bytes arrive.
    void write(StreamId stream, const StreamFormat& format, std::span<const uint8_t> bytes) override;
    void read(StreamId stream, const StreamFormat& format, std::span<uint8_t> out) override;

    const std::string& path() const { return path_; }
    // Frames written to the file so far.
    int64_t framesWritten() const;
    // Closes the file; a later write starts a new one.
    void close();

private:
    struct StreamState {
        double owed = 0;      // output frames owed by the resampler
        bool refused = false; // a format we cannot write was reported
    };

    bool openLocked(const StreamFormat& format);
    void closeLocked();

    std::string path_;
    mutable std::mutex mutex_;
    sf_private_tag* file_ = nullptr;
    bool failed_ = false; // the file could not be created; logged once
    double rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
    std::map<StreamId, StreamState> streams_;
};

} // namespace media
