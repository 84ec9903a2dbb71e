// SVAdViewNotifier: what the request, prefetch and report operations ask of the ad view that queued them -
// the three delegate notifications and the request parameters of a prefetch. Operations hold it weakly and
// check it is still there before every call, so a view may go while its operation runs.
#pragma once

#include <optional>
#include <string>

#include "platform/foundation/error.h"

namespace zelvan::selvo {

class SVAdViewNotifier {
public:
    virtual ~SVAdViewNotifier() = default;

    // Called on the operation's thread.
    virtual void notifyDelegateWillRequestAd() {}
    virtual void notifyDelegateWillRefreshCache() {}
    virtual void notifyDelegateFailedWithError(const fnd::Error& error) { (void)error; }

    // The view's request parameters, which a prefetch caches its ads under.
    virtual int requestAdType() const = 0;
    virtual std::string publisherID() const = 0;
    virtual std::string siteID() const = 0;
    virtual int placement() const = 0;
    virtual std::optional<std::string> section() const = 0;
    virtual int msize() const = 0;
};

} // namespace zelvan::selvo
