// AdwickFlexAd: a rich ad built from a reply's "markup" table, shown by its own container view, and the
// factory that builds one. Without a factory installed in the context a rich reply fails the ad.
#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"

namespace ui {
class View;
}

namespace zelvan::adwick {

class AdwickDelegate;
class AdwickFlexAd;

class AdwickFlexAdDelegate {
public:
    virtual ~AdwickFlexAdDelegate() = default;
    virtual void flexAdDidLoad(AdwickFlexAd& flexAd) = 0;
    virtual void flexAdDidFailLoadWithError(AdwickFlexAd& flexAd, const fnd::Error& error) = 0;
};

class AdwickFlexAd {
public:
    virtual ~AdwickFlexAd() = default;
    // The view that shows the rich ad (given its ad and controller by the ad controller).
    virtual std::shared_ptr<ui::View> containerView() = 0;
    // Stops loading; no delegate call follows.
    virtual void cancel() {}
};

// Builds a flex ad from `markup` in `frame`; it reports to `delegate` and reads `publisher`.
using AdwickFlexAdFactory =
    std::function<std::shared_ptr<AdwickFlexAd>(const fnd::Value& markup, std::weak_ptr<AdwickFlexAdDelegate> delegate,
                                                std::weak_ptr<AdwickDelegate> publisher, gfx::Rect frame)>;

} // namespace zelvan::adwick
