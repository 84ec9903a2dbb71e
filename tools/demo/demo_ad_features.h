// The demo's request for the server's advertising feature list, sent through the client as it sends it
// after log-in. The dev server answers each request with its next list (`--ad-features` given once per
// list), standing in for a game server that changes the user's networks: a list that names a banner
// network first hands the shared ad view to it.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Sends [109] and waits for the answer to come back. False when a step fails.
bool askForAdFeatures(DemoSession& session);

} // namespace zelvan::demo
