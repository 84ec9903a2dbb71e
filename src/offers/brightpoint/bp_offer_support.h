// What the offer rows and the offer details page share: an offer's fields as shown text, the client's
// currency name and colour, and an icon read from the network into the process-wide icon cache.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

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

// Reads `url` bypassing any cache and decodes the picture; on success stores it in `cache` (when given)
// under the URL text. Null, with one log line, when it cannot be read or decoded. Blocks; any thread.
gfx::ImagePtr BPDownloadIcon(const std::string& url, BPImageCache* cache);

} // namespace zelvan::brightpoint
