// HouseAdService: the offer client's web service as the mediation's XML and plain-HTTP ad requests reach it
// - its service address, an HTTP GET with a completion, and its XML reply parser - with the request and
// reply records. The composition root adapts the offer client to it; tests give their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ads/mediation/mediation_types.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::mediation {

// One request of the house-ad service: an HTTP GET of `url` with `parameters` (a dictionary, or Null for
// none) as its query.
struct HouseAdFetch {
    std::string url;
    fnd::Value parameters;
    std::string userAgent;
    double timeout = 20.0;
};

// What a request brought back: the HTTP status with the body.
struct HouseAdReply {
    int64_t statusCode = 0;
    fnd::Bytes data;
};

// How a request ended: its reply, or the transport error.
using HouseAdResult = fnd::Result<HouseAdReply>;

class HouseAdService {
public:
    virtual ~HouseAdService() = default;
    // The offer network's web-service base ("" when no ad host is configured).
    virtual std::string serviceBase() const = 0;
    // Starts the request; `completion` runs once on the main thread.
    virtual void fetch(const HouseAdFetch& request, std::function<void(HouseAdResult)> completion) = 0;
    // The reply read into nested dictionaries (an empty dictionary when it does not parse).
    virtual fnd::Value parseXML(const fnd::Bytes& data) const = 0;
    // The fields of an "OrvaneAdObject" element (Null: an empty ad).
    virtual HouseAd readHouseAd(const fnd::Value& element) const = 0;
};

} // namespace zelvan::mediation
