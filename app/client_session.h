// The start and the end of a client session as the zelvan executable runs them, shared with the demo
// driver so both run the same client: the stored account, the page script engine, the sound output,
// the delegate over the composition root, and on the way out the summary of what was left on screen.
#pragma once

#include <memory>

#include "core/launch_options.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

// Stores the command line's account as the one the start-up signs in with, installs the JavaScript
// engine for pages and the WAV output of --audio-out, makes the delegate over makeRegistry(), installs
// it as the application's instance and connects the services. The caller launches it
// (applicationDidFinishLaunching) on the main run loop. Main thread, after the folders are set up.
std::shared_ptr<zelvanAppDelegate> startClient(const LaunchOptions& options);

// Ends the session: the delegate's termination, the alerts still on screen logged and dismissed, the
// session's and the messenger's summary lines, the instance and the sound output removed (the WAV
// file gets its final header). Main thread.
void finishClient(zelvanAppDelegate& delegate);

} // namespace zelvan::app
