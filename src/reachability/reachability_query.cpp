// A reachability target of the monitor and the run loops on which it posts change notifications.
#include "reachability/reachability_query.h"

#include <utility>

#include "platform/foundation/notification_center.h"
#include "reachability/reachability.h"

namespace zelvan {

ReachabilityQuery::ReachabilityQuery(std::string hostNameOrAddress, std::shared_ptr<fnd::ReachabilityRef> ref,
                                     RefMaker maker)
    : hostNameOrAddress_(std::move(hostNameOrAddress)), ref_(std::move(ref)), maker_(std::move(maker)) {}

ReachabilityQuery::~ReachabilityQuery() {
    unscheduleFromAllRunLoops();
}

bool ReachabilityQuery::isScheduledOnRunLoop(const fnd::RunLoop& loop) const {
    for (const Scheduled& entry : scheduled_) {
        if (entry.identity == &loop && !entry.loop.expired()) {
            return true;
        }
    }
    return false;
}

void ReachabilityQuery::scheduleOnRunLoop(fnd::RunLoop& loop) {
    if (isScheduledOnRunLoop(loop)) {
        return;
    }
    // The first loop uses the query's own target; each further loop gets a target of its own.
    bool ownInUse = false;
    for (const Scheduled& entry : scheduled_) {
        ownInUse = ownInUse || (entry.ref == ref_ && !entry.loop.expired());
    }
    std::shared_ptr<fnd::ReachabilityRef> ref = ownInUse ? (maker_ ? maker_() : nullptr) : ref_;
    if (!ref) {
        return;
    }
    ref->setCallback([](fnd::ReachabilityRef&, fnd::ReachabilityFlags) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kNetworkReachabilityChangedNotification);
    });
    if (!ref->scheduleWithRunLoop(loop)) {
        return;
    }
    std::erase_if(scheduled_, [](const Scheduled& entry) { return entry.loop.expired(); });
    scheduled_.push_back(Scheduled{loop.weak_from_this(), &loop, std::move(ref)});
}

void ReachabilityQuery::unscheduleFromAllRunLoops() {
    for (Scheduled& entry : scheduled_) {
        if (auto loop = entry.loop.lock()) {
            entry.ref->unscheduleFromRunLoop(*loop);
        }
    }
    scheduled_.clear();
}

} // namespace zelvan
