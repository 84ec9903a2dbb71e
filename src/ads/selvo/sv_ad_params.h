// SVAdParams: one request's parameters (the keys the cache stores with each ad), and the placement names.
#pragma once

#include <optional>
#include <string>

namespace zelvan::selvo {

enum SVAdPlacement : int {
    SVAdPlacementTop = 0,
    SVAdPlacementMiddle = 1,
    SVAdPlacementBottom = 2,
    SVAdPlacementUnknown = 3
};

class SVAdParams {
public:
    // A section given as none is kept as "unknown".
    SVAdParams(int type, std::string pubid, std::string siteid, int placement, std::optional<std::string> section,
               int size);

    // "top", "middle", "bottom"; "unknown" for 3 and anything else.
    static std::string placementAsString(int placement);

    int type() const { return type_; }
    const std::string& pubid() const { return pubid_; }
    const std::string& siteid() const { return siteid_; }
    int placement() const { return placement_; }
    const std::string& section() const { return section_; }
    int size() const { return size_; }

private:
    int type_;
    std::string pubid_;
    std::string siteid_;
    int placement_;
    std::string section_;
    int size_;
};

} // namespace zelvan::selvo
