// The offer client as the banner mediation reaches it: its core (the ad order, generic parameters and
// impressions) and its web service for house ads, both defined in mediation.cpp. Each notes what it did
// (the impressions reported, the addresses that answered), which the demo's summary reads
// (app/demo/ad_banner_report.h).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ads/mediation/house_ad_service.h"
#include "ads/mediation/mediation_types.h"

namespace zelvan::orvane {
class OrvaneContext;
}

namespace zelvan::app {

// Reaches the offer client through its entry points (nothing without its context). Main thread.
class OrvaneOfferCore final : public mediation::OfferCore {
public:
    std::optional<mediation::AdOrder> adOrder() const override;
    std::optional<std::vector<mediation::AdNetworkRef>> adNetworkArray() const override;
    std::vector<mediation::AdNetworkRef> fullPageAdNetworkArray() const override;
    float fullPageAdAngle() const override;
    std::optional<gfx::Point> coreLocation() const override;
    std::optional<gfx::Color> adsBackGroundColor() const override;
    fnd::Value genericParameters() const override;
    void adShownWithCampaignID(const std::string& campaignId) override;
    void directAdShownWithCampaignID(const std::string& campaignId) override;

    // One line per impression reported, oldest first.
    std::vector<std::string> sent;
};

// The service base, fetcher and reply parser of the offer client's context that `offers` returns.
class OrvaneHouseAdService final : public mediation::HouseAdService {
public:
    explicit OrvaneHouseAdService(std::function<std::shared_ptr<orvane::OrvaneContext>()> offers)
        : offers_(std::move(offers)) {}
    std::string serviceBase() const override;
    void fetch(const mediation::HouseAdFetch& request,
               std::function<void(mediation::HouseAdResult)> completion) override;
    fnd::Value parseXML(const fnd::Bytes& data) const override;
    mediation::HouseAd readHouseAd(const fnd::Value& element) const override;

    // The latest addresses (at most kFetchedKept) that answered, oldest first.
    const std::vector<std::string>& fetched() const { return *fetched_; }
    static constexpr size_t kFetchedKept = 16;

private:
    std::function<std::shared_ptr<orvane::OrvaneContext>()> offers_;
    std::shared_ptr<std::vector<std::string>> fetched_ = std::make_shared<std::vector<std::string>>();
};

} // namespace zelvan::app
