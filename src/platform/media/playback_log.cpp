// Keeps the playback records behind one lock.
#include "platform/media/playback_log.h"

#include <mutex>

namespace media {

namespace {

struct Log {
    std::mutex mutex;
    std::vector<PlaybackRecord> records;
};

Log& log() {
    static Log instance;
    return instance;
}

} // namespace

void PlaybackLog::append(PlaybackRecord record) {
    std::lock_guard lock(log().mutex);
    log().records.push_back(std::move(record));
}

std::vector<PlaybackRecord> PlaybackLog::entries() {
    std::lock_guard lock(log().mutex);
    return log().records;
}

std::vector<PlaybackEvent> PlaybackLog::eventsOf(uint64_t player) {
    std::lock_guard lock(log().mutex);
    std::vector<PlaybackEvent> events;
    for (const auto& r : log().records) {
        if (r.player == player) {
            events.push_back(r.event);
        }
    }
    return events;
}

void PlaybackLog::clear() {
    std::lock_guard lock(log().mutex);
    log().records.clear();
}

} // namespace media
