// zelvan::marlin::MarlinDelegate: what an application hears from the interstitial client; every call does
// nothing unless overridden.
#pragma once

namespace zelvan::marlin {

class MarlinDelegate {
public:
    virtual ~MarlinDelegate() = default;
    virtual void marlinDisplayWillOpen() {}
    virtual void marlinDisplayDidOpen() {}
    virtual void marlinDisplayWillClose() {}
    virtual void marlinDisplayDidClose() {}
    virtual void marlinConnectionFailed() {}
    virtual void marlinAdDisplayFailed() {}
    virtual void marlinDidReceiveMemoryWarning() {}
};

} // namespace zelvan::marlin
