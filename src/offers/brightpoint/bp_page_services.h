// BPPageServices: what the offer wall's pages and rows are handed by the page that makes them - the
// client whose configuration they show and act on, the process's icon cache, and the context's settings
// and payment claims. The client and the context are held weakly: the client holds the wall it shows,
// and the context holds the client.
#pragma once

#include <memory>

namespace zelvan::brightpoint {

class Brightpoint;
class BPImageCache;
class BrightpointContext;

struct BPPageServices {
    std::weak_ptr<Brightpoint> client;
    // Null: icons are downloaded each time and kept nowhere.
    std::shared_ptr<BPImageCache> imageCache;
    std::weak_ptr<BrightpointContext> context;
};

} // namespace zelvan::brightpoint
