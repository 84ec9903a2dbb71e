// ZLVAudioPlayer: one sound the client plays (the message alert, a game's sounds) over a platform
// audio player, made from a file path or from bytes the game resource cache holds.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/object.h"
#include "platform/media/audio_player.h"

namespace zelvan {

class ZLVAudioPlayer : public fnd::Object, public media::AudioPlayerDelegate {
public:
    // A player for the file at `path` (used as given); null with one WARN when the file does not
    // exist or the platform cannot open it.
    static std::shared_ptr<ZLVAudioPlayer> initWithFilestr(const std::string& path);
    // A player over the bytes of the game resource cache's file at `path`; null with one WARN when
    // there are none or the platform refuses them.
    static std::shared_ptr<ZLVAudioPlayer> initWithFilepath(const std::string& path);

    explicit ZLVAudioPlayer(std::shared_ptr<media::AudioPlayer> player);
    ~ZLVAudioPlayer() override;
    std::string className() const override { return "ZLVAudioPlayer"; }

    // The platform player, on which callers play, stop and set the volume.
    const std::shared_ptr<media::AudioPlayer>& player() const { return player_; }
    // Set while the wrapper is being torn down; such a player is no longer driven by game scripts.
    bool destroy() const { return destroy_; }
    void setDestroy(bool destroy) { destroy_ = destroy; }

    // The player's reports need no action.
    void audioPlayerDidFinishPlaying(const std::shared_ptr<media::AudioPlayer>&, bool) override {}
    void audioPlayerDecodeErrorDidOccur(const std::shared_ptr<media::AudioPlayer>&, const fnd::Error&) override {}
    void audioPlayerBeginInterruption(const std::shared_ptr<media::AudioPlayer>&) override {}
    void audioPlayerEndInterruption(const std::shared_ptr<media::AudioPlayer>&) override {}

private:
    // Wraps a made player and makes the wrapper its delegate.
    static std::shared_ptr<ZLVAudioPlayer> adopt(std::shared_ptr<media::AudioPlayer> player);

    std::shared_ptr<media::AudioPlayer> player_;
    bool destroy_ = false;
};

} // namespace zelvan
