// The banner client's delegate interfaces: AdwickDelegate, what the publisher's object answers (publisher
// id, request keys, colours, spinner style, location permission) and hears (the first ad); AdwickAdDelegate,
// what an ad record reports to (its owner); AdwickFlexAdDelegate, what a rich ad reports to (its ad record);
// and AdwickRichAd, what an ad record holds of the rich ad it had built. An optional query answers nullopt
// when the delegate does not answer it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/date.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

namespace device {
class Location;
}
namespace ui {
class View;
}

namespace zelvan::adwick {

class AdwickAd;
class AdwickFlexAd;
class AdwickView;

class AdwickDelegate {
public:
    virtual ~AdwickDelegate() = default;

    // Query key "s" of every request; nullopt when the publisher gives none.
    virtual std::optional<std::string> publisherId() = 0;

    // Sent once, when the first ad has loaded (before it is shown) or failed.
    virtual void didReceiveAd(AdwickView& /*view*/) {}
    virtual void didFailToReceiveAd(AdwickView& /*view*/) {}

    virtual std::optional<gfx::Color> adBackgroundColor() { return std::nullopt; }
    virtual std::optional<gfx::Color> primaryTextColor() { return std::nullopt; }
    virtual std::optional<gfx::Color> secondaryTextColor() { return std::nullopt; }
    virtual std::optional<bool> useGraySpinner() { return std::nullopt; }
    virtual std::optional<bool> mayAskForLocation() { return std::nullopt; }
    // Answered with a null location: none is sent.
    virtual std::optional<std::shared_ptr<device::Location>> location() { return std::nullopt; }
    virtual std::optional<bool> useTestAd() { return std::nullopt; }
    virtual std::optional<std::string> testAdAction() { return std::nullopt; }
    virtual std::optional<std::string> postalCode() { return std::nullopt; }
    virtual std::optional<std::string> areaCode() { return std::nullopt; }
    virtual std::optional<fnd::Date> dateOfBirth() { return std::nullopt; }
    virtual std::optional<std::string> gender() { return std::nullopt; }
    virtual std::optional<std::string> keywords() { return std::nullopt; }
    virtual std::optional<std::string> searchString() { return std::nullopt; }
    virtual std::optional<int> embeddedWebViewBarStyle() { return std::nullopt; }
    virtual std::optional<gfx::Color> embeddedWebViewTintColor() { return std::nullopt; }
    // Replaces the whole ad server endpoint URL.
    virtual std::optional<std::string> adserverEndpoint() { return std::nullopt; }
};

class AdwickAdDelegate {
public:
    virtual ~AdwickAdDelegate() = default;

    // The size of a rich ad, in points.
    virtual gfx::Size adSize() = 0;
    virtual void adDidLoad(AdwickAd& ad) = 0;
    virtual void adDidFailToLoad(AdwickAd& ad) = 0;
    // `response` is the decoded click reply (null when it did not decode as a table).
    virtual void clickDidSucceed(AdwickAd& ad, const fnd::Value& response) = 0;
    virtual void clickDidFail(AdwickAd& ad) = 0;
    // Optional: answers false when not handled.
    virtual bool displaySearchWithAd(AdwickAd& /*ad*/, const std::string& /*placeholderText*/,
                                     const std::string& /*webpageURL*/) {
        return false;
    }
};

class AdwickFlexAdDelegate {
public:
    virtual ~AdwickFlexAdDelegate() = default;
    virtual void flexAdDidLoad(AdwickFlexAd& flexAd) = 0;
    virtual void flexAdDidFailLoadWithError(AdwickFlexAd& flexAd, const fnd::Error& error) = 0;
};

// A rich ad (AdwickFlexAd) as the ad record that asked for it sees it.
class AdwickRichAd {
public:
    virtual ~AdwickRichAd() = default;
    // The view that shows the rich ad; once handed out it is held only by whoever shows it.
    virtual std::shared_ptr<ui::View> containerView() = 0;
    // Stops loading; no delegate call follows.
    virtual void cancel() = 0;
};

} // namespace zelvan::adwick
