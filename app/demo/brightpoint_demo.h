// The Brightpoint offer wall as the demo driver sees it (the driver may not reach into the offer wall's
// library itself): the wall's tab bar while it shows, its Offers tab, whether the first page and its
// icons are on screen, and a line on what the list shows for the summary.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/tab_bar_controller.h"

namespace zelvan::app {

// The wall's tab bar while the wall shows, else null.
std::shared_ptr<ui::TabBarController> brightpointWall();
// The position of the wall's Offers tab, or nullopt.
std::optional<size_t> brightpointOffersTab();
// Whether the Offers tab shows its first page and every offer row on screen that has an icon shows it.
bool brightpointOffersShown();
// "<n> offers listed, <m> icons shown, first <url>" for the Offers tab's current list.
std::string brightpointOffersReport();
// Closes the wall.
void closeBrightpointWall();

} // namespace zelvan::app
