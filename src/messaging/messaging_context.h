// The messenger library's way to the application delegate where none is handed over: the chat
// cells, the chat title strip, the text measurer and the avatar manager they share.
#pragma once

#include <memory>

namespace zelvan {

class zelvanAppDelegate;

namespace messaging {

// The installed application delegate; null when none is installed (a screen or view built alone).
std::shared_ptr<zelvanAppDelegate> context();

} // namespace messaging
} // namespace zelvan
