// What the offer network's client did in a session, in one line for the demo's summary.
#pragma once

#include <string>

namespace zelvan {
class zelvanAppDelegate;
}

namespace zelvan::app {

// "offer network: connect <state>, GetAdOrder <state>" (main thread).
std::string orvaneSummary(zelvanAppDelegate& delegate);

} // namespace zelvan::app
