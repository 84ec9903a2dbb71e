// Reading the reply of an XML ad request made through the house-ad service: the checks before parsing
// (transport error, status, empty body) and the typed readers of the parsed tree, where a repeated element
// is an array and a text-only one a string.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ads/mediation/house_ad_service.h"
#include "platform/foundation/value.h"

namespace zelvan::mediation {

// The parsed reply, or nullopt (logged) for a transport error, a status other than 200 or no body. Without
// a service the reply reads as an empty dictionary.
std::optional<fnd::Value> parseHouseAdReply(const HouseAdResult& reply, const HouseAdService* service);

// An element's dictionary (the first of a repeat); Null when missing, text, or under a non-dictionary.
fnd::Value xmlElement(const fnd::Value& parent, std::string_view key);
// A text value (the first of a repeat; an empty element reads as ""); "" for anything else.
std::string xmlText(const fnd::Value& parent, std::string_view key);

} // namespace zelvan::mediation
