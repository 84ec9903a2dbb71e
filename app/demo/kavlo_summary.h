// What the Kavlo analytics client uploaded in a run, and what its banner asked for, for the demo's summary.
#pragma once

#include <string>

namespace zelvan {
class AdSource;
class zelvanAppDelegate;
} // namespace zelvan

namespace zelvan::app {

// "kavlo: <n> batch(es) accepted, <m> failed" once Kavlo has started, "kavlo: not started" before.
std::string kavloSummary(zelvanAppDelegate& delegate);

// "<n> ad request(s), last <query URL>" for a Kavlo banner source; "" for any other source.
std::string kavloBannerReport(const AdSource& source);

} // namespace zelvan::app
