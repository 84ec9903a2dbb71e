// The audio player wrapper: construction from a file or from the game resource cache's bytes, with
// the platform's failures logged, and a teardown that detaches the wrapper from its player.
#include "games/engine/natives/zlv_audio_player.h"

#include "games/engine/game_file_path.h"
#include "platform/foundation/file_manager.h"
#include "protocol/tracer.h"

namespace zelvan {

ZLVAudioPlayer::ZLVAudioPlayer(std::shared_ptr<media::AudioPlayer> player) : player_(std::move(player)) {}

ZLVAudioPlayer::~ZLVAudioPlayer() {
    destroy_ = true;
    if (player_ != nullptr) {
        player_->setDelegate({});
    }
}

std::shared_ptr<ZLVAudioPlayer> ZLVAudioPlayer::adopt(std::shared_ptr<media::AudioPlayer> player) {
    auto wrapper = std::make_shared<ZLVAudioPlayer>(std::move(player));
    wrapper->player_->setDelegate(std::weak_ptr<media::AudioPlayerDelegate>(wrapper));
    return wrapper;
}

std::shared_ptr<ZLVAudioPlayer> ZLVAudioPlayer::initWithFilestr(const std::string& path) {
    if (!fnd::FileManager::isRegularFile(path)) {
        ZTRACE_WARN("get file path failed in creating audio player");
        return nullptr;
    }
    fnd::Result<std::shared_ptr<media::AudioPlayer>> made = media::AudioPlayer::initWithContentsOfURL(path);
    if (!made) {
        ZTRACE_WARN("create audio from file url ,error:%@", made.error().localizedDescription());
        return nullptr;
    }
    return adopt(std::move(made.value()));
}

std::shared_ptr<ZLVAudioPlayer> ZLVAudioPlayer::initWithFilepath(const std::string& path) {
    std::optional<fnd::Bytes> data = newFileData(path);
    if (!data) {
        ZTRACE_WARN("get file data failed in creating audio player");
        return nullptr;
    }
    fnd::Result<std::shared_ptr<media::AudioPlayer>> made = media::AudioPlayer::initWithData(*data);
    if (!made) {
        ZTRACE_WARN("create audio ,error:%@", made.error().localizedDescription());
        return nullptr;
    }
    return adopt(std::move(made.value()));
}

} // namespace zelvan
