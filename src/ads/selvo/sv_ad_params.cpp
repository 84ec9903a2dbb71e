// One request's parameters and the placement names.
#include "ads/selvo/sv_ad_params.h"

#include <utility>

namespace zelvan::selvo {

SVAdParams::SVAdParams(int type, std::string pubid, std::string siteid, int placement,
                       std::optional<std::string> section, int size)
    : type_(type), pubid_(std::move(pubid)), siteid_(std::move(siteid)), placement_(placement),
      section_(section ? std::move(*section) : "unknown"), size_(size) {}

std::string SVAdParams::placementAsString(int placement) {
    switch (placement) {
    case SVAdPlacementTop:
        return "top";
    case SVAdPlacementMiddle:
        return "middle";
    case SVAdPlacementBottom:
        return "bottom";
    default:
        return "unknown";
    }
}

} // namespace zelvan::selvo
