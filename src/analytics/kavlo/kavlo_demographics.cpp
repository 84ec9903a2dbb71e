// Demographics and feedback records: the key tables, the value checks and the store-then-sync calls.
#include "analytics/kavlo/kavlo_demographics.h"

#include <array>
#include <string_view>

#include "analytics/kavlo/kavlo_controller.h"
#include "analytics/kavlo/kavlo_log.h"
#include "analytics/kavlo/kavlo_messenger.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/format.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/scalar.h"

namespace zelvan::kavlo {

namespace {

enum class Accepts { Date, Text, Range, Number };

struct DemographicKey {
    std::string_view name;
    std::string_view code;
    Accepts accepts;
    int low = 0, high = 0;
};

constexpr std::array<DemographicKey, 15> kDemographicKeys{{
    {"kMCDemographicsBirthdate", "dbd", Accepts::Date},
    {"kMCDemographicsEducation", "dec", Accepts::Range, 1, 6},
    {"kMCDemographicsEthnicity", "den", Accepts::Range, 1, 6},
    {"kMCDemographicsGender", "dg", Accepts::Range, 1, 2},
    {"kMCDemographicsDatingGender", "ddg", Accepts::Range, 1, 3},
    {"kMCDemographicsIncome", "dic", Accepts::Number},
    {"kMCDemographicsMaritalStatus", "dms", Accepts::Range, 1, 3},
    {"kMCDemographicsReligion", "drl", Accepts::Range, 1, 7},
    {"kMCDemographicsAreaCode", "dac", Accepts::Number},
    {"kMCDemographicsCity", "dci", Accepts::Text},
    {"kMCDemographicsCountry", "dco", Accepts::Text},
    {"kMCDemographicsDMACode", "ddc", Accepts::Number},
    {"kMCDemographicsMetroCode", "dmc", Accepts::Number},
    {"kMCDemographicsPostalCode", "dpo", Accepts::Text},
    {"kMCDemographicsRegionCode", "drg", Accepts::Text},
}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kRatingKeys{{
    {"kMCFeedbackAppearance", "0"},
    {"kMCFeedbackFun", "1"},
    {"kMCFeedbackOverall", "2"},
    {"kMCFeedbackPerformance", "3"},
    {"kMCFeedbackRecommendation", "4"},
    {"kMCFeedbackUsability", "5"},
    {"kMCFeedbackValue", "6"},
}};

const DemographicKey* demographicKey(std::string_view name) {
    for (const auto& key : kDemographicKeys) {
        if (key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

// The accepted text of one entry, or nullopt.
std::optional<std::string> acceptedDemographic(const DemographicKey& key, const fnd::Value& value) {
    if (value.isDate()) {
        if (key.accepts != Accepts::Date) {
            return std::nullopt;
        }
        fnd::DateFormatter formatter("yyyyMMdd", fnd::Locale::current(), fnd::TimeZone::local());
        return formatter.stringFromDate(*value.asDate());
    }
    if (value.isString()) {
        const std::string& text = *value.asString();
        if (key.accepts == Accepts::Text) {
            return text;
        }
        if (key.accepts == Accepts::Range) {
            const int32_t number = fnd::intValue(text);
            if (number >= key.low && number <= key.high) {
                return text;
            }
        }
        return std::nullopt;
    }
    if ((value.isNumber() || value.isBool()) && key.accepts == Accepts::Number) {
        return fnd::format("%i", value.intValue());
    }
    return std::nullopt;
}

void save(const fnd::Value& record, const std::string& key) {
    if (auto controller = KavloController::getInstance()) {
        controller->saveDictionary(record, key);
        if (key == "9") {
            controller->setInfoDictionaryValue("9", record);
        }
    }
    if (auto messenger = KavloMessenger::getInstance()) {
        messenger->sync();
    }
}

} // namespace

fnd::Value KavloDemographics::recordFor(const fnd::Value& demographics) {
    auto record = fnd::Value::dictionary();
    auto entries = demographics.asDictionary();
    if (!entries) {
        return record;
    }
    for (const auto& [key, value] : *entries) {
        const std::string name = key.text();
        const DemographicKey* known = demographicKey(name);
        if (!known) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo Demographics Error: %@ is not a valid demographics key.", name);
            continue;
        }
        auto accepted = acceptedDemographic(*known, value);
        if (!accepted) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo Demographics Error: Invalid value for demographics key %@.", name);
            continue;
        }
        record.asDictionary()->setObject(*accepted, known->code);
    }
    return record;
}

fnd::Value KavloDemographics::demographics(const fnd::Value& demographics) {
    auto record = recordFor(demographics);
    save(record, "9");
    return record;
}

void KavloFeedback::comment(const std::string& comment) {
    save(fnd::Value::dictionary({{"y", comment}}), "x");
}

fnd::Value KavloFeedback::recordFor(const fnd::Value& ratings) {
    auto record = fnd::Value::dictionary();
    auto entries = ratings.asDictionary();
    if (!entries) {
        return record;
    }
    for (const auto& [key, value] : *entries) {
        const std::string name = key.text();
        std::string_view code;
        for (const auto& [ratingName, ratingCode] : kRatingKeys) {
            if (ratingName == name) {
                code = ratingCode;
            }
        }
        if (code.empty()) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo Feedback Error: %@ is not a valid rating key.", name);
            continue;
        }
        if (!value.isString()) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo Feedback Error: Object for rating key %@ is not a NSString object.", name);
            continue;
        }
        // Read as unsigned, so a negative rating is refused with the too-large ones.
        if (static_cast<uint32_t>(fnd::intValue(*value.asString())) > 5) {
            ZLOG_TO(kKavloLog, Warn, "Kavlo Feedback Error: %@ is not a valid value for rating key %@.",
                    *value.asString(), name);
            continue;
        }
        record.asDictionary()->setObject(*value.asString(), code);
    }
    return record;
}

fnd::Value KavloFeedback::ratings(const fnd::Value& ratings) {
    auto record = recordFor(ratings);
    save(record, "z");
    return record;
}

} // namespace zelvan::kavlo
