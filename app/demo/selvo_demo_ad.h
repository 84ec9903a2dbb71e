// A Selvo ad shown the way the banner mediation will show one - a small-banner view with the ad host's
// ids, test mode and verbose logging off, a black background - for the demo, which may not reach into the
// ad network itself. It reports what the view asked the ad host and what it shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/zelvan_app_delegate.h"
#include "platform/ui/view.h"

namespace zelvan::app {

class SelvoDemoAd {
public:
    virtual ~SelvoDemoAd() = default;
    // The ad view (320 x 50), not yet in any view tree.
    virtual std::shared_ptr<ui::View> view() const = 0;
    // Whether the view has told its delegate adView:didDisplayAd:.
    virtual bool displayed() const = 0;
    // The render request and the ad shown, as lines for the demo's summary.
    virtual std::vector<std::string> report() const = 0;
};

// Makes the view and asks it for an ad; null when the client has no Selvo context.
std::shared_ptr<SelvoDemoAd> showSelvoDemoAd(zelvanAppDelegate& delegate);

} // namespace zelvan::app
