// context(): how the offer network's class-level operations find their shared context.
#pragma once

#include <memory>

namespace zelvan::orvane {

class OrvaneContext;

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer network. Any thread.
std::shared_ptr<OrvaneContext> context();

} // namespace zelvan::orvane
