// The page ad slot's choice: each banner network's feature starter offers its banner to the shared ad view
// (a ZLVAdWrapperView), and the first banner network of a feature list that has one takes the view.
#pragma once

#include <functional>
#include <memory>

#include "ads/ad_source.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

// A network's banner for the shared ad view, made fresh; null when the network is not set up.
using BannerSourceMaker = std::function<std::shared_ptr<AdSource>(zelvanAppDelegate&)>;

// The starter of a banner network's feature: runs `start` (when given), then, unless an earlier banner
// network of the same feature list took the shared ad view, puts the banner `source` makes into it. The
// banner is made only when it can take the view (it asks for its first ad at once).
AppRegistry::AdFeatureStarter bannerFeature(BannerSourceMaker source, AppRegistry::AdFeatureStarter start = {});

} // namespace zelvan::app
