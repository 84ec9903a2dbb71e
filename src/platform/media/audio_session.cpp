// The audio session singleton and the delivery of interruptions to listeners and players.
#include "platform/media/audio_session.h"

#include <vector>

#include "platform/foundation/log.h"
#include "platform/media/audio_player.h"

namespace media {

AudioSession& AudioSession::shared() {
    static AudioSession* session = new AudioSession(); // lives until exit, for late threads
    return *session;
}

Status AudioSession::setCategory(AudioSessionCategory category) {
    std::lock_guard lock(mutex_);
    category_ = category;
    return Status::Ok;
}

AudioSessionCategory AudioSession::category() const {
    std::lock_guard lock(mutex_);
    return category_;
}

Status AudioSession::setActive(bool active) {
    std::lock_guard lock(mutex_);
    if (active && interrupted_) {
        ZLOG(Warn, "AudioSession: cannot become active during an interruption");
        return Status::Interrupted;
    }
    active_ = active;
    return Status::Ok;
}

bool AudioSession::isActive() const {
    std::lock_guard lock(mutex_);
    return active_;
}

bool AudioSession::isInterrupted() const {
    std::lock_guard lock(mutex_);
    return interrupted_;
}

fnd::ObserverToken AudioSession::addInterruptionListener(Listener listener) {
    std::lock_guard lock(mutex_);
    uint64_t id = nextListener_++;
    listeners_.emplace(id, std::make_shared<Listener>(std::move(listener)));
    return fnd::ObserverToken([this, id] {
        std::lock_guard lock(mutex_);
        listeners_.erase(id);
    });
}

void AudioSession::simulateInterruption(Interruption interruption) {
    std::vector<std::shared_ptr<Listener>> listeners;
    {
        std::lock_guard lock(mutex_);
        const bool began = interruption == Interruption::Began;
        if (began == interrupted_) {
            return;
        }
        interrupted_ = began;
        if (began) {
            active_ = false;
        }
        for (const auto& [id, listener] : listeners_) {
            listeners.push_back(listener);
        }
    }
    ZLOG(Info, "AudioSession: interruption %s", interruption == Interruption::Began ? "began" : "ended");
    AudioPlayer::handleInterruption(interruption);
    for (const auto& listener : listeners) {
        (*listener)(interruption);
    }
}

} // namespace media
