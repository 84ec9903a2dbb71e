// The demo's hook-ad step: once the analytics report's reply is parsed, a page ad slot shows the hook-ad
// banner; touching it opens the ad's canvas with its panel, and the page's store link is followed.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Shows the banner in the window, saves "14-tallio-hook-ad.png", opens the canvas, follows the store link,
// closes the canvas and notes its requests for the summary. False when a step fails.
bool runTallioSteps(DemoSession& session);

} // namespace zelvan::demo
