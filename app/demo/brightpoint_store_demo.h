// The offer wall's Apps tab and currency store as the demo driver sees them (the driver may not reach
// into the offer wall's library itself): where the tabs stand, whether their first screens are shown, a
// tap on the first pack, and lines on what they show for the summary.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zelvan::app {

// The position of the wall's Apps tab and of its currency store tab, or nullopt.
std::optional<size_t> brightpointAppsTab();
std::optional<size_t> brightpointStoreTab();
// Whether the Apps tab shows its first page with every visible row's icon.
bool brightpointAppsShown();
// Whether the store shows its packs (no overlay over them).
bool brightpointStoreShown();
// Taps the store's first pack; false when there is none.
bool brightpointBuyFirstPack();
// "<n> apps listed, <m> icons shown" and "<n> packs: <title>, ...".
std::string brightpointAppsReport();
std::string brightpointStoreReport();

} // namespace zelvan::app
