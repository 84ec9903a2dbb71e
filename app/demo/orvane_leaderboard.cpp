// The offer network's leaderboard as the demo driver opens, reads and closes it.
#include "app/demo/orvane_leaderboard.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/scores/high_score_filter_panel.h"
#include "platform/foundation/format.h"

namespace zelvan::app {

namespace {

std::shared_ptr<orvane::HighScoreFilterPanel> panelOf(const std::shared_ptr<ui::View>& view) {
    return std::dynamic_pointer_cast<orvane::HighScoreFilterPanel>(view);
}

} // namespace

std::shared_ptr<ui::View> openLeaderboard(zelvanAppDelegate& delegate, ui::View& window) {
    auto context = delegate.orvane();
    auto facade = context ? context->facade() : nullptr;
    if (!facade) {
        return nullptr;
    }
    orvane::ORVFilters filters;
    if (auto info = context->modelController()->getORVscoresAndFilterInfoReturn();
        info && !info->filterValuesOf(1).empty()) {
        filters[0] = info->filterValuesOf(1).front().value;
    }
    auto panel = facade->getHighScoresByFilter(filters);
    if (panel) {
        window.addSubview(panel);
    }
    return panel;
}

int leaderboardRows(const std::shared_ptr<ui::View>& leaderboard) {
    auto panel = panelOf(leaderboard);
    if (!panel || panel->listeningForRows() || panel->dataArray().empty()) {
        return -1;
    }
    return static_cast<int>(panel->dataArray().size());
}

void closeLeaderboard(const std::shared_ptr<ui::View>& leaderboard) {
    if (auto panel = panelOf(leaderboard)) {
        panel->backButtonAction();
    }
}

std::vector<std::string> leaderboardReport(const std::shared_ptr<ui::View>& leaderboard) {
    auto panel = panelOf(leaderboard);
    auto model = orvane::ORVModelController::sharedInstance();
    auto web = orvane::ORVWebServiceInterface::sharedInstance();
    if (!panel || !model || !web) {
        return {};
    }
    std::vector<std::string> lines = {fnd::format("GetHighScoresByFilter answered: %d rows for filter1 \"%@\", %d "
                                                  "day(s), %d more",
                                                  static_cast<int>(panel->dataArray().size()), panel->filter(1),
                                                  panel->daysScore(), web->getmoredatavalue())};
    if (const auto& best = model->getUserBestScoreObj(); best && !best->playarName().empty()) {
        lines.push_back(fnd::format("best score: %d. %@ %d", best->rank, best->playarName(), best->score(1)));
    }
    return lines;
}

} // namespace zelvan::app
