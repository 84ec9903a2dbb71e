// The games library's way to the application delegate where none is handed over: the game screen
// (made with the natives' host only) and the game invitation dialog (a view the lobby panels build).
#pragma once

#include <memory>

namespace zelvan {

class zelvanAppDelegate;

namespace games {

// The installed application delegate; null when none is installed (a screen or view built alone).
std::shared_ptr<zelvanAppDelegate> context();

} // namespace games
} // namespace zelvan
