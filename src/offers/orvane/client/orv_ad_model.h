// The banner mediation and full-page ads as the client core drives them: the per-event controller
// registry (ORVAdModel), one event's controller, its banner host view and the full-page controller. The
// mediation implements them; the context holds the ones the host installed (none until then).
#pragma once

#include <memory>

#include "platform/graphics/geometry.h"

namespace ui {
class View;
}

namespace zelvan::orvane {

// The view a controller shows its banners in.
class ORVBannerHost {
public:
    virtual ~ORVBannerHost() = default;
    virtual int setCanRotateFlagAndReturn() = 0;
};

// One event's banner controller, rotating over the ad order's networks.
class ORVAdController {
public:
    virtual ~ORVAdController() = default;
    virtual void setCurrentEventID(int eventId) = 0;
    virtual void setCurrentAdProviderIndex(int index) = 0;
    virtual void preLoadAd() = 0;
    // The banner view for the event's slot (null when it has none).
    virtual std::shared_ptr<ui::View> broadcastAd(int eventId) = 0;
    virtual std::shared_ptr<ORVBannerHost> hostView() = 0;
    virtual bool areAdsRotating() const = 0;
};

// The per-event controllers.
class ORVAdModel {
public:
    virtual ~ORVAdModel() = default;
    virtual void resetAdController(int eventId) = 0;
    // The event's controller, or null.
    virtual std::shared_ptr<ORVAdController> getAdController(int eventId) = 0;
    // Drops every controller (the session object's end).
    virtual void destroy() = 0;
};

// Full-page ads over the order's full-page networks.
class ORVFullPageAdsController {
public:
    virtual ~ORVFullPageAdsController() = default;
    virtual void initFullScreenAdNetworks() = 0;
    virtual void showFullScreenAd() = 0;
    virtual void setFullPagenNetworkOrientation(float angle) = 0;
    virtual void destroy() = 0;
};

} // namespace zelvan::orvane
