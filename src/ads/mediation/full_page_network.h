// A full-page (interstitial) network as ORVFullPageAdsController drives it, and the notifications on the
// default centre that say how each show request ended. Main thread.
#pragma once

namespace zelvan::mediation {

inline constexpr const char* kFullPageAdFailureNotification = "ORV_FULL_PAGE_AD_FAILURE_NOTIFICATION";
inline constexpr const char* kFullPageAdOpenNotification = "ORV_FULL_PAGE_AD_OPEN_NOTIFICATION";
inline constexpr const char* kFullPageAdCloseNotification = "ORV_FULL_PAGE_AD_CLOSE_NOTIFICATION";

// A full-page network as the controller drives it.
class FullPageNetwork {
public:
    virtual ~FullPageNetwork() = default;
    virtual void showFullpageAd() = 0;
    virtual void setFullPagenNetworkOrientation(float angle) = 0;
};

} // namespace zelvan::mediation
