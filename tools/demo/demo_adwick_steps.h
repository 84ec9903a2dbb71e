// The demo's banner step: the chat window shows the application's shared ad view, which takes an
// Adwick banner from the ad host, and a screenshot of it is saved.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Turns the chat ads on, puts the ad view into the open chat window, waits for the banner to load and
// draw, and saves "09-adwick-banner.png"; notes the Adwick requests for the summary. False when a step
// fails.
bool runAdwickSteps(DemoSession& session);

} // namespace zelvan::demo
