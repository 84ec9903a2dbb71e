// ORVBeaconRecorder: the named usage sections the offer network's screens start and end (optionally
// timed), kept in order for the usage-beacon upload. Main thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvan::orvane {

class ORVBeaconRecorder {
public:
    struct Section {
        std::string name;
        bool timed = false;
        double startedAt = 0;           // monotonic seconds
        std::optional<double> duration; // set when ended (timed sections only carry a length)
        bool ended = false;
    };
    // At most this many sections are kept; the oldest ended ones go first.
    static constexpr size_t kMaxSections = 256;

    void start(const std::string& name, bool timed);
    // Ends the latest open section of that name; false when none is open.
    bool end(const std::string& name);
    const std::vector<Section>& sections() const { return sections_; }

private:
    std::vector<Section> sections_;
};

} // namespace zelvan::orvane
