// The Selvo ad type codes (one set for view kinds, requests, and an ad's type and subtype) and their
// names on the wire.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvan::selvo {

enum SVAdType : int {
    SVAdTypeBanner = 0,
    SVAdTypeSmallBanner = 1, // a view kind only
    SVAdTypeText = 2,
    SVAdTypeInterstitial = 3,
    SVAdTypeUnknown = 4, // an unrecognised name
    SVAdTypeBannerImage = 100,
    SVAdTypeInterstitialImage = 101,
    SVAdTypeTextBanner = 102,
    SVAdTypeExpandableBanner = 103,
    SVAdTypeAnimatedBanner = 104,
};

// The wire name of a code ("banner" for both 0 and 1); none for 4 and unknown codes.
std::optional<std::string> SVStringForAdType(int type);
// The code of a wire name, compared in lower case ("banner" gives 0, never 1); 4 for any other name.
int SVAdTypeForString(std::string_view name);

} // namespace zelvan::selvo
