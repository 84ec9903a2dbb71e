// The files of resources/marlin compiled into the interstitial client (its scripts, the video page
// template and the navigation arrows as PNG bytes), by name.
#pragma once

#include <string_view>

namespace zelvan::marlin {

// The bytes of the built-in file `name` ("boot.js", "client.js", "debugger.js", "youtube.html",
// "marlin-back.png", ...), or empty when there is none.
std::string_view embeddedResource(std::string_view name);

} // namespace zelvan::marlin
