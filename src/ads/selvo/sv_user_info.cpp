// The request user info: the context's device part and the per-request dictionary.
#include "ads/selvo/sv_user_info.h"

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad_params.h"

namespace zelvan::selvo {
namespace {

void setNonEmpty(fnd::Dictionary& info, std::string_view key, const std::optional<std::string>& value) {
    if (value && !value->empty()) {
        info.setObject(*value, key);
    }
}

} // namespace

fnd::Value SVUserInfoWithDeviceInfo(const SelvoContext& context) {
    return context.deviceInfo();
}

int SVAgeBucket(unsigned age) {
    if (age <= 17) {
        return 0;
    }
    if (age <= 24) {
        return 1;
    }
    if (age <= 34) {
        return 2;
    }
    if (age <= 49) {
        return 3;
    }
    return age <= 54 ? 4 : 5;
}

fnd::Value SVUserInfoDictionary(const SelvoContext& context, std::string_view publisherID, std::string_view siteID,
                                int placement, std::string_view section, const SVDemographics* demographics) {
    fnd::Value value = SVUserInfoWithDeviceInfo(context);
    auto& info = *value.asDictionary();
    setNonEmpty(info, SVAdRequestPublisherIDKey, std::string(publisherID));
    setNonEmpty(info, SVAdRequestSiteIDKey, std::string(siteID));
    if (placement != SVAdPlacementUnknown) {
        info.setObject(SVAdParams::placementAsString(placement), SVAdRequestPlacementKey);
    }
    setNonEmpty(info, SVAdRequestSectionKey, std::string(section));
    if (demographics == nullptr) {
        return value;
    }
    const SVDemographics& d = *demographics;
    setNonEmpty(info, SVAdRequestZipcodeKey, d.zipcode());
    setNonEmpty(info, SVAdRequestDMAKey, d.dma());
    setNonEmpty(info, SVAdRequestAreaKey, d.area());
    setNonEmpty(info, SVAdRequestMDNKey, d.mdn());
    if (auto ethnicity = d.ethnicity()) {
        info.setObject(*ethnicity, SVAdRequestEthnicityKey);
    }
    if (auto age = d.age()) {
        info.setObject(SVAgeBucket(*age), SVAdRequestAgeKey);
    }
    if (auto birthdate = d.birthdate()) {
        info.setObject(*birthdate, SVAdRequestBirthDateKey);
    }
    if (auto latitude = d.latitude()) {
        info.setObject(*latitude, SVAdRequestLocationLatitudeKey);
    }
    if (auto longitude = d.longitude()) {
        info.setObject(*longitude, SVAdRequestLocationLongitudeKey);
    }
    if (auto gender = d.gender(); gender && (*gender == 0 || *gender == 1)) {
        info.setObject(*gender == 0 ? "f" : "m", SVAdRequestGenderKey);
    }
    if (auto income = d.income(); income && *income != 0) {
        info.setObject(*income, SVAdRequestIncomeKey);
    }
    if (auto education = d.education(); education && *education != 3) {
        info.setObject(*education, SVAdRequestEducationKey);
    }
    return value;
}

} // namespace zelvan::selvo
