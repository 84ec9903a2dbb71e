// The demo's Kavlo step: once the server's feature list has started the Kavlo client, its usage-statistics
// question is answered "OK", before any screenshot is taken.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for the question and taps "OK". False when a step fails.
bool runKavloSteps(DemoSession& session);

} // namespace zelvan::demo
