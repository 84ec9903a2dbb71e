// What the Kavlo analytics client uploaded in a run, in one line for the demo's summary.
#pragma once

#include <string>

namespace zelvan {
class zelvanAppDelegate;
}

namespace zelvan::app {

// "kavlo: <n> batch(es) accepted, <m> failed" once Kavlo has started, "kavlo: not started" before.
std::string kavloSummary(zelvanAppDelegate& delegate);

} // namespace zelvan::app
