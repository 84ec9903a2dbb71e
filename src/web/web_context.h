// The web library's way to the application delegate where none is handed over: page keys resolved
// against the web host, the web view's cache, the bridge's targets and the dialogs' controller factory.
#pragma once

#include <memory>

namespace zelvan {

class zelvanAppDelegate;

namespace web {

// The installed application delegate; null when none is installed (a screen or view built alone).
std::shared_ptr<zelvanAppDelegate> context();

} // namespace web
} // namespace zelvan
