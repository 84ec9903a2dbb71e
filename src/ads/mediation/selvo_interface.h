// SelvoInterface: a Selvo banner by one plain HTTP GET of the Selvo ad server's "/adserver/render": the
// reply's image URL, click URL and size are kept here and the controller's selvoAdReady builds the ad from
// them; a reply without both URLs, or a transport error, moves the rotation on. One shared instance per
// mediation context, made by makeMediation; nothing in the client starts it (the "selvo" key has its own adapter), a
// test or a caller sets its controller. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/mediation/house_ad_service.h"
#include "ads/mediation/mediation_context.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::mediation {

class SelvoInterface : public std::enable_shared_from_this<SelvoInterface> {
public:
    static constexpr double kTimeout = 10.0;
    // Under the Selvo host's prefix of the ads base.
    static constexpr const char* kPrefix = "/selvo";
    static constexpr const char* kPath = "/adserver/render";
    static constexpr const char* kUserAgent = "Mozilla/5.0 (iPhone; U; CPU iPhone OS 2_2 like Mac OS X; en-us) "
                                              "AppleWebKit/525.18.1 (KHTML, like Gecko) Mobile/5G77";
    static constexpr const char* kIp = "192.168.1.1";

    explicit SelvoInterface(std::weak_ptr<MediationContext> context) : context_(std::move(context)) {}

    // The installed context's instance; null without a context (mediation_entry_points.cpp).
    static std::shared_ptr<SelvoInterface> sharedInstance();
    // The ad host + "/selvo/adserver/render" ("" without an ad host).
    std::string baseURL() const;
    // "pid" (the controller's network's first game id), the fixed "ua" and "uip", "fmt" "xml", "adm" "b",
    // "test" "1".
    fnd::Value bindings() const;

    // The controller and attempt the next fetch reports to.
    void setAdController(std::weak_ptr<ORVAdController> controller, AttemptToken token);
    std::shared_ptr<ORVAdController> adController() const { return adController_.lock(); }
    // Starts the request; without an ad host nothing is sent and the attempt moves on at the next pass.
    bool fetchAd();
    // The request's end: selvoAdReady with this reply's URLs and size, or loadNextAdInLine.
    void processResponse(const HouseAdResult& reply);
    // Reads a reply into the fields; true when both URLs are there.
    bool _parseAdResponse(const fnd::Bytes& data);

    static std::optional<std::string> substringBetween(const char* start, const char* end, bool caseSensitive,
                                                       const std::string& source);
    void reset();
    bool hasError() const { return error_.has_value(); }
    const std::optional<fnd::Error>& error() const { return error_; }
    const std::string& clickURL() const { return clickURL_; }
    const std::string& bannerURL() const { return bannerURL_; }
    int adWidth() const { return adWidth_; }
    int adHeight() const { return adHeight_; }
    bool hasAdAvailable() const { return hasAdAvailable_; }

private:
    std::weak_ptr<MediationContext> context_;
    std::weak_ptr<ORVAdController> adController_;
    AttemptToken token_ = 0;
    std::string clickURL_, bannerURL_;
    int adWidth_ = 300;
    int adHeight_ = 50;
    bool hasAdAvailable_ = false;
    std::optional<fnd::Error> error_;
};

} // namespace zelvan::mediation
