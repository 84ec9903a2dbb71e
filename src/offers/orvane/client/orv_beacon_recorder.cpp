// The offer network's record of named usage sections.
#include "offers/orvane/client/orv_beacon_recorder.h"

#include <algorithm>

#include "platform/foundation/clock.h"

namespace zelvan::orvane {

void ORVBeaconRecorder::start(const std::string& name, bool timed) {
    if (sections_.size() >= kMaxSections) {
        auto oldest = std::find_if(sections_.begin(), sections_.end(), [](const Section& s) { return s.ended; });
        sections_.erase(oldest == sections_.end() ? sections_.begin() : oldest);
    }
    sections_.push_back(Section{name, timed, fnd::Clock::monotonic(), std::nullopt, false});
}

bool ORVBeaconRecorder::end(const std::string& name) {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (!it->ended && it->name == name) {
            it->ended = true;
            if (it->timed) {
                it->duration = fnd::Clock::monotonic() - it->startedAt;
            }
            return true;
        }
    }
    return false;
}

} // namespace zelvan::orvane
