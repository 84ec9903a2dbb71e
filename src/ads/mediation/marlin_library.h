// The Marlin interstitial client as the full-page adapter reaches it: its plain entry points and what it
// tells its delegate. The composition root adapts the real client; tests give a fake. Main thread.
#pragma once

#include <cstdint>
#include <memory>

namespace zelvan::mediation {

class MarlinListener {
public:
    virtual ~MarlinListener() = default;
    virtual void marlinDisplayWillOpen() {}
    virtual void marlinDisplayWillClose() {}
    virtual void marlinDidReceiveMemoryWarning() {}
    virtual void marlinAdDisplayFailed() {}
    virtual void marlinConnectionFailed() {}
};

class MarlinLibrary {
public:
    virtual ~MarlinLibrary() = default;
    // False when the client is not set up in this run.
    virtual bool available() = 0;
    virtual void MNInit(int64_t applicationId) = 0;
    virtual void MNSetDelegate(std::weak_ptr<MarlinListener> listener) = 0;
    virtual void MNSetTimeout(int seconds) = 0;
    virtual void MNSetRelativeRotation(float degrees) = 0;
    // Whether a display of the prefetched ad started.
    virtual bool MNDisplayAd() = 0;
    virtual void MNDealloc() = 0;
};

} // namespace zelvan::mediation
