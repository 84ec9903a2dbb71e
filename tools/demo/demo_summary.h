// The demo's closing summary: who signed in, the chat lines received and sent, the packets each way
// by command, the game's result, the files written, and the step that failed if one did.
#pragma once

#include <string>

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// The summary's text, read from the session and its client (main thread, before the client ends).
std::string demoSummary(const DemoSession& session);

} // namespace zelvan::demo
