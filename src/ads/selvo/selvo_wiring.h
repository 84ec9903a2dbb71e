// makeSelvo: the one place the Selvo client's process-wide objects are made - its context and the SVMisc
// the class-level entry point hands out. The application's `selvo` slot calls it; tests may too. The ad
// cache is made later, on first use, through SVCacheManager::forContext.
#pragma once

#include <memory>

#include "ads/selvo/selvo_context.h"

namespace zelvan::selvo {

// A context over `reachability` (may be null), `config` and the shared `workerPool`, with its SVMisc.
// Starts nothing.
std::shared_ptr<SelvoContext> makeSelvo(std::shared_ptr<Reachability> reachability, SelvoConfig config,
                                        std::shared_ptr<fnd::WorkerPool> workerPool);

} // namespace zelvan::selvo
