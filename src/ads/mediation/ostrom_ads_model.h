// OstromAdsModel: the ad an Ostrom ad request names - the user id the server hands out (kept in the user
// defaults and sent back with later requests), the ad's id, type, image link and click link - read from
// the reply's "response" element as the XML parser gives it (a repeated element reads as its first; a
// value that is not text reads as "").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/value.h"

namespace zelvan::mediation {

class OstromAdsModel {
public:
    static constexpr const char* kUserIdKey = "ORV_OSTROM_USER_ID_KEY_NAME";

    OstromAdsModel() = default;
    // Reads `response`; a non-empty user id is stored under kUserIdKey.
    static OstromAdsModel initWithInfo(const fnd::Value& response);
    ~OstromAdsModel();
    OstromAdsModel(OstromAdsModel&&) = default;
    OstromAdsModel& operator=(OstromAdsModel&&) = default;

    bool adStatus = false;
    std::string userId, adId, adType, adClickLink, adImgLink;
    std::vector<std::string> beaconsList;
};

} // namespace zelvan::mediation
