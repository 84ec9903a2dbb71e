// Plays one sound file (from a path, a file URL or bytes): decoded to 16-bit PCM on creation,
// then played along the main run loop's clock into the installed sound device, with loops,
// seeking, volume and a delegate told on the main loop when the sound finishes.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/object.h"
#include "platform/foundation/run_loop.h"
#include "platform/media/audio_device.h"
#include "platform/media/audio_session.h"
#include "platform/media/playback_log.h"
#include "platform/media/sound_decoder.h"

namespace media {

class AudioPlayer;

// Called on the main run loop. Every method is optional.
class AudioPlayerDelegate {
public:
    virtual ~AudioPlayerDelegate() = default;
    // After the last loop has played (ok is true), or never when the player was stopped.
    virtual void audioPlayerDidFinishPlaying(const std::shared_ptr<AudioPlayer>&, bool /*ok*/) {}
    // When play() was refused because the sound could not be decoded.
    virtual void audioPlayerDecodeErrorDidOccur(const std::shared_ptr<AudioPlayer>&, const fnd::Error&) {}
    virtual void audioPlayerBeginInterruption(const std::shared_ptr<AudioPlayer>&) {}
    virtual void audioPlayerEndInterruption(const std::shared_ptr<AudioPlayer>&) {}
};

class AudioPlayer final : public fnd::Object {
public:
    // `url` is a file path or a "file:" URL. A missing, unreadable or empty file is an error.
    static fnd::Result<std::shared_ptr<AudioPlayer>> initWithContentsOfURL(std::string_view url);
    // Empty bytes are an error. Bytes that do not decode still give a player, which logs why and
    // refuses to play.
    static fnd::Result<std::shared_ptr<AudioPlayer>> initWithData(std::span<const uint8_t> bytes);

    ~AudioPlayer() override;
    std::string className() const override { return "AudioPlayer"; }

    // Whether the sound decoded and can play.
    bool prepareToPlay();
    // Starts or resumes playing from currentTime(); false (logged, delegate told) when the sound
    // did not decode. The player keeps itself alive while it plays.
    bool play();
    // Pauses, keeping the position.
    void pause();
    // Stops; the position stays where it was (set currentTime to 0 to start over).
    void stop();
    bool isPlaying() const;

    // Seconds of one pass through the sound (0 when it did not decode).
    double duration() const;
    // Seconds into the current pass.
    double currentTime() const;
    // Moves within the current pass (clamped to 0...duration).
    void setCurrentTime(double seconds);
    // Extra passes after the first; -1 loops until stopped.
    int numberOfLoops() const;
    void setNumberOfLoops(int loops);
    // 0...1, scales the samples written to the device.
    float volume() const;
    void setVolume(float volume);

    std::shared_ptr<AudioPlayerDelegate> delegate() const;
    void setDelegate(std::weak_ptr<AudioPlayerDelegate> delegate);

    // The decoded sound's rate and channels (0 when it did not decode).
    int sampleRate() const;
    int numberOfChannels() const;
    // The id the player writes under at the sound device and in the PlaybackLog.
    StreamId streamId() const { return stream_; }
    // The decode failure, when there was one.
    std::optional<fnd::Error> decodeError() const;

    // Delivers an interruption to every live player (AudioSession calls this).
    static void handleInterruption(Interruption interruption);

    struct Passkey {
    private:
        friend class AudioPlayer;
        Passkey() = default;
    };
    AudioPlayer(Passkey, std::string source, fnd::Result<DecodedSound> decoded);

private:
    static std::shared_ptr<AudioPlayer> create(std::string source, std::span<const uint8_t> bytes);

    // Seconds played since the start of the run, counting earlier passes.
    double playheadLocked() const;
    // Total seconds of the run; negative when it loops forever.
    double runLengthLocked() const;
    // Writes the frames the playhead has passed and returns whether the run is over.
    bool catchUpLocked();
    void scheduleTickLocked();
    void tick();
    void haltLocked(PlaybackEvent event);
    void record(PlaybackEvent event) const;
    template <class F>
    void tellDelegate(F call);

    mutable std::recursive_mutex mutex_;
    const std::string source_;
    const StreamId stream_;
    std::optional<DecodedSound> sound_;
    std::optional<fnd::Error> decodeError_;

    int loops_ = 0;
    float volume_ = 1.0f;
    bool playing_ = false;
    bool interrupted_ = false;
    double baseHead_ = 0;  // playhead when playing last (re)started
    double startedAt_ = 0; // Clock::monotonic() then
    int64_t written_ = 0;  // frames of the run handed to the device
    std::shared_ptr<AudioDevice> device_;
    fnd::PerformHandle tick_;
    std::shared_ptr<AudioPlayer> self_; // kept while playing
    std::weak_ptr<AudioPlayerDelegate> delegate_;
};

} // namespace media
