// The ad request's key table (fixed keys, device and bundle values, test keys, demographic keys,
// language, search and keywords), its query text, and the colours and spinner style the ad reads from
// the publisher's delegate.
#include <utility>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_app_data.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_location_manager.h"
#include "platform/device/device.h"
#include "platform/device/location.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"

namespace zelvan::adwick {

namespace {

using Params = std::vector<std::pair<std::string, std::string>>;

void addIf(Params& params, const char* key, const std::optional<std::string>& value) {
    if (value) {
        params.emplace_back(key, *value);
    }
}

} // namespace

gfx::Color AdwickAd::backgroundColor() const {
    auto publisher = delegate();
    if (auto color = publisher ? publisher->adBackgroundColor() : std::nullopt) {
        return *color;
    }
    return gfx::Color(0.443, 0.514, 0.631, 1);
}

gfx::Color AdwickAd::textColor() const {
    auto publisher = delegate();
    if (auto color = publisher ? publisher->primaryTextColor() : std::nullopt) {
        return *color;
    }
    return gfx::Color(1, 1, 1, 1);
}

int AdwickAd::spinnerStyle() const {
    auto publisher = delegate();
    return publisher && publisher->useGraySpinner().value_or(false) ? 2 : 1;
}

Params AdwickAd::userDemographicInfo() const {
    Params params;
    auto publisher = delegate();
    if (!publisher) {
        return params;
    }
    if (publisher->mayAskForLocation().value_or(false)) {
        if (auto given = publisher->location()) {
            if (*given) {
                params.emplace_back("d[coord]", AdwickLocationManager::stringForLocation(**given));
            }
        } else if (auto manager = context_ ? context_->locationManager() : nullptr;
                   manager && manager->locationServicesEnabled()) {
            manager->updateIfAppropriate();
            auto text = manager->locationString();
            auto updated = manager->lastUpdated();
            if (text && updated) {
                params.emplace_back("d[coord]", *text);
                params.emplace_back("d[coord_timestamp]", fnd::format("%f", updated->since1970()));
            }
        }
    }
    addIf(params, "d[pc]", publisher->postalCode());
    addIf(params, "d[ac]", publisher->areaCode());
    addIf(params, "d[gender]", publisher->gender());
    if (auto born = publisher->dateOfBirth()) {
        const fnd::DateFormatter formatter("yyyyMMdd", fnd::Locale::current(), fnd::TimeZone::local());
        params.emplace_back("d[dob]", formatter.stringFromDate(*born));
    }
    return params;
}

Params AdwickAd::buildParams() const {
    Params params;
    auto publisher = delegate();
    auto publisherId = publisher ? publisher->publisherId() : std::nullopt;
    if (!publisherId) {
        return params; // the request goes out with an empty query
    }
    params.reserve(22);
    params.emplace_back("s", *publisherId);
    params.emplace_back("f", "jsonp");
    params.emplace_back("v", std::string(kSdkVersion));
    params.emplace_back("ex", "1");
    params.emplace_back("client_sdk", "1");
    params.emplace_back("ad_type", format_ == 0 ? "bar" : "full_screen");
    const std::string isu = device::Device::current().uniqueIdentifier();
    if (!isu.empty()) {
        params.emplace_back("isu", isu);
    }
    if (auto app = context_ ? context_->appData() : nullptr) {
        params.emplace_back("pub_data[display_name]", app->bundleDisplayName());
        params.emplace_back("pub_data[name]", app->bundleName());
        params.emplace_back("pub_data[identifier]", app->bundleIdentifier());
    }
    if (publisher->useTestAd().value_or(false)) {
        params.emplace_back("m", "test");
        addIf(params, "test_action", publisher->testAdAction());
    }
    for (auto& pair : userDemographicInfo()) {
        params.push_back(std::move(pair));
    }
    if (auto localizer = context_ ? context_->localizer() : nullptr) {
        params.emplace_back("l", localizer->preferredLanguage());
    }
    addIf(params, "search", publisher->searchString());
    addIf(params, "k", publisher->keywords());
    return params;
}

std::string AdwickAd::queryStringFromDictionary(const Params& params) {
    std::string query;
    for (const auto& [key, value] : params) {
        if (!query.empty()) {
            query += '&';
        }
        query += fnd::escapeLegacyPlus(key, kQueryEscapes);
        query += '=';
        query += fnd::escapeLegacyPlus(value, kQueryEscapes);
    }
    return query;
}

} // namespace zelvan::adwick
