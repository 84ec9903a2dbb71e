// Ad type codes to wire names and back.
#include "ads/selvo/sv_ad_type.h"

#include <array>
#include <utility>

namespace zelvan::selvo {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 9> kNames{{
    {SVAdTypeBanner, "banner"},
    {SVAdTypeText, "text"},
    {SVAdTypeInterstitial, "interstitial"},
    {SVAdTypeBannerImage, "bannerimage"},
    {SVAdTypeInterstitialImage, "interstitialimage"},
    {SVAdTypeTextBanner, "textbanner"},
    {SVAdTypeExpandableBanner, "expandablebanner"},
    {SVAdTypeAnimatedBanner, "animatedbanner"},
    {SVAdTypeSmallBanner, "banner"},
}};

} // namespace

std::optional<std::string> SVStringForAdType(int type) {
    for (const auto& [code, name] : kNames) {
        if (code == type) {
            return std::string(name);
        }
    }
    return std::nullopt;
}

int SVAdTypeForString(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    // The small banner comes last in the table, so "banner" finds 0 first.
    for (const auto& [code, wire] : kNames) {
        if (wire == lower) {
            return code;
        }
    }
    return SVAdTypeUnknown;
}

} // namespace zelvan::selvo
