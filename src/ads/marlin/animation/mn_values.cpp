// Readers of the animation library's values: the wrong kind reads as absent, non-finite numbers as 0.
#include "ads/marlin/animation/mn_values.h"

#include <cmath>

namespace zelvan::marlin {

namespace {

const fnd::Value* lookUp(const fnd::Dictionary* dict, std::string_view key) {
    return dict != nullptr ? dict->find(fnd::Key(key)) : nullptr;
}

} // namespace

double MNFinite(double value) {
    return std::isfinite(value) ? value : 0.0;
}

double MNNumber(const fnd::Dictionary* dict, std::string_view key) {
    return MNOptionalNumber(dict, key).value_or(0.0);
}

std::optional<double> MNOptionalNumber(const fnd::Dictionary* dict, std::string_view key) {
    const fnd::Value* value = lookUp(dict, key);
    if (value == nullptr || value->isNull()) {
        return std::nullopt;
    }
    return MNFinite(value->doubleValue());
}

std::optional<std::string> MNString(const fnd::Dictionary* dict, std::string_view key) {
    const fnd::Value* value = lookUp(dict, key);
    if (value == nullptr || !value->isString()) {
        return std::nullopt;
    }
    return *value->asString();
}

std::shared_ptr<fnd::Dictionary> MNDictionaryValue(const fnd::Dictionary* dict, std::string_view key) {
    const fnd::Value* value = lookUp(dict, key);
    return value != nullptr ? value->asDictionary() : nullptr;
}

std::shared_ptr<fnd::Array> MNArrayValue(const fnd::Dictionary* dict, std::string_view key) {
    const fnd::Value* value = lookUp(dict, key);
    return value != nullptr ? value->asArray() : nullptr;
}

} // namespace zelvan::marlin
