// The demo's steps through the offer wall's Apps tab and currency store.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Opens the wall again from the More page, shows the Apps tab's first page with its icons, then the
// store's packs, buys the first one (checked by the dev server) and closes the wall. False when a step
// runs out.
bool runBrightpointStoreSteps(DemoSession& session);

} // namespace zelvan::demo
