// The real landing screens a click can open (embedded browser, canvas page, search screen), as the
// factories the wiring installs in the context (AdwickLandingScreens, adwick_context.h).
#pragma once

#include "ads/adwick/adwick_context.h"

namespace zelvan::adwick {

// Factories of the real screens, each made with the context it is handed.
AdwickLandingScreens defaultLandingScreens();

} // namespace zelvan::adwick
