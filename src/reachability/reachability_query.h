// ReachabilityQuery: one reachability target of the monitor (a host name, an address or a fixed key) with
// the run loops it listens on. A target schedules on one loop at a time, so the query keeps one target per
// loop it is scheduled on.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/reachability.h"
#include "platform/foundation/run_loop.h"

namespace zelvan {

class ReachabilityQuery {
public:
    // Makes another target for the same host or address (for a further run loop); null on failure.
    using RefMaker = std::function<std::shared_ptr<fnd::ReachabilityRef>()>;

    ReachabilityQuery(std::string hostNameOrAddress, std::shared_ptr<fnd::ReachabilityRef> ref, RefMaker maker);
    ~ReachabilityQuery();
    ReachabilityQuery(const ReachabilityQuery&) = delete;
    ReachabilityQuery& operator=(const ReachabilityQuery&) = delete;

    const std::string& hostNameOrAddress() const { return hostNameOrAddress_; }
    // The target flags are read from.
    const std::shared_ptr<fnd::ReachabilityRef>& reachabilityRef() const { return ref_; }

    bool isScheduledOnRunLoop(const fnd::RunLoop& loop) const;
    // How many run loops the query listens on.
    size_t runLoopCount() const { return scheduled_.size(); }
    // Listens on `loop` (once per loop): a change of the flags posts
    // "kNetworkReachabilityChangedNotification" on the default center, on that loop's thread.
    void scheduleOnRunLoop(fnd::RunLoop& loop);
    // Stops listening on every loop and forgets them.
    void unscheduleFromAllRunLoops();

private:
    struct Scheduled {
        std::weak_ptr<fnd::RunLoop> loop;
        const fnd::RunLoop* identity = nullptr;
        std::shared_ptr<fnd::ReachabilityRef> ref;
    };

    std::string hostNameOrAddress_;
    std::shared_ptr<fnd::ReachabilityRef> ref_;
    RefMaker maker_;
    std::vector<Scheduled> scheduled_;
};

} // namespace zelvan
