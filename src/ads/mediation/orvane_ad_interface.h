// OrvaneAdInterface: fetches a house ad (an ad of the offer network itself) from the offer network's
// GetOrvaneAd web service for a controller's attempt, reads the XML reply and reports exactly once:
// orvaneAdReady with the ad, or loadNextAdInLine. HouseAdService (house_ad_service.h) is the offer client's
// side of it (its service address, fetcher and reply parser), adapted by the composition root. One per
// context, made by makeMediation.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/mediation/house_ad_service.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_types.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace zelvan::mediation {

class OrvaneAdInterface : public std::enable_shared_from_this<OrvaneAdInterface> {
public:
    static constexpr const char* kUserAgentFormat =
        "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like Gecko) Version/%@ "
        "Mobile/1A543a Safari/419.3";
    static constexpr const char* kAdPath = "/Service1.asmx/GetOrvaneAd";
    static constexpr double kTimeout = 20.0;

    explicit OrvaneAdInterface(std::weak_ptr<MediationContext> context) : context_(std::move(context)) {}

    // The bytes of the offer network's loosely written Base64 text (characters outside the alphabet skipped,
    // the first "=" ends it, a partial group without "=" dropped; none for an absent text).
    static fnd::Bytes dataWithBase64EncodedString(const std::optional<std::string>& text);
    static fnd::Bytes initWithBase64EncodedString(const std::optional<std::string>& text);

    // The installed context's instance; null without a context (mediation_entry_points.cpp).
    static std::shared_ptr<OrvaneAdInterface> sharedInstance();

    // The default request URL: the service base + kAdPath ("" without a service base).
    std::string adBaseURL() const;
    void setAdBaseURL(std::optional<std::string> url) { adBaseURL_ = std::move(url); }

    // Starts one house-ad request for the controller's attempt `token` with `bindings` as its query. A
    // network entry with a getAdURL is fetched at exactly that URL with no query. Without a service
    // (no ad host), nothing is sent and the attempt moves on at the next pass.
    void fetchOrvaneAd(const std::shared_ptr<ORVAdController>& controller, AttemptToken token,
                       const fnd::Value& bindings);
    // The request's end: reports the ad or moves the rotation on.
    void orvaneRequestDidReceiveData(const HouseAdResult& reply, ORVAdController& controller, AttemptToken token);
    // The house ad of a reply (one with a picture or HTML), or nullopt (logged) when the reply is no ad.
    std::optional<HouseAd> houseAdFromReply(const HouseAdResult& reply) const;

private:
    std::shared_ptr<HouseAdService> service() const;

    std::weak_ptr<MediationContext> context_;
    std::optional<std::string> adBaseURL_;
    bool noServiceLogged_ = false;
};

} // namespace zelvan::mediation
