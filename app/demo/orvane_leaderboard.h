// The offer network's leaderboard for the demo driver: opening it through the facade, its rows, and
// its lines of the demo summary (main thread).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ui {
class View;
}

namespace zelvan {
class zelvanAppDelegate;
}

namespace zelvan::app {

// Opens the leaderboard for the first value of the game's first filter (through the facade's
// getHighScoresByFilter) in `window`; null before the offer network connected.
std::shared_ptr<ui::View> openLeaderboard(zelvanAppDelegate& delegate, ui::View& window);
// The rows the leaderboard shows, or -1 while it waits for its answer (or for no leaderboard).
int leaderboardRows(const std::shared_ptr<ui::View>& leaderboard);
// Closes it through its " Back " button.
void closeLeaderboard(const std::shared_ptr<ui::View>& leaderboard);
// Its lines of the demo summary: the score request's filters, days, rows, further rows and best score.
std::vector<std::string> leaderboardReport(const std::shared_ptr<ui::View>& leaderboard);

} // namespace zelvan::app
