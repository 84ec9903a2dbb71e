// Script results and their conversion to text (JavaScript's ToString, numbers included), and the
// method table of bound native objects.
#include "platform/ui/script_host.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace ui {

ScriptResult ScriptResult::null() {
    ScriptResult r;
    r.kind_ = Kind::Null;
    return r;
}

ScriptResult ScriptResult::boolean(bool value) {
    ScriptResult r;
    r.kind_ = Kind::Boolean;
    r.boolean_ = value;
    return r;
}

ScriptResult ScriptResult::number(double value) {
    ScriptResult r;
    r.kind_ = Kind::Number;
    r.number_ = value;
    return r;
}

ScriptResult ScriptResult::object(std::string toStringText) {
    ScriptResult r(std::move(toStringText));
    r.kind_ = Kind::Object;
    return r;
}

std::string ScriptResult::toString() const {
    switch (kind_) {
    case Kind::Undefined:
    case Kind::Null:
        return "";
    case Kind::Boolean:
        return boolean_ ? "true" : "false";
    case Kind::Number:
        return numberToString(number_);
    case Kind::String:
    case Kind::Object:
        return text_;
    }
    return "";
}

std::string ScriptResult::numberToString(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (value == 0) {
        return "0"; // -0 too
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    if (value < 0) {
        std::string negative("-");
        negative += numberToString(-value);
        return negative;
    }
    // The shortest round-trip digits, as "d.ddde+XX"; k digits and the decimal exponent n such
    // that value = 0.digits * 10^n.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e)) {
        if (c != '.') {
            digits += c;
        }
    }
    const int n = std::atoi(std::string(sci.substr(e + 1)).c_str()) + 1;
    const int k = static_cast<int>(digits.size());
    if (k <= n && n <= 21) {
        return digits + std::string(static_cast<size_t>(n - k), '0');
    }
    if (0 < n && n <= 21) {
        return digits.substr(0, static_cast<size_t>(n)) + "." + digits.substr(static_cast<size_t>(n));
    }
    if (-6 < n && n <= 0) {
        std::string small("0.");
        small.append(static_cast<size_t>(-n), '0');
        small += digits;
        return small;
    }
    std::string out = digits.substr(0, 1);
    if (k > 1) {
        out += "." + digits.substr(1);
    }
    out += n - 1 >= 0 ? "e+" : "e-";
    out += std::to_string(std::abs(n - 1));
    return out;
}

void ScriptObject::addMethod(const std::string& name, Method method) {
    methods_[name] = std::move(method);
}

bool ScriptObject::hasMethod(std::string_view name) const {
    return methods_.find(name) != methods_.end();
}

std::vector<std::string> ScriptObject::methodNames() const {
    std::vector<std::string> names;
    for (const auto& [name, method] : methods_) {
        names.push_back(name);
    }
    return names;
}

std::optional<fnd::Value> ScriptObject::invoke(std::string_view name, const std::vector<fnd::Value>& args) {
    auto it = methods_.find(name);
    if (it == methods_.end() || !it->second) {
        ZLOG(Warn, "ScriptObject: no method \"%s\"", fnd::logPreview(name));
        return std::nullopt;
    }
    // Copy: the method may replace itself while it runs.
    Method method = it->second;
    return method(args);
}

} // namespace ui
