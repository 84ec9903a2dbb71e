// A process-wide record of what the audio players did (play, pause, stop, finish), which tests and
// headless runs read to see what sounds a screen or a game played.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

enum class PlaybackEvent { Play, Pause, Stop, Finish };

struct PlaybackRecord {
    uint64_t player = 0; // the player's stream id
    PlaybackEvent event = PlaybackEvent::Play;
    double time = 0;    // Clock::monotonic() when it happened
    std::string source; // the file path, or "<data>" for a player made from bytes

    bool operator==(const PlaybackRecord&) const = default;
};

// Safe from any thread.
class PlaybackLog {
public:
    static void append(PlaybackRecord record);
    static std::vector<PlaybackRecord> entries();
    // The events of one player, in order.
    static std::vector<PlaybackEvent> eventsOf(uint64_t player);
    static void clear();
};

} // namespace media
