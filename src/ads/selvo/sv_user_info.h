// The request user info that travels with every Selvo download: its keys (the device part's are in
// sv_device_info.h), the context's device part, and the dictionary an ad view builds from its ids and its
// demographics source.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ads/selvo/sv_device_info.h"
#include "platform/foundation/date.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

inline constexpr std::string_view SVAdRequestPublisherIDKey = "SVAdRequestPublisherIDKey";
inline constexpr std::string_view SVAdRequestSiteIDKey = "SVAdRequestSiteIDKey";
inline constexpr std::string_view SVAdRequestPlacementKey = "SVAdRequestPlacementKey";
inline constexpr std::string_view SVAdRequestSectionKey = "SVAdRequestSectionKey";
inline constexpr std::string_view SVAdRequestZipcodeKey = "SVAdRequestZipcodeKey";
inline constexpr std::string_view SVAdRequestDMAKey = "SVAdRequestDMAKey";
inline constexpr std::string_view SVAdRequestAreaKey = "SVAdRequestAreaKey";
inline constexpr std::string_view SVAdRequestMDNKey = "SVAdRequestMDNKey";
inline constexpr std::string_view SVAdRequestEthnicityKey = "SVAdRequestEthnicityKey";
inline constexpr std::string_view SVAdRequestAgeKey = "SVAdRequestAgeKey";
inline constexpr std::string_view SVAdRequestBirthDateKey = "SVAdRequestBirthDateKey";
inline constexpr std::string_view SVAdRequestLocationLatitudeKey = "SVAdRequestLocationLatitudeKey";
inline constexpr std::string_view SVAdRequestLocationLongitudeKey = "SVAdRequestLocationLongitudeKey";
inline constexpr std::string_view SVAdRequestGenderKey = "SVAdRequestGenderKey";
inline constexpr std::string_view SVAdRequestIncomeKey = "SVAdRequestIncomeKey";
inline constexpr std::string_view SVAdRequestEducationKey = "SVAdRequestEducationKey";

// The demographic answers an ad view's delegate may give; each answers none unless overridden.
class SVDemographics {
public:
    virtual ~SVDemographics() = default;
    virtual std::optional<std::string> zipcode() const { return std::nullopt; }
    virtual std::optional<std::string> dma() const { return std::nullopt; }
    virtual std::optional<std::string> area() const { return std::nullopt; }
    virtual std::optional<std::string> mdn() const { return std::nullopt; }
    virtual std::optional<int> ethnicity() const { return std::nullopt; }
    virtual std::optional<unsigned> age() const { return std::nullopt; }
    virtual std::optional<fnd::Date> birthdate() const { return std::nullopt; }
    virtual std::optional<double> latitude() const { return std::nullopt; }
    virtual std::optional<double> longitude() const { return std::nullopt; }
    // 0 female, 1 male; anything else sends nothing.
    virtual std::optional<int> gender() const { return std::nullopt; }
    virtual std::optional<unsigned> income() const { return std::nullopt; }
    virtual std::optional<int> education() const { return std::nullopt; }
};

// A fresh deep copy of the context's device part.
fnd::Value SVUserInfoWithDeviceInfo(const SelvoContext& context);
// Age bucket: 0 up to 17, 1 for 18-24, 2 for 25-34, 3 for 35-49, 4 for 50-54, 5 from 55.
int SVAgeBucket(unsigned age);

// The user info of one request: the device part, then the view's ids, placement (not sent for 3) and
// section, then the demographic answers in key order. Without `demographics` it stops after the section.
fnd::Value SVUserInfoDictionary(const SelvoContext& context, std::string_view publisherID, std::string_view siteID,
                                int placement, std::string_view section, const SVDemographics* demographics);

} // namespace zelvan::selvo
