// The process's audio session: the category that says how the app uses sound, whether the
// session is active, and interruptions (a call or alarm taking the sound over), which reach the
// registered listeners and the players that were playing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/foundation/observer_token.h"
#include "platform/media/status.h"

namespace media {

// Four-character codes, as the values are stored and compared.
enum class AudioSessionCategory : uint32_t {
    Ambient = 0x616d6269,       // 'ambi'
    SoloAmbient = 0x736f6c6f,   // 'solo'
    MediaPlayback = 0x6d656469, // 'medi'
    RecordAudio = 0x72656361,   // 'reca'
    PlayAndRecord = 0x706c6172, // 'plar'
};

enum class Interruption { Ended = 0, Began = 1 };

class AudioSession {
public:
    using Listener = std::function<void(Interruption)>;

    static AudioSession& shared();

    // Starts as SoloAmbient, inactive.
    Status setCategory(AudioSessionCategory category);
    AudioSessionCategory category() const;

    // Activating fails with Status::Interrupted while an interruption lasts.
    Status setActive(bool active);
    bool isActive() const;
    bool isInterrupted() const;

    // Calls `listener` on the thread that reports each interruption, until the token goes.
    fnd::ObserverToken addInterruptionListener(Listener listener);

    // Reports an interruption. Began deactivates the session, pauses the players that are
    // playing and tells their delegates; Ended tells the delegates of those players (resuming is
    // theirs to do). Listeners hear both. A repeated Began or Ended is ignored.
    void simulateInterruption(Interruption interruption);

private:
    AudioSession() = default;

    mutable std::mutex mutex_;
    AudioSessionCategory category_ = AudioSessionCategory::SoloAmbient;
    bool active_ = false;
    bool interrupted_ = false;
    std::map<uint64_t, std::shared_ptr<Listener>> listeners_;
    uint64_t nextListener_ = 1;
};

} // namespace media
