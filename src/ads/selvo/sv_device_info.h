// The device part of the request user info that travels with every Selvo download: its keys, the client's
// agent string and the dictionary built from the device. SelvoContext keeps the one it builds.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan::selvo {

inline constexpr std::string_view SVAdRequestDeviceIDKey = "SVAdRequestDeviceIDKey";
inline constexpr std::string_view SVAdRequestSystemNameKey = "SVAdRequestSystemNameKey";
inline constexpr std::string_view SVAdRequestSystemVersionKey = "SVAdRequestSystemVersionKey";
inline constexpr std::string_view SVAdRequestSystemModelKey = "SVAdRequestSystemModelKey";
inline constexpr std::string_view SVAdRequestUserAgentKey = "SVAdRequestUserAgentKey";

// The SDK's version and the agent constant that ends the agent string.
inline constexpr std::string_view SVSDKVersion = "2.0.0";
inline constexpr std::string_view SVSDKAgent = "SelvoMobileSDK/2.0.0";

// "%@; %@ %@; %@ %@/%@ %@": device model, system name and version, the locale, the application's display
// name and short version (or build version), and SVSDKAgent.
std::string SVAgentString();
// The device part, made afresh: device id, system name, version, model and (when non-empty) the agent
// string. SelvoContext::deviceInfo() builds it once per context.
fnd::Value SVBuildDeviceInfo();

} // namespace zelvan::selvo
