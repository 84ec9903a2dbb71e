// The demo's goods store steps: the start-up prompt to download bought goods is answered; after the offer wall the
// offer network's store of virtual goods opens through the facade on "Available Items", lists the fake offer service's
// goods, and a screenshot of it is saved.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for the offer network's start-up look at the bought goods and answers its download prompt, when one
// shows, with "Cancel" (the device of a demo holds none of the fake service's bought goods). False when a
// step fails.
bool runBoughtGoodsPromptSteps(DemoSession& session);

// Opens the store in the key window, waits for both of its lists and saves "19-goods-store.png"; notes the
// store requests for the summary. False when a step fails.
bool runGoodsStoreSteps(DemoSession& session);

} // namespace zelvan::demo
