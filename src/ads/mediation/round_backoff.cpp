// The wait between rounds of the ad order that found no ad.
#include "ads/mediation/round_backoff.h"

#include <algorithm>

namespace zelvan::mediation {

double RoundBackoff::roundFailed() {
    tried_.clear();
    const double wait = next_;
    next_ = std::min(next_ * 2, kMaxSeconds);
    return wait;
}

void RoundBackoff::reset() {
    tried_.clear();
    next_ = kFirstSeconds;
}

} // namespace zelvan::mediation
