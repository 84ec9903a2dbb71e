// The message alert: found in the bundle once, replayed from its start for every new line.
#include "games/screen/message_sound.h"

#include "platform/foundation/bundle.h"

namespace zelvan {

std::shared_ptr<MessageSound> MessageSound::fromBundle(const fnd::Bundle& bundle) {
    std::optional<std::string> path = bundle.pathForResource("msg", "wav");
    if (!path) {
        return nullptr;
    }
    std::shared_ptr<ZLVAudioPlayer> player = ZLVAudioPlayer::initWithFilestr(*path);
    return player == nullptr ? nullptr : std::make_shared<MessageSound>(std::move(player));
}

void MessageSound::play() {
    const std::shared_ptr<media::AudioPlayer>& player = player_->player();
    if (player->isPlaying()) {
        player->stop();
    }
    player->setCurrentTime(0);
    player->play();
}

} // namespace zelvan
