// TallioAd: one hook ad as the analytics server's reply describes it; an impression copies its ids and
// cookie when the ad is shown.
#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/bytes.h"

namespace zelvan::tallio {

struct TallioAd {
    int64_t adId = 0;
    int64_t projectId = 0;
    std::string adText;
    std::string advertiser;
    int64_t canvasId = 0;
    int64_t imageId = 0;
    int adCookieSize = 0;
    fnd::Bytes adCookie;
};

} // namespace zelvan::tallio
