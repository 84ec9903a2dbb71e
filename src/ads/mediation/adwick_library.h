// The Adwick banner client as the mediation's Adwick adapter reaches it: the view class operation that
// starts a banner for a delegate, and the delegate's questions and answers. The composition root adapts
// the real client; tests give a fake.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"

namespace ui {
class View;
}

namespace zelvan::mediation {

// A latitude and longitude.
struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
    bool operator==(const GeoPoint&) const = default;
};

// What the banner client asks of and tells the object that placed the banner.
class AdwickBannerDelegate {
public:
    virtual ~AdwickBannerDelegate() = default;
    virtual std::optional<std::string> publisherId() = 0;
    virtual std::optional<gfx::Color> adBackgroundColor() = 0;
    virtual gfx::Color primaryTextColor() = 0;
    virtual gfx::Color secondaryTextColor() = 0;
    virtual std::optional<GeoPoint> location() = 0;
    virtual bool mayAskForLocation() = 0;
    // The first ad of `view` loaded or failed (once per view).
    virtual void didReceiveAd(ui::View& view) = 0;
    virtual void didFailToReceiveAd(ui::View& view) = 0;
};

// One banner of the client (it keeps what ties the banner to its delegate).
class AdwickBanner {
public:
    virtual ~AdwickBanner() = default;
    virtual std::shared_ptr<ui::View> view() = 0;
};

class AdwickLibrary {
public:
    virtual ~AdwickLibrary() = default;
    // A new banner whose first request has started; null when the client is not set up in this run.
    virtual std::shared_ptr<AdwickBanner> requestAdWithDelegate(std::weak_ptr<AdwickBannerDelegate> delegate) = 0;
};

} // namespace zelvan::mediation
