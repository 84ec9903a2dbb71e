// The hook-ad banner in the shared ad view, where the feature list's "tallio" put it, for the demo, which may
// not reach into the analytics client itself. It touches the banner, waits for the canvas page and its
// panel, follows the page's store link, and reports what it asked.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/zelvan_app_delegate.h"
#include "platform/ui/view.h"

namespace zelvan::app {

class TallioDemoAd {
public:
    virtual ~TallioDemoAd() = default;
    // Whether the start-up report's reply has been parsed (the banner can get its ad).
    virtual bool replyParsed() const = 0;
    // Whether the shared ad view holds the hook-ad banner.
    virtual bool inAdView() const = 0;
    // Whether the shared ad view shows the banner's ad.
    virtual bool adAvailable() const = 0;
    // Touches the banner: its canvas opens; true when one opened.
    virtual bool touch() = 0;
    // Whether the canvas page loaded and its panel of further banners is laid.
    virtual bool canvasLoaded() const = 0;
    // Asks for the page's store link as a tap on it would; true when the canvas took it over.
    virtual bool followStoreLink() = 0;
    // Whether the system was asked to open the store address.
    virtual bool storeOpened() const = 0;
    // Back to the host screen.
    virtual void close() = 0;
    // The canvas page and the store address opened, as lines for the demo's summary.
    virtual std::vector<std::string> report() const = 0;
};

// Null when the client has no analytics context or no shared ad view.
std::shared_ptr<TallioDemoAd> makeTallioDemoAd(zelvanAppDelegate& delegate);

} // namespace zelvan::app
