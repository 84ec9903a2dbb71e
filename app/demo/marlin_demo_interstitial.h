// The Marlin interstitial driven the way the full-page adapter will drive it - the delegate, the
// timeout, MNInit with the default server, MNDisplayAd, MNDealloc - for the demo, which may not reach
// into the ad network itself. It reports what the client fetched and what its delegate heard.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace zelvan::app {

class MarlinDemoInterstitial {
public:
    virtual ~MarlinDemoInterstitial() = default;
    // The client has an ad prefetched and is idle; or it told its delegate the connection failed.
    virtual bool prefetched() const = 0;
    virtual bool connectionFailed() const = 0;
    // MNDisplayAd's answer.
    virtual bool display() = 0;
    // The ad is on screen (WillOpen heard, its window shown, its animation view made).
    virtual bool onScreen() const = 0;
    // WillClose heard.
    virtual bool closed() const = 0;
    // The interstitial's own window, and its Menu button (null until placed).
    virtual std::shared_ptr<ui::Window> window() const = 0;
    virtual std::shared_ptr<ui::View> menuButton() const = 0;
    // The install and the prefetch, as lines for the demo's summary.
    virtual std::vector<std::string> report() const = 0;
    // MNDealloc.
    virtual void finish() = 0;
};

// Sets the delegate and starts the client; null when the client has no Marlin context or server.
std::shared_ptr<MarlinDemoInterstitial> startMarlinDemoInterstitial();

} // namespace zelvan::app
