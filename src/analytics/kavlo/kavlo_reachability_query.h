// KavloReachabilityQuery: the Kavlo client's view of one cached query of the product's reachability
// monitor (a host name, an address or a fixed key, with the run loops it listens on).
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/reachability.h"
#include "platform/foundation/run_loop.h"

namespace zelvan {
class ReachabilityQuery;
}

namespace zelvan::kavlo {

class KavloReachabilityQuery {
public:
    // `notificationsEnabled` is the Kavlo front's switch (off in this client): without it nothing listens.
    KavloReachabilityQuery(std::shared_ptr<ReachabilityQuery> query, bool notificationsEnabled);

    const std::string& hostNameOrAddress() const;
    const std::shared_ptr<fnd::ReachabilityRef>& reachabilityRef() const;

    // Listens on `loop` while notifications are on, once per loop.
    void scheduleOnRunLoop(fnd::RunLoop* loop);
    bool isScheduledOnRunLoop(const fnd::RunLoop& loop) const;
    // Starts `ref`'s changes being posted on `loop`; returns the loop, or null for a missing reference or
    // loop or a reference other than this query's.
    fnd::RunLoop* startListeningForReachabilityChanges(const std::shared_ptr<fnd::ReachabilityRef>& ref,
                                                       fnd::RunLoop* loop);

private:
    std::shared_ptr<ReachabilityQuery> query_;
    bool notificationsEnabled_;
};

} // namespace zelvan::kavlo
