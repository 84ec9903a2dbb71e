// Writes played PCM into a WAV file through libsndfile, converting each stream to the file's rate
// and channel count.
#include "platform/media/wav_file_device.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"

namespace media {

std::string WavFileDevice::defaultPath() {
    return fnd::AppFolders::temporary() + "/audio-out.wav";
}

WavFileDevice::WavFileDevice(std::string path) : path_(std::move(path)) {}

WavFileDevice::~WavFileDevice() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

int64_t WavFileDevice::framesWritten() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

void WavFileDevice::close() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

void WavFileDevice::closeLocked() {
    if (file_ != nullptr) {
        sf_close(file_);
        file_ = nullptr;
    }
    failed_ = false;
    frames_ = 0;
    streams_.clear();
}

bool WavFileDevice::openLocked(const StreamFormat& format) {
    if (file_ != nullptr) {
        return true;
    }
    if (failed_) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    SF_INFO info{};
    info.samplerate = static_cast<int>(format.sampleRate);
    info.channels = static_cast<int>(format.channelsPerFrame);
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(path_.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr) {
        failed_ = true;
        ZLOG(Error, "WavFileDevice: cannot create %s: %s", path_, sf_strerror(nullptr));
        return false;
    }
    // Rewrite the header after every write, so the file is playable while it grows.
    sf_command(file_, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    rate_ = info.samplerate;
    channels_ = info.channels;
    return true;
}

void WavFileDevice::write(StreamId stream, const StreamFormat& format, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    StreamState& state = streams_[stream];
    if (!format.isValid() || !format.isSigned16() || format.channelsPerFrame > 64 || format.sampleRate < 1) {
        if (!state.refused) {
            state.refused = true;
            ZLOG(Warn, "WavFileDevice: stream %llu is not 16-bit linear PCM; its sound is left out",
                 static_cast<unsigned long long>(stream));
        }
        return;
    }
    if (!openLocked(format)) {
        return;
    }
    const size_t inChannels = format.channelsPerFrame;
    const size_t inFrames = bytes.size() / format.bytesPerFrame;
    if (inFrames == 0) {
        return; // less than one frame: nothing to keep
    }
    std::vector<int16_t> in(inFrames * inChannels);
    std::memcpy(in.data(), bytes.data(), in.size() * sizeof(int16_t));

    const size_t outChannels = static_cast<size_t>(channels_);
    const bool same = format.sampleRate == rate_ && inChannels == outChannels;
    std::vector<int16_t> converted;
    const std::vector<int16_t>* out = &in;
    if (!same) {
        // Sample-and-hold: each input frame is repeated (or skipped) to keep the file's rate; the
        // fraction carries over to the stream's next write.
        const double step = rate_ / format.sampleRate;
        converted.reserve(static_cast<size_t>(static_cast<double>(inFrames) * step + 1) * outChannels);
        for (size_t f = 0; f < inFrames; ++f) {
            const int16_t* frame = &in[f * inChannels];
            state.owed += step;
            while (state.owed >= 1.0) {
                state.owed -= 1.0;
                if (inChannels == outChannels) {
                    converted.insert(converted.end(), frame, frame + inChannels);
                } else {
                    int32_t sum = 0;
                    for (size_t c = 0; c < inChannels; ++c) {
                        sum += frame[c];
                    }
                    for (size_t c = 0; c < outChannels; ++c) {
                        // Mono into many channels repeats it; many into fewer takes the average.
                        converted.push_back(
                            inChannels == 1 ? frame[0] : static_cast<int16_t>(sum / static_cast<int32_t>(inChannels)));
                    }
                }
            }
        }
        out = &converted;
    }
    const sf_count_t frames = static_cast<sf_count_t>(out->size() / outChannels);
    if (frames > 0) {
        sf_count_t written = sf_writef_short(file_, out->data(), frames);
        frames_ += written;
        if (written != frames) {
            ZLOG(Error, "WavFileDevice: writing %s failed: %s", path_, sf_strerror(file_));
        }
    }
}

void WavFileDevice::read(StreamId, const StreamFormat&, std::span<uint8_t> out) {
    std::fill(out.begin(), out.end(), uint8_t{0});
}

} // namespace media
