// What the offer rows and the offer details page share: an offer's fields as shown text, the client's
// currency name and colour, and an icon read from the network into the process-wide icon cache.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::brightpoint {

class BPImageCache;
class Brightpoint;

// The offer's `key` as shown: text as it is, a number as its decimal text; "" when missing or of
// another kind (or when `offer` is not an object).
std::string BPOfferText(const fnd::Value& offer, std::string_view key);
// Whether the offer names an icon: a non-empty text "image_url".
bool BPOfferHasImage(const fnd::Value& offer);

// The configuration's currency name ("" without one) and colour (black without a client).
std::string BPCurrencyName(const std::weak_ptr<Brightpoint>& client);
gfx::Color BPCurrencyColor(const std::weak_ptr<Brightpoint>& client);

// Reads `url` bypassing any cache on a worker of `workers` and decodes the picture there; on success
// stores it in `cache` (when given) under the URL text and calls `done` on that worker with it. One log
// line, and nothing else, when it cannot be read or decoded. `owner` as fnd::fetch's.
void BPDownloadIcon(const std::string& url, std::shared_ptr<BPImageCache> cache,
                    const std::shared_ptr<fnd::WorkerPool>& workers, std::weak_ptr<const void> owner,
                    std::function<void(gfx::ImagePtr)> done);

} // namespace zelvan::brightpoint
