// The Ostrom ad as its reply names it.
#include "ads/mediation/ostrom_ads_model.h"

#include "ads/mediation/house_ad_reply.h"
#include "ads/mediation/med_log.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/user_defaults.h"

namespace zelvan::mediation {

OstromAdsModel OstromAdsModel::initWithInfo(const fnd::Value& response) {
    MED_LOG(4, "Recieved Ostrom's XML data response now populating the properties");
    OstromAdsModel model;
    const fnd::Value user = xmlElement(response, "user");
    if (!user.isNull()) {
        model.userId = xmlText(user, "id");
        if (!model.userId.empty()) {
            fnd::UserDefaults::standard().setObject(fnd::Value(model.userId), kUserIdKey);
        }
    }
    const fnd::Value ad = xmlElement(xmlElement(response, "ads"), "ad");
    if (!ad.isNull()) {
        model.adId = xmlText(ad, "id");
        model.adImgLink = xmlText(ad, "link");
        model.adType = xmlText(ad, "type");
        const fnd::Value action = xmlElement(ad, "action");
        if (!action.isNull()) {
            model.adClickLink = xmlText(action, "target");
        }
    }
    MED_LOG(4, "Ostrom Image URL =%@ ", model.adImgLink);
    MED_LOG(4, "Ostrom Ad Type =%@ ", model.adType);
    MED_LOG(4, "Ostrom Click URL =%@ ", model.adClickLink);
    return model;
}

OstromAdsModel::~OstromAdsModel() {
    MED_LOG(4, "-Deallocating OstromAds Model");
}

} // namespace zelvan::mediation
