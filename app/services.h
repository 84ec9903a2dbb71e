// The composition root of the headless client: the one place that fills the application registry
// and connects the libraries to each other.
#pragma once

#include <string_view>

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

// The registry of the libraries built so far: service factories, strategies and bridge targets; the
// networks' endpoints under `adsBase` (the --ads-base URL; empty: the networks are not configured).
AppRegistry makeRegistry(std::string_view adsBase = {});

// Registers the libraries' listeners with the delegate (main thread, before launching).
void connectServices(zelvanAppDelegate& delegate);

} // namespace zelvan::app
