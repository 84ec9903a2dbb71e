// The offer wall's list call: GetOffers on the offer service with the generic parameters, the publisher
// user id and "start" / "max", and the reading of its reply into offers and video offers.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_records.h"
#include "platform/foundation/value.h"

namespace zelvan::orvane {

inline constexpr const char* kORVOfferListMethod = "GetOffers";
inline constexpr const char* kORVAppIconMethod = "GetAppIcon";

struct ORVOfferList {
    std::vector<ORVOfferReturnClass> offers; // without a video URL
    std::vector<ORVOfferReturnClass> videos; // with one
};

// The offers of a usable reply's envelope ("OfferArray" of "OfferClass"); an element that is not a
// record or has no name or no offer id is left out.
ORVOfferList readOfferList(const fnd::Value& envelope);
// The offers of a reply body that came with HTTP `status`; none when the reply is not usable.
std::optional<ORVOfferList> readOfferListReply(int status, std::span<const uint8_t> body);

// Sends GetOffers for `publisherUserId` (offers from `start`, at most `max`) and hands the read list, or
// none for a failed call (one WARN line), to `done` on the main run loop. Without a context `done` gets
// none on the next pass.
void requestOfferList(const std::string& publisherUserId, int start, int max,
                      std::function<void(std::optional<ORVOfferList>)> done);

// The address of a row icon: "<service base>/Service1.asmx/GetAppIcon?AppID=<id>" ("" without a base).
std::string appIconURL(const std::string& advertiserAppId);

} // namespace zelvan::orvane
