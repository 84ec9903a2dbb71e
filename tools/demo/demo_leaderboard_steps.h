// The demo's leaderboard step: after the offer wall the offer network's leaderboard opens through the
// facade, fills from the ad host's offer service and a screenshot of it is saved.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Opens the leaderboard in the key window, waits for its rows, saves "17-leaderboard.png", notes the
// score request for the summary and closes it again. False when a step fails.
bool runLeaderboardSteps(DemoSession& session);

} // namespace zelvan::demo
