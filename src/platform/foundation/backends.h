// The outside-world facilities of fnd, each behind one abstract interface: the process installs the
// Linux implementation by default and tests install fakes here. The clock is installed through
// Clock::install (clock.h).
#pragma once

#include <memory>

namespace fnd {

class HttpTransport;
class ReachabilityProvider;

// The transport every URL connection and synchronous request goes through. Until something is
// installed, the first call creates the libcurl transport. `installHttpTransport(nullptr)` goes
// back to that default. Safe from any thread; a connection keeps the transport it started with.
void installHttpTransport(std::shared_ptr<HttpTransport> transport);
std::shared_ptr<HttpTransport> httpTransport();

// The provider every reachability query goes through (reachability.h). Until something is
// installed, the first call creates the Linux provider; `installReachabilityProvider(nullptr)` goes
// back to it. Safe from any thread.
void installReachabilityProvider(std::shared_ptr<ReachabilityProvider> provider);
std::shared_ptr<ReachabilityProvider> reachabilityProvider();

} // namespace fnd
