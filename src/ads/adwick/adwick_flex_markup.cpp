// The flex ad's markup readers: each value in its type, or the default for any other shape.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "ads/adwick/adwick_flex_ad.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"

namespace zelvan::adwick {

namespace {

// A number, or a string that is wholly a finite number.
std::optional<double> number(const fnd::Value* value) {
    if (value == nullptr) {
        return std::nullopt;
    }
    std::optional<double> out;
    if (value->kind() == fnd::Value::Kind::Int || value->kind() == fnd::Value::Kind::Double ||
        value->kind() == fnd::Value::Kind::Decimal || value->kind() == fnd::Value::Kind::Bool) {
        out = value->doubleValue();
    } else if (const std::string* text = value->asString()) {
        if (text->empty() || text->size() > 64) {
            return std::nullopt;
        }
        char* end = nullptr;
        errno = 0;
        const double parsed = std::strtod(text->c_str(), &end);
        if (end != text->c_str() + text->size() || errno == ERANGE) {
            return std::nullopt;
        }
        out = parsed;
    }
    if (out && !std::isfinite(*out)) {
        return std::nullopt;
    }
    return out;
}

// The `count` leading numbers (or numeric strings) of an array (more entries are ignored), or false.
bool numbers(const fnd::Value* value, size_t count, double* out) {
    auto array = value ? value->asArray() : nullptr;
    if (!array || array->count() < count) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const fnd::Value& item = array->objectAtIndex(i);
        auto n = number(&item);
        if (!n) {
            return false;
        }
        out[i] = *n;
    }
    return true;
}

} // namespace

gfx::Rect AdwickFlexAd::rectWithValue(const fnd::Value* value, gfx::Rect defaultValue) {
    double v[4];
    return numbers(value, 4, v) ? gfx::Rect(v[0], v[1], v[2], v[3]) : defaultValue;
}

gfx::Point AdwickFlexAd::pointWithValue(const fnd::Value* value, gfx::Point defaultValue) {
    double v[2];
    return numbers(value, 2, v) ? gfx::Point(v[0], v[1]) : defaultValue;
}

gfx::Size AdwickFlexAd::sizeWithValue(const fnd::Value* value, gfx::Size defaultValue) {
    double v[2];
    return numbers(value, 2, v) ? gfx::Size(v[0], v[1]) : defaultValue;
}

gfx::Color AdwickFlexAd::colorWithValue(const fnd::Value* value, gfx::Color defaultValue) {
    double v[4];
    return numbers(value, 4, v) ? gfx::Color(v[0], v[1], v[2], v[3]) : defaultValue;
}

double AdwickFlexAd::floatWithValue(const fnd::Value* value, double defaultValue) {
    return number(value).value_or(defaultValue);
}

int64_t AdwickFlexAd::integerWithValue(const fnd::Value* value, int64_t defaultValue) {
    auto n = number(value);
    if (!n || *n > 9.0e18 || *n < -9.0e18) {
        return defaultValue;
    }
    return static_cast<int64_t>(*n);
}

bool AdwickFlexAd::boolWithValue(const fnd::Value* value, bool defaultValue) {
    if (value == nullptr) {
        return defaultValue;
    }
    if (value->kind() == fnd::Value::Kind::Bool) {
        return value->boolValue();
    }
    if (const std::string* text = value->asString()) {
        // A leading y, t or non-zero digit reads as true, as string truth tests go.
        size_t i = text->find_first_not_of(" \t\n+-0");
        if (text->empty()) {
            return defaultValue;
        }
        if (i == std::string::npos) {
            return false;
        }
        const char c = (*text)[i];
        return c == 'y' || c == 'Y' || c == 't' || c == 'T' || (c >= '1' && c <= '9');
    }
    if (auto n = number(value)) {
        return *n != 0;
    }
    return defaultValue;
}

gfx::AffineTransform AdwickFlexAd::affineTransformWithValue(const fnd::Value* value,
                                                            gfx::AffineTransform defaultValue) {
    double v[6];
    if (!numbers(value, 6, v)) {
        return defaultValue;
    }
    gfx::AffineTransform t;
    t.a = v[0];
    t.b = v[1];
    t.c = v[2];
    t.d = v[3];
    t.tx = v[4];
    t.ty = v[5];
    return t;
}

ui::Transform3D AdwickFlexAd::transform3DWithValue(const fnd::Value* value, ui::Transform3D defaultValue) {
    double v[16];
    if (!numbers(value, 16, v)) {
        return defaultValue;
    }
    return ui::Transform3D{v[0], v[1], v[2],  v[3],  v[4],  v[5],  v[6],  v[7],
                           v[8], v[9], v[10], v[11], v[12], v[13], v[14], v[15]};
}

ui::TimingFunction AdwickFlexAd::timingFunctionWithValue(const fnd::Value* value, ui::TimingFunction defaultValue) {
    const std::string* code = value ? value->asString() : nullptr;
    if (code == nullptr) {
        return defaultValue;
    }
    if (*code == "l") {
        return ui::TimingFunction::Linear;
    }
    if (*code == "i") {
        return ui::TimingFunction::EaseIn;
    }
    if (*code == "o") {
        return ui::TimingFunction::EaseOut;
    }
    if (*code == "io") {
        return ui::TimingFunction::EaseInEaseOut;
    }
    return defaultValue;
}

ui::FillMode AdwickFlexAd::fillModeWithValue(const fnd::Value* value, ui::FillMode defaultValue) {
    const std::string* code = value ? value->asString() : nullptr;
    if (code == nullptr) {
        return defaultValue;
    }
    if (*code == "r") {
        return ui::FillMode::Removed;
    }
    if (*code == "f") {
        return ui::FillMode::Forwards;
    }
    if (*code == "b") {
        return ui::FillMode::Backwards;
    }
    if (*code == "fb") {
        return ui::FillMode::Both;
    }
    return defaultValue;
}

std::optional<ui::AnimationValue> AdwickFlexAd::defaultAnimationFromValueWithValueType(std::string_view type) {
    if (type == "F") {
        return ui::AnimationValue(0.0);
    }
    return defaultAnimationToValueWithValueType(type);
}

std::optional<ui::AnimationValue> AdwickFlexAd::defaultAnimationToValueWithValueType(std::string_view type) {
    if (type == "F") {
        return ui::AnimationValue(1.0);
    }
    if (type == "R") {
        return ui::AnimationValue(gfx::Rect());
    }
    if (type == "P") {
        return ui::AnimationValue(gfx::Point());
    }
    if (type == "S") {
        return ui::AnimationValue(gfx::Size());
    }
    if (type == "AT") {
        return ui::AnimationValue(gfx::AffineTransform::identity());
    }
    if (type == "T3") {
        return ui::AnimationValue(ui::Transform3D::identity());
    }
    return std::nullopt;
}

std::optional<ui::AnimationValue> AdwickFlexAd::valueOfType(std::string_view type, const fnd::Value* value,
                                                            DefaultValueProvider provider) {
    auto fallback = provider ? provider(type) : std::nullopt;
    if (!fallback) {
        return std::nullopt;
    }
    if (type == "F") {
        return ui::AnimationValue(floatWithValue(value, std::get<double>(*fallback)));
    }
    if (type == "R") {
        return ui::AnimationValue(rectWithValue(value, std::get<gfx::Rect>(*fallback)));
    }
    if (type == "P") {
        return ui::AnimationValue(pointWithValue(value, std::get<gfx::Point>(*fallback)));
    }
    if (type == "S") {
        return ui::AnimationValue(sizeWithValue(value, std::get<gfx::Size>(*fallback)));
    }
    if (type == "AT") {
        return ui::AnimationValue(affineTransformWithValue(value, std::get<gfx::AffineTransform>(*fallback)));
    }
    return ui::AnimationValue(transform3DWithValue(value, std::get<ui::Transform3D>(*fallback)));
}

} // namespace zelvan::adwick
