// BPPageServices: what the offer wall's pages and rows are handed by the page that makes them - the
// client whose configuration they show and act on, the process's icon cache, the context's settings
// and payment claims, and the worker pool they load on. The client and the context are held weakly: the client holds
// the wall it shows, and the context holds the client.
#pragma once

#include <memory>

namespace fnd {
class WorkerPool;
}

namespace zelvan::brightpoint {

class Brightpoint;
class BPImageCache;
class BrightpointContext;

struct BPPageServices {
    std::weak_ptr<Brightpoint> client;
    // Null: icons are downloaded each time and kept nowhere.
    std::shared_ptr<BPImageCache> imageCache;
    std::weak_ptr<BrightpointContext> context;
    // Where list pages and pictures load (a fetch started in a task, its reply read on that worker); null:
    // nothing loads.
    std::shared_ptr<fnd::WorkerPool> workers;
};

} // namespace zelvan::brightpoint
