// The Kavlo front of one query of the product's reachability monitor.
#include "analytics/kavlo/kavlo_reachability_query.h"

#include <utility>

#include "reachability/reachability_query.h"

namespace zelvan::kavlo {

KavloReachabilityQuery::KavloReachabilityQuery(std::shared_ptr<ReachabilityQuery> query, bool notificationsEnabled)
    : query_(std::move(query)), notificationsEnabled_(notificationsEnabled) {}

const std::string& KavloReachabilityQuery::hostNameOrAddress() const {
    return query_->hostNameOrAddress();
}

const std::shared_ptr<fnd::ReachabilityRef>& KavloReachabilityQuery::reachabilityRef() const {
    return query_->reachabilityRef();
}

void KavloReachabilityQuery::scheduleOnRunLoop(fnd::RunLoop* loop) {
    if (notificationsEnabled_ && loop != nullptr && !isScheduledOnRunLoop(*loop)) {
        startListeningForReachabilityChanges(reachabilityRef(), loop);
    }
}

bool KavloReachabilityQuery::isScheduledOnRunLoop(const fnd::RunLoop& loop) const {
    return query_->isScheduledOnRunLoop(loop);
}

fnd::RunLoop*
KavloReachabilityQuery::startListeningForReachabilityChanges(const std::shared_ptr<fnd::ReachabilityRef>& ref,
                                                             fnd::RunLoop* loop) {
    if (!ref || loop == nullptr || ref != query_->reachabilityRef()) {
        return nullptr;
    }
    query_->scheduleOnRunLoop(*loop);
    return loop;
}

} // namespace zelvan::kavlo
