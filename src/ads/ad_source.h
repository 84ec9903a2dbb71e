// AdSource: where the shared advertisement view takes its ad from. Each ad network plugs in as a
// source; the wrapper view asks it whether an ad is ready, takes its view and size, and listens for
// the moment an ad becomes available.
#pragma once

#include <functional>
#include <memory>

#include "platform/graphics/geometry.h"
#include "platform/ui/view.h"

namespace zelvan {

class AdSource {
public:
    virtual ~AdSource() = default;

    // Whether an ad is loaded and can be shown now.
    virtual bool isAdViewReady() const = 0;
    // The view showing the ad (null while none is ready).
    virtual std::shared_ptr<ui::View> adView() const = 0;
    // The size the ad wants to be shown at (zero while none is ready).
    virtual gfx::Size adSize() const = 0;
    // The wrapper view was put into a superview (again); a source may ask for a fresh ad then.
    virtual void wrapperMovedToSuperview() {}

    // Called by the source on the main thread each time an ad becomes ready; the wrapper view
    // installs it when it takes the source.
    std::function<void()> onAdAvailable;
};

} // namespace zelvan
