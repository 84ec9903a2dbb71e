// The demo user's part in the Games tab: from the lobby page through a game played alone to the score.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Taps the Games tab and waits for the lobby page ("03-lobby.png"); follows its play link, read from
// the page's document since the web view draws no HTML; waits for the game's loading view
// ("04-game-loading.png"), the running game ("05-game.png"), its result in the information box
// ("06-game-result.png") and the lobby's score page ("07-lobby-score.png"). The game runs on the real
// clock.
// False when a step fails.
bool runGameSteps(DemoSession& session);

} // namespace zelvan::demo
