// Reads sound files from memory through libsndfile's virtual I/O and converts them to 16-bit PCM.
#include "platform/media/sound_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <string>

#include "platform/foundation/log.h"

namespace media {

namespace {

struct Memory {
    std::span<const uint8_t> bytes;
    sf_count_t pos = 0;
};

sf_count_t memLength(void* user) {
    return static_cast<sf_count_t>(static_cast<Memory*>(user)->bytes.size());
}

sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<Memory*>(user);
    const auto size = static_cast<sf_count_t>(m->bytes.size());
    sf_count_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? size : 0;
    // Both terms lie in [0, size] or are checked against it first, so the sum cannot overflow.
    if (offset < -base || offset > size) {
        return -1;
    }
    // Past the end stays at the end: reads there give nothing, as with a file.
    m->pos = std::min(base + offset, size);
    return m->pos;
}

sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
    auto* m = static_cast<Memory*>(user);
    const auto size = static_cast<sf_count_t>(m->bytes.size());
    if (count <= 0 || m->pos >= size) {
        return 0;
    }
    sf_count_t n = std::min(count, size - m->pos);
    std::copy_n(m->bytes.data() + m->pos, n, static_cast<uint8_t*>(ptr));
    m->pos += n;
    return n;
}

sf_count_t memWrite(const void*, sf_count_t, void*) {
    return 0; // read-only
}

sf_count_t memTell(void* user) {
    return static_cast<Memory*>(user)->pos;
}

fnd::Error decodeError(int code, const std::string& text) {
    return fnd::Error("media.SoundDecoder", code, std::string_view(text));
}

} // namespace

fnd::Result<DecodedSound> SoundDecoder::decode(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return decodeError(1, "The sound data is empty.");
    }
    Memory memory{bytes};
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (file == nullptr) {
        return decodeError(2, std::string("The sound data is not in a known format: ") + sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 || info.samplerate > 768000) {
        sf_close(file);
        return decodeError(3, "The sound has " + std::to_string(info.channels) + " channels at " +
                                  std::to_string(info.samplerate) + " Hz, which cannot be played.");
    }
    DecodedSound sound;
    sound.sampleRate = info.samplerate;
    sound.channels = info.channels;
    // Read in chunks until the data ends rather than trusting the frame count in the header.
    const size_t chunkFrames = 4096;
    const size_t maxFrames = kMaxSamples / static_cast<size_t>(info.channels);
    std::vector<int16_t> chunk(chunkFrames * static_cast<size_t>(info.channels));
    size_t frames = 0;
    bool cut = false;
    for (;;) {
        sf_count_t got = sf_readf_short(file, chunk.data(), static_cast<sf_count_t>(chunkFrames));
        if (got <= 0) {
            break;
        }
        size_t take = std::min(static_cast<size_t>(got), maxFrames - frames);
        sound.samples.insert(sound.samples.end(), chunk.begin(),
                             chunk.begin() + static_cast<std::ptrdiff_t>(take * static_cast<size_t>(info.channels)));
        frames += take;
        if (frames >= maxFrames) {
            cut = sf_readf_short(file, chunk.data(), 1) > 0;
            break;
        }
    }
    const int error = sf_error(file);
    sf_close(file);
    if (frames == 0 && error != SF_ERR_NO_ERROR) {
        return decodeError(4, std::string("The sound data could not be decoded: ") + sf_error_number(error));
    }
    if (cut) {
        ZLOG(Warn, "SoundDecoder: sound cut to its first %lld frames", static_cast<long long>(frames));
    }
    return sound;
}

} // namespace media
