// How the headless client puts its libraries together: the factories of the shared objects the
// application delegate hands out, and the hooks that connect the libraries to each other.
#pragma once

#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

// Factories of the shared objects the libraries built so far provide.
AppServiceFactories serviceFactories();

// Registers the libraries' listeners and plug-ins with the delegate and with each other (main thread,
// before launching).
void connectServices(zelvanAppDelegate& delegate);

} // namespace zelvan::app
