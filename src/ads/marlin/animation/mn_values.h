// Readers of the animation library's values as the scene reads them: numbers by their leading number
// (non-finite ones as 0), and a value of the wrong kind as absent.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan::marlin {

// The number under `key`, 0 when absent, not finite or not readable as a number.
double MNNumber(const fnd::Dictionary* dict, std::string_view key);
// The number, or nullopt when the key is absent.
std::optional<double> MNOptionalNumber(const fnd::Dictionary* dict, std::string_view key);
// The text under `key`, or nullopt when absent or not text.
std::optional<std::string> MNString(const fnd::Dictionary* dict, std::string_view key);
// The dictionary or array under `key`, or null when absent or of another kind.
std::shared_ptr<fnd::Dictionary> MNDictionaryValue(const fnd::Dictionary* dict, std::string_view key);
std::shared_ptr<fnd::Array> MNArrayValue(const fnd::Dictionary* dict, std::string_view key);
// A finite double, or 0.
double MNFinite(double value);

} // namespace zelvan::marlin
