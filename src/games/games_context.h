// The games library's way to the application delegate where none is handed over: the game screen,
// which is made with the natives' host only.
#pragma once

#include <memory>

namespace zelvan {

class zelvanAppDelegate;

namespace games {

// The installed application delegate; null when none is installed (a screen or view built alone).
std::shared_ptr<zelvanAppDelegate> context();

} // namespace games
} // namespace zelvan
