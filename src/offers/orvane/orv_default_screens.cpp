// Makes the offer network's own screens. A screen this client does not have yet is none: the facade's
// opener then logs its line and opens nothing.
#include "offers/orvane/orv_default_screens.h"

#include "offers/orvane/goods/get_virtual_goods.h"
#include "offers/orvane/goods/orv_default_file_download_handler.h"
#include "offers/orvane/scores/high_score_filter_panel.h"
#include "offers/orvane/scores/show_submit_high_score_box.h"

namespace zelvan::orvane {

// The store of virtual goods.
std::shared_ptr<ORVStoreView> ORVDefaultScreens::makeVirtualGoods(gfx::Rect frame) {
    return ui::View::create<GetVirtualGoods>(frame);
}

// The leaderboard panel.
std::shared_ptr<ui::View> ORVDefaultScreens::makeHighScoreFilterPanel(gfx::Rect frame, const ORVFilters& filters) {
    return HighScoreFilterPanel::initWithFrame(frame, filters);
}

// The submit-score dialog.
std::shared_ptr<ui::View> ORVDefaultScreens::makeSubmitHighScoreBox(gfx::Rect frame, const ORVScoreSubmission& values) {
    auto box = ui::View::create<ShowSubmitHighScoreBox>(frame);
    box->setParams(values);
    box->initFirstView();
    return box;
}

// The one download handler of bought items.
std::shared_ptr<ORVFileDownloadHandler> ORVDefaultScreens::makeFileDownloadHandler() {
    return std::make_shared<ORVDefaultFileDownloadHandler>();
}

} // namespace zelvan::orvane
