// The audio player: decoding on creation, a playhead on the clock advanced by delayed performs on
// the main run loop (which also hand the passed samples to the device), loops, seeking, and the
// delegate calls, always made on the main run loop without the player's lock held.
#include "platform/media/audio_player.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url.h"
#include "platform/media/backends.h"

namespace media {

namespace {

// How often a playing player hands the samples it has passed to the device.
constexpr double kTickSeconds = 0.05;

struct Registry {
    std::mutex mutex;
    std::vector<std::weak_ptr<AudioPlayer>> players;
};

Registry& registry() {
    static Registry* r = new Registry(); // lives until exit
    return *r;
}

std::vector<std::shared_ptr<AudioPlayer>> livePlayers() {
    std::lock_guard lock(registry().mutex);
    std::vector<std::shared_ptr<AudioPlayer>> live;
    for (const auto& weak : registry().players) {
        if (auto p = weak.lock()) {
            live.push_back(std::move(p));
        }
    }
    return live;
}

fnd::Error playerError(int code, const std::string& text) {
    return fnd::Error("media.AudioPlayer", code, std::string_view(text));
}

} // namespace

AudioPlayer::AudioPlayer(Passkey, std::string source, fnd::Result<DecodedSound> decoded)
    : source_(std::move(source)), stream_(nextStreamId()) {
    if (decoded.ok()) {
        sound_ = std::move(decoded).value();
    } else {
        decodeError_ = std::move(decoded).error();
    }
}

AudioPlayer::~AudioPlayer() {
    tick_.cancel();
}

std::shared_ptr<AudioPlayer> AudioPlayer::create(std::string source, std::span<const uint8_t> bytes) {
    auto decoded = SoundDecoder::decode(bytes);
    if (!decoded.ok()) {
        ZLOG(Warn, "AudioPlayer: %s cannot be decoded and will not play: %s", fnd::logPreview(source),
             decoded.error().localizedDescription());
    }
    auto player = std::make_shared<AudioPlayer>(Passkey{}, std::move(source), std::move(decoded));
    std::lock_guard lock(registry().mutex);
    auto& players = registry().players;
    players.erase(std::remove_if(players.begin(), players.end(), [](const auto& w) { return w.expired(); }),
                  players.end());
    players.push_back(player);
    return player;
}

fnd::Result<std::shared_ptr<AudioPlayer>> AudioPlayer::initWithContentsOfURL(std::string_view url) {
    std::string path(url);
    if (url.starts_with("file:")) {
        auto parsed = fnd::Url::parse(url);
        auto unescaped = parsed ? fnd::unescape(parsed->path()) : std::nullopt;
        if (!unescaped || unescaped->empty()) {
            return playerError(1, "The sound URL " + std::string(url) + " does not name a file.");
        }
        path = *unescaped;
    }
    if (path.empty()) {
        return playerError(1, "No sound file was named.");
    }
    auto bytes = fnd::readFile(path);
    if (!bytes) {
        return playerError(2, "The sound file " + path + " does not exist or cannot be read.");
    }
    if (bytes->empty()) {
        return playerError(3, "The sound file " + path + " is empty.");
    }
    return create(path, *bytes);
}

fnd::Result<std::shared_ptr<AudioPlayer>> AudioPlayer::initWithData(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return playerError(3, "The sound data is empty.");
    }
    return create("<data>", bytes);
}

bool AudioPlayer::prepareToPlay() {
    std::lock_guard lock(mutex_);
    return sound_.has_value();
}

double AudioPlayer::runLengthLocked() const {
    const double d = sound_ ? sound_->duration() : 0.0;
    if (loops_ < 0) {
        return d > 0 ? -1.0 : 0.0;
    }
    return d * (static_cast<double>(loops_) + 1); // loops_ + 1 would overflow at INT_MAX
}

double AudioPlayer::playheadLocked() const {
    double head = playing_ ? baseHead_ + (fnd::Clock::monotonic() - startedAt_) : baseHead_;
    const double len = runLengthLocked();
    return len >= 0 ? std::min(head, len) : head;
}

bool AudioPlayer::catchUpLocked() {
    if (!sound_) {
        return true;
    }
    const int64_t frames = sound_->frames();
    const double rate = sound_->sampleRate;
    const double len = runLengthLocked();
    const double head = playheadLocked();
    const bool over = len >= 0 && head >= len - 1e-9;
    const int64_t target =
        over ? frames * (static_cast<int64_t>(loops_) + 1) : static_cast<int64_t>(std::floor(head * rate + 1e-6));
    if (frames == 0 || target <= written_) {
        written_ = std::max(written_, target);
        return over;
    }
    const auto channels = static_cast<size_t>(sound_->channels);
    const StreamFormat format = StreamFormat::pcm16(rate, static_cast<uint32_t>(channels));
    // At most a second per write, so a long jump of the clock never needs one huge buffer.
    const int64_t chunkFrames = std::max<int64_t>(1, static_cast<int64_t>(rate));
    std::vector<int16_t> out;
    while (written_ < target) {
        const int64_t n = std::min(chunkFrames, target - written_);
        out.resize(static_cast<size_t>(n) * channels);
        for (int64_t i = 0; i < n; ++i) {
            const auto src = static_cast<size_t>((written_ + i) % frames) * channels;
            for (size_t c = 0; c < channels; ++c) {
                const int16_t s = sound_->samples[src + c];
                out[static_cast<size_t>(i) * channels + c] =
                    volume_ >= 1.0f ? s : static_cast<int16_t>(static_cast<float>(s) * volume_);
            }
        }
        device_->write(stream_, format,
                       std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(out.data()), out.size() * 2));
        written_ += n;
    }
    return over;
}

void AudioPlayer::scheduleTickLocked() {
    tick_.cancel();
    const double len = runLengthLocked();
    const double delay = len < 0 ? kTickSeconds : std::clamp(len - playheadLocked(), 0.0, kTickSeconds);
    std::weak_ptr<AudioPlayer> weak = std::static_pointer_cast<AudioPlayer>(shared_from_this());
    tick_ = fnd::RunLoop::main().performAfter(delay, [weak] {
        if (auto player = weak.lock()) {
            player->tick();
        }
    });
}

void AudioPlayer::tick() {
    std::shared_ptr<AudioPlayer> keep;
    {
        std::lock_guard lock(mutex_);
        if (!playing_) {
            return;
        }
        if (!catchUpLocked()) {
            scheduleTickLocked();
            return;
        }
        haltLocked(PlaybackEvent::Finish);
        baseHead_ = 0;
        written_ = 0;
        keep = std::move(self_);
    }
    tellDelegate(
        [](AudioPlayerDelegate& d, const std::shared_ptr<AudioPlayer>& p) { d.audioPlayerDidFinishPlaying(p, true); });
}

void AudioPlayer::haltLocked(PlaybackEvent event) {
    baseHead_ = playheadLocked();
    playing_ = false;
    tick_.cancel();
    record(event);
}

void AudioPlayer::record(PlaybackEvent event) const {
    PlaybackLog::append(PlaybackRecord{stream_, event, fnd::Clock::monotonic(), source_});
}

template <class F>
void AudioPlayer::tellDelegate(F call) {
    auto self = std::static_pointer_cast<AudioPlayer>(shared_from_this());
    auto deliver = [self, call] {
        // Read the delegate when delivering: one cleared or gone meanwhile hears nothing.
        if (auto d = self->delegate()) {
            call(*d, self);
        }
    };
    if (fnd::isMainThread()) {
        deliver();
    } else {
        fnd::RunLoop::main().post(std::move(deliver));
    }
}

bool AudioPlayer::play() {
    {
        std::lock_guard lock(mutex_);
        if (sound_) {
            if (!playing_) {
                const double len = runLengthLocked();
                if (len >= 0 && baseHead_ >= len) {
                    baseHead_ = 0; // a finished run starts over
                    written_ = 0;
                }
                playing_ = true;
                interrupted_ = false;
                startedAt_ = fnd::Clock::monotonic();
                device_ = audioDevice();
                self_ = std::static_pointer_cast<AudioPlayer>(shared_from_this());
                record(PlaybackEvent::Play);
                scheduleTickLocked();
            }
            return true;
        }
        ZLOG(Warn, "AudioPlayer: refusing to play %s: %s", fnd::logPreview(source_),
             decodeError_->localizedDescription());
    }
    auto error = *decodeError_;
    tellDelegate([error](AudioPlayerDelegate& d, const std::shared_ptr<AudioPlayer>& p) {
        d.audioPlayerDecodeErrorDidOccur(p, error);
    });
    return false;
}

void AudioPlayer::pause() {
    std::shared_ptr<AudioPlayer> keep;
    std::lock_guard lock(mutex_);
    if (playing_) {
        catchUpLocked();
        haltLocked(PlaybackEvent::Pause);
        keep = std::move(self_);
    }
}

void AudioPlayer::stop() {
    std::shared_ptr<AudioPlayer> keep;
    std::lock_guard lock(mutex_);
    interrupted_ = false;
    if (playing_) {
        catchUpLocked();
        haltLocked(PlaybackEvent::Stop);
        keep = std::move(self_);
    } else {
        record(PlaybackEvent::Stop);
    }
}

bool AudioPlayer::isPlaying() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

double AudioPlayer::duration() const {
    std::lock_guard lock(mutex_);
    return sound_ ? sound_->duration() : 0.0;
}

double AudioPlayer::currentTime() const {
    std::lock_guard lock(mutex_);
    const double d = sound_ ? sound_->duration() : 0.0;
    if (d <= 0) {
        return 0;
    }
    const double head = playheadLocked();
    const double len = runLengthLocked();
    // At the very end of the run the position is the end of the last pass, not its start.
    return len >= 0 && head >= len ? d : std::fmod(head, d);
}

void AudioPlayer::setCurrentTime(double seconds) {
    std::lock_guard lock(mutex_);
    const double d = sound_ ? sound_->duration() : 0.0;
    if (d <= 0 || !std::isfinite(seconds)) {
        return;
    }
    const double head = playheadLocked();
    double passes = std::floor(head / d);
    const double len = runLengthLocked();
    if (len >= 0 && head >= len) {
        passes = std::max(0.0, passes - 1); // seeking from the end lands in the last pass
    }
    baseHead_ = passes * d + std::clamp(seconds, 0.0, d);
    startedAt_ = fnd::Clock::monotonic();
    written_ = static_cast<int64_t>(std::floor(baseHead_ * sound_->sampleRate + 1e-6));
    if (playing_) {
        scheduleTickLocked();
    }
}

int AudioPlayer::numberOfLoops() const {
    std::lock_guard lock(mutex_);
    return loops_;
}

void AudioPlayer::setNumberOfLoops(int loops) {
    std::lock_guard lock(mutex_);
    loops_ = std::max(loops, -1);
    if (playing_) {
        scheduleTickLocked();
    }
}

float AudioPlayer::volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

void AudioPlayer::setVolume(float volume) {
    std::lock_guard lock(mutex_);
    volume_ = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : volume_;
}

std::shared_ptr<AudioPlayerDelegate> AudioPlayer::delegate() const {
    std::lock_guard lock(mutex_);
    return delegate_.lock();
}

void AudioPlayer::setDelegate(std::weak_ptr<AudioPlayerDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

int AudioPlayer::sampleRate() const {
    std::lock_guard lock(mutex_);
    return sound_ ? sound_->sampleRate : 0;
}

int AudioPlayer::numberOfChannels() const {
    std::lock_guard lock(mutex_);
    return sound_ ? sound_->channels : 0;
}

std::optional<fnd::Error> AudioPlayer::decodeError() const {
    std::lock_guard lock(mutex_);
    return decodeError_;
}

void AudioPlayer::handleInterruption(Interruption interruption) {
    for (const auto& player : livePlayers()) {
        bool tell = false;
        std::shared_ptr<AudioPlayer> keep;
        {
            std::lock_guard lock(player->mutex_);
            if (interruption == Interruption::Began && player->playing_) {
                player->catchUpLocked();
                player->haltLocked(PlaybackEvent::Pause);
                keep = std::move(player->self_);
                player->interrupted_ = true;
                tell = true;
            } else if (interruption == Interruption::Ended && player->interrupted_) {
                player->interrupted_ = false;
                tell = true;
            }
        }
        if (!tell) {
            continue;
        }
        if (interruption == Interruption::Began) {
            player->tellDelegate([](AudioPlayerDelegate& d, const std::shared_ptr<AudioPlayer>& p) {
                d.audioPlayerBeginInterruption(p);
            });
        } else {
            player->tellDelegate(
                [](AudioPlayerDelegate& d, const std::shared_ptr<AudioPlayer>& p) { d.audioPlayerEndInterruption(p); });
        }
    }
}

} // namespace media
