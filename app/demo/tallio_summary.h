// What the analytics client's session report did in a run, in one line for the demo's summary.
#pragma once

#include <string>

namespace zelvan {
class zelvanAppDelegate;
}

namespace zelvan::app {

// "analytics report: <status>, <n> session(s)" once the start-up report has been answered, "analytics
// report: not answered yet" before, "analytics report: none" without the client.
std::string tallioSummary(zelvanAppDelegate& delegate);

} // namespace zelvan::app
