// RoundBackoff: the pause between rounds of the ad order that found no ad. A round is the walk from one
// network to the next until the rotation comes back to a position it already tried; when that happens
// without an ad the round has failed, and the next round waits 30 s, twice as long after each further
// failed round, at most 10 min. An ad that shows clears the round and starts the waits over.
#pragma once

#include <set>

namespace zelvan::mediation {

class RoundBackoff {
public:
    static constexpr double kFirstSeconds = 30;
    static constexpr double kMaxSeconds = 600;

    // An attempt started at `position` of the order.
    void attempted(int position) { tried_.insert(position); }
    // Whether the round already tried `position`: the rotation came round to it again.
    bool tried(int position) const { return tried_.contains(position); }
    // The round ended without an ad: a new round begins, and the returned wait goes before it.
    double roundFailed();
    // An ad showed.
    void reset();
    // The wait the next failed round gets.
    double nextSeconds() const { return next_; }

private:
    std::set<int> tried_;
    double next_ = kFirstSeconds;
};

} // namespace zelvan::mediation
