// The render request and app-launch report URLs of the Selvo ad server.
#include "ads/selvo/sv_url_builder.h"

#include <cmath>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_user_info.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/scalar.h"

namespace zelvan::selvo {
namespace {

const fnd::Value* find(const fnd::Dictionary* info, std::string_view key) {
    if (info == nullptr) {
        return nullptr;
    }
    const fnd::Value* value = info->find(key);
    return value != nullptr && !value->isNull() ? value : nullptr;
}

// The value's text when present and non-empty.
std::optional<std::string> nonEmpty(const fnd::Dictionary* info, std::string_view key) {
    const fnd::Value* value = find(info, key);
    if (value == nullptr) {
        return std::nullopt;
    }
    std::string text = value->stringValue();
    return text.empty() ? std::nullopt : std::optional<std::string>(std::move(text));
}

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const auto& part : parts) {
        if (!out.empty()) {
            out += separator;
        }
        out += part;
    }
    return out;
}

std::string decimal(int64_t n) {
    return std::to_string(n);
}

} // namespace

std::string SVURLBuilder::escapeValue(std::string_view value) {
    return fnd::escapeLegacyPlus(value, "&=+#");
}

std::optional<fnd::Url> SVURLBuilder::urlForAdRequests(const std::vector<SVAdRequest>& requests,
                                                       const fnd::Value& userInfo) const {
    const auto dictionary = userInfo.asDictionary();
    const fnd::Dictionary* info = dictionary.get();
    std::string query = "/render?fmt=xml&sas=true";
    query += "&fmtver=2.0";
    if (auto pid = nonEmpty(info, SVAdRequestPublisherIDKey)) {
        query += "&pid=" + escapeValue(*pid);
    }
    if (auto sid = nonEmpty(info, SVAdRequestSiteIDKey)) {
        query += "&sid=" + escapeValue(*sid);
    }

    bool batchCall = false;
    int smallest = SVAdRequest::kNoSize;
    for (const auto& request : requests) {
        const bool batch = request.batchSize() != 0;
        batchCall = batchCall || batch;
        smallest = std::min(smallest, request.size());
        switch (request.adType()) {
        case SVAdTypeBanner:
        case SVAdTypeSmallBanner:
            query += batch ? "&adm=bs" : "&adm=b,sa";
            break;
        case SVAdTypeText:
            query += "&adm=t";
            break;
        case SVAdTypeInterstitial:
            query += "&adm=i";
            break;
        default:
            break;
        }
        if (batch) {
            query += "%2c" + escapeValue(decimal(request.batchSize()));
        }
    }
    if (batchCall) {
        query += "&mode=b";
    }
    if (smallest != SVAdRequest::kNoSize) {
        query += "&w=" + decimal(smallest);
    }

    if (auto placement = nonEmpty(info, SVAdRequestPlacementKey); placement && *placement != "unknown") {
        query += "&plc=" + escapeValue(*placement);
    }
    if (auto section = nonEmpty(info, SVAdRequestSectionKey); section && *section != "unknown") {
        query += "&cid=" + escapeValue(*section);
    }
    if (auto udid = nonEmpty(info, SVAdRequestDeviceIDKey)) {
        query += "&udid=" + escapeValue(*udid);
    }
    if (const fnd::Value* agent = find(info, SVAdRequestUserAgentKey)) {
        query += "&ua=" + escapeValue(agent->stringValue());
    }
    if (const fnd::Value* latitude = find(info, SVAdRequestLocationLatitudeKey)) {
        query += fnd::format("&qlat=%.1f", latitude->doubleValue());
    }
    if (const fnd::Value* longitude = find(info, SVAdRequestLocationLongitudeKey)) {
        query += fnd::format("&qlon=%.1f", longitude->doubleValue());
    }

    std::vector<std::string> geography;
    const std::pair<std::string_view, std::string_view> kGeography[] = {{SVAdRequestZipcodeKey, "zip%3D"},
                                                                        {SVAdRequestDMAKey, "dma%3D"},
                                                                        {SVAdRequestAreaKey, "area%3D"},
                                                                        {SVAdRequestMDNKey, "mdn%3D"}};
    for (const auto& [key, label] : kGeography) {
        if (const fnd::Value* value = find(info, key)) {
            geography.push_back(std::string(label) + escapeValue(value->stringValue()));
        }
    }
    if (!geography.empty()) {
        query += "&geo=" + join(geography, "%26");
    }

    std::vector<std::string> demographics;
    if (auto gender = nonEmpty(info, SVAdRequestGenderKey)) {
        demographics.push_back("g%3D" + escapeValue(*gender));
    }
    if (const fnd::Value* age = find(info, SVAdRequestAgeKey); age && age->longLongValue() > 0) {
        demographics.push_back("age%3D" + decimal(age->longLongValue()));
    }
    if (const fnd::Value* income = find(info, SVAdRequestIncomeKey); income && income->longLongValue() > 0) {
        demographics.push_back("hhi%3D" + decimal(income->longLongValue()));
    }
    if (const fnd::Value* education = find(info, SVAdRequestEducationKey);
        education && education->longLongValue() > 0) {
        demographics.push_back("edu%3D" + decimal(education->longLongValue()));
    }
    if (const fnd::Value* birth = find(info, SVAdRequestBirthDateKey)) {
        if (auto date = birth->asDate()) {
            const fnd::DateFormatter formatter("yyyyMMdd", *fnd::Locale::withIdentifier("en_US"),
                                               fnd::TimeZone::local());
            if (std::string text = formatter.stringFromDate(*date); !text.empty()) {
                demographics.push_back("bday%3D" + text);
            }
        }
    }
    if (const fnd::Value* ethnicity = find(info, SVAdRequestEthnicityKey)) {
        const int64_t group = ethnicity->longLongValue();
        if (group >= 0 && group <= 4) {
            demographics.push_back("eth%3D" + decimal(group));
        } else {
            SVLog(&context_, "Invalid EthnicGroup");
        }
    }
    if (!demographics.empty()) {
        query += "&dem=" + join(demographics, "%26");
    }

    if (context_.runMode() == SelvoContext::kRunModeTest) {
        query += "&test=1";
    }
    query += "&_ts=" + decimal(fnd::saturatingInt64(std::floor(fnd::Clock::now().since1970())));

    auto server = context_.adServer(batchCall);
    if (!server) {
        return std::nullopt;
    }
    SVLog(&context_, "api request (-host) url: %@", query);
    auto url = fnd::Url::parse(*server + query);
    if (url) {
        SVLog(&context_, "api request url: %@", url->absoluteString());
    }
    return url;
}

std::optional<fnd::Url> SVURLBuilder::urlForAdType(int type, unsigned batchSize, const fnd::Value& userInfo,
                                                   int msize) const {
    return urlForAdRequests({SVAdRequest::adRequestsForType(type, batchSize, msize)}, userInfo);
}

std::optional<fnd::Url> SVURLBuilder::urlForReportingAction(const fnd::Value& userInfo) const {
    auto server = context_.adServer(false);
    if (!server) {
        return std::nullopt;
    }
    const auto dictionary = userInfo.asDictionary();
    std::string text = *server + "/logAction?";
    if (auto pid = nonEmpty(dictionary.get(), SVAdRequestPublisherIDKey)) {
        text += "advid=" + escapeValue(*pid);
    }
    if (auto udid = nonEmpty(dictionary.get(), SVAdRequestDeviceIDKey)) {
        text += "&udid=" + escapeValue(*udid);
    }
    return fnd::Url::parse(text);
}

} // namespace zelvan::selvo
