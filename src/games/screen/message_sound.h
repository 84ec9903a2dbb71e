// The message alert sound that the messenger plays for a new line: a ZLVAudioPlayer over the bundle's
// "msg.wav".
#pragma once

#include <memory>

#include "core/app_services.h"
#include "games/engine/natives/zlv_audio_player.h"

namespace fnd {
class Bundle;
} // namespace fnd

namespace zelvan {

class MessageSound : public MessageSoundService {
public:
    // The alert of `bundle`'s "msg.wav"; null when the bundle has no such file or it does not open.
    static std::shared_ptr<MessageSound> fromBundle(const fnd::Bundle& bundle);

    explicit MessageSound(std::shared_ptr<ZLVAudioPlayer> player) : player_(std::move(player)) {}

    // Plays the alert from its start, cutting short one still playing.
    void play() override;
    const std::shared_ptr<ZLVAudioPlayer>& player() const { return player_; }

private:
    std::shared_ptr<ZLVAudioPlayer> player_;
};

} // namespace zelvan
