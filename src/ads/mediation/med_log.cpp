// The mediation's log front over the one log, its threshold from the source the composition root sets.
#include "ads/mediation/med_log.h"

#include <utility>

namespace zelvan::mediation {

fnd::NumberedLog& medLogFront() {
    static fnd::NumberedLog log{kMediationLog, kMedLogDefaultThreshold};
    return log;
}

void setMedLogThresholdSource(std::function<int()> source) {
    medLogFront().setThresholdSource(std::move(source));
}

int medLogThreshold() {
    return medLogFront().threshold();
}

} // namespace zelvan::mediation
