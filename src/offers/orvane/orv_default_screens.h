// The offer network's own screens as the composition root installs them on the offer context: the store
// of virtual goods, the leaderboard panel, the submit-score dialog and the download handler of bought items.
#pragma once

#include "offers/orvane/client/orv_screens.h"

namespace zelvan::orvane {

class ORVDefaultScreens final : public ORVScreens {
public:
    std::shared_ptr<ORVStoreView> makeVirtualGoods(gfx::Rect frame) override;

    std::shared_ptr<ui::View> makeHighScoreFilterPanel(gfx::Rect frame, const ORVFilters& filters) override;

    std::shared_ptr<ui::View> makeSubmitHighScoreBox(gfx::Rect frame, const ORVScoreSubmission& values) override;

    std::shared_ptr<ORVFileDownloadHandler> makeFileDownloadHandler() override;
};

} // namespace zelvan::orvane
