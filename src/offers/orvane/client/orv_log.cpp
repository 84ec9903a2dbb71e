// The offer network's log front: one numbered-level front for the process on the "orvane" channel.
#include "offers/orvane/client/orv_log.h"

namespace zelvan::orvane {

fnd::NumberedLog& ORVLog::front() {
    static fnd::NumberedLog log{kOrvaneLog, kDefaultThreshold};
    return log;
}

int ORVLog::logThreshold() {
    return front().threshold();
}

void ORVLog::setLogThreshold(int level) {
    front().setThreshold(level);
}

} // namespace zelvan::orvane
