// What the offer network's client did in a session, in one line for the demo's summary.
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

// "offer network: connect <state>, GetAdOrder <state>" (main thread).
std::string orvaneSummary(zelvanAppDelegate& delegate);

// --- The offer wall, for the demo driver (main thread) ---
// Whether the offer network's connect brought the player's account.
bool orvaneAccountReady(zelvanAppDelegate& delegate);
// Opens the offer wall (320 x 480) for the account's points id in `window`; null without an account.
std::shared_ptr<ui::View> openOfferWall(zelvanAppDelegate& delegate, ui::View& window);
// The offers the wall lists (-1 when `wall` is none).
int offerWallOffers(const std::shared_ptr<ui::View>& wall);
// Row icons read so far in the process.
int offerWallIconsRead();
// The wall's lines of the demo summary: its GetOffers answer and its GetAppIcon reads since
// `iconsBefore`.
std::vector<std::string> offerWallReport(const std::shared_ptr<ui::View>& wall, int iconsBefore);

} // namespace zelvan::app
