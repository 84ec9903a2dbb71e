// The demo's hook-ad step: once the analytics report's reply is parsed, the server's next feature list names
// "tallio" first and the shared ad view in the chat shows the hook-ad banner; touching it opens the ad's
// canvas with its panel, and the page's store link is followed.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Asks for the next feature list, waits for the banner's ad in the chat, saves "14-tallio-hook-ad.png",
// opens the canvas, follows the store link, closes the canvas and notes its requests for the summary. False
// when a step fails.
bool runTallioSteps(DemoSession& session);

} // namespace zelvan::demo
