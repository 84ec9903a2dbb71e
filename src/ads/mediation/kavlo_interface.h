// KavloInterface: the "kavlo" banner network served by one plain HTTP GET to the Kavlo ad server (the
// ad host's "/kavlo" root). A reply holding a link ("<a href=" in any case) goes to the controller as an
// HTML page (kavloAdReady); anything else, a transport error included, moves the rotation on. One shared
// instance per mediation context, made by makeMediation and handed to the "kavlo" starter; it keeps no
// per-attempt state beyond the running requests. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/mediation/house_ad_service.h"
#include "ads/mediation/mediation_context.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::mediation {

class KavloInterface : public std::enable_shared_from_this<KavloInterface> {
public:
    static constexpr double kTimeout = 10.0;
    static constexpr const char* kPrefix = "/kavlo";
    static constexpr const char* kIp = "123.456.789.123";
    static constexpr const char* kUserAgent =
        "Mozilla%2F5.0+%28iPhone%3B+U%3B+CPU+iPhone+OS+2_2+like+Mac+OS+X%3B+en-us%29+AppleWebKit%2F525.18.1+%28KHTML"
        "%2C+like+Gecko%29+Version%2F3.1.1+Mobile%2F5G77+Safari%2F525.20";
    static constexpr const char* kLocation = "12,34";

    explicit KavloInterface(std::weak_ptr<MediationContext> context) : context_(std::move(context)) {}

    // The installed context's instance; null without a context (mediation_entry_points.cpp).
    static std::shared_ptr<KavloInterface> sharedInstance();
    // The Kavlo ad server: the ad host + "/kavlo" ("" without an ad host).
    std::string baseURL() const;
    // The query: "a" (the network's second game id), "u" (the device), and the fixed "ip", "ua", "ll".
    fnd::Value bindings(const ORVAdController& controller) const;

    // Starts the request for the controller's attempt `token`; without an ad host nothing is sent and
    // the attempt moves on at the next pass.
    void fetchAd(const std::shared_ptr<ORVAdController>& controller, AttemptToken token);
    // The request's end: kavloAdReady with the body, or loadNextAdInLine.
    void processResponse(const HouseAdResult& reply, ORVAdController& controller, AttemptToken token);

    // Not on the request path: keeps the body when it is an ad.
    bool _parseAdResponse(const fnd::Bytes& data);
    const std::string& htmlForAd() const { return htmlString_; }
    static std::optional<std::string> substringBetween(const char* start, const char* end, bool caseSensitive,
                                                       const std::string& source);
    void reset();
    bool hasError() const { return error_.has_value(); }
    const std::optional<fnd::Error>& error() const { return error_; }
    int adWidth() const { return adWidth_; }
    int adHeight() const { return adHeight_; }
    bool hasAdAvailable() const { return hasAdAvailable_; }

private:
    std::weak_ptr<MediationContext> context_;
    std::string clickURL_, bannerURL_, htmlString_;
    int adWidth_ = 300;
    int adHeight_ = 50;
    bool hasAdAvailable_ = false;
    std::optional<fnd::Error> error_;
};

} // namespace zelvan::mediation
