// The leaderboard panel's answers about its rows (count, label texts by code, high-score ids) and the
// player's best-score strip. Row indexes are checked: a stale tap after the rows were emptied reads none.
#include "offers/orvane/scores/high_score_filter_panel.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_score_format.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/scores/high_score_view.h"
#include "platform/foundation/format.h"

namespace zelvan::orvane {

namespace {

// Codes of getTableLabel read from the row: score n and filter n.
constexpr std::array<int, 7> kScoreCodes = {5, 6, 7, 8, 16, 17, 18};
constexpr std::array<int, 6> kFilterValueCodes = {22, 23, 24, 25, 26, 27};
// Codes read from the game's leaderboard description.
constexpr std::array<int, 7> kScoreNameCodes = {2, 3, 4, 12, 13, 14, 15};
constexpr std::array<int, 6> kFilterNameCodes = {9, 10, 11, 19, 20, 21};

template <size_t N>
int indexOf(const std::array<int, N>& codes, int code) {
    for (size_t i = 0; i < N; ++i) {
        if (codes[i] == code) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::shared_ptr<ui::Label> labelWithTag(ui::View& strip, int tag) {
    return std::dynamic_pointer_cast<ui::Label>(strip.viewWithTag(tag));
}

} // namespace

HighScoreFilterPanel::RowCount HighScoreFilterPanel::numberOfRowsInTable() const {
    const int count = static_cast<int>(dataArray_->size());
    ORVLog::logWithLevel(4, "HighScoreFilterPanel: %d rows", count);
    auto web = ORVWebServiceInterface::sharedInstance();
    return RowCount{count, web && web->getmoredatavalue() > 0};
}

// Codes: 0 rank, 1 player name, 5-8 and 16-18 scores 1-7, 22-27 filter values 1-6 (from the row); 2-4
// and 12-15 score names 1-7, 9-11 and 19-21 filter names 1-6 (from the game's description).
std::optional<std::string> HighScoreFilterPanel::getTableLabel(int row, int code) const {
    if (const int n = indexOf(kScoreNameCodes, code)) {
        auto model = ORVModelController::sharedInstance();
        auto info = model ? model->getORVscoresAndFilterInfoReturn() : std::nullopt;
        return info ? info->ScoreName(n) : std::nullopt;
    }
    if (const int n = indexOf(kFilterNameCodes, code)) {
        auto model = ORVModelController::sharedInstance();
        auto info = model ? model->getORVscoresAndFilterInfoReturn() : std::nullopt;
        return info ? info->filterName(n) : std::nullopt;
    }
    const bool rowCode = code == 0 || code == 1 || indexOf(kScoreCodes, code) || indexOf(kFilterValueCodes, code);
    if (!rowCode || row < 0 || static_cast<size_t>(row) >= dataArray_->size()) {
        return std::nullopt;
    }
    const ORVHighScoreReturn& entry = (*dataArray_)[static_cast<size_t>(row)];
    if (code == 0) {
        return fnd::format("%d", entry.rank);
    }
    if (code == 1) {
        return entry.playarName();
    }
    if (const int n = indexOf(kScoreCodes, code)) {
        return fnd::format("%d", entry.score(n));
    }
    return entry.filter(indexOf(kFilterValueCodes, code));
}

std::optional<std::string> HighScoreFilterPanel::getHighScoreID(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= dataArray_->size()) {
        return std::nullopt;
    }
    return (*dataArray_)[static_cast<size_t>(row)].highScoreID;
}

void HighScoreFilterPanel::emptyUserBestScoreView() {
    ORVLog::logWithLevel(4, "Empty Best Score");
    if (auto model = ORVModelController::sharedInstance(); model && model->getUserBestScoreObj()) {
        model->getUserBestScoreObj()->setPlayarName("");
    }
    if (!myView_ || !myView_->userBestscoreView()) {
        return;
    }
    auto& strip = *myView_->userBestscoreView();
    if (!labelWithTag(strip, HighScoreView::kNameTag)) {
        return;
    }
    for (int tag = HighScoreView::kNameTag; tag <= HighScoreView::kFirstScoreTag + 2; ++tag) {
        if (auto label = labelWithTag(strip, tag)) {
            label->setText("");
        }
    }
}

void HighScoreFilterPanel::fillUserBestScoreView() {
    auto model = ORVModelController::sharedInstance();
    if (!myView_ || !myView_->userBestscoreView() || !model) {
        return;
    }
    const auto& best = model->getUserBestScoreObj();
    auto& strip = *myView_->userBestscoreView();
    if (best && labelWithTag(strip, HighScoreView::kNameTag)) {
        labelWithTag(strip, HighScoreView::kNameTag)->setText(fnd::format("  %d.  %@", best->rank, best->playarName()));
        for (int column = 1; column <= 3; ++column) {
            if (auto label = labelWithTag(strip, HighScoreView::kFirstScoreTag + column - 1)) {
                const int score = best->score(column);
                label->setText(myView_->TimeColNo() == column ? formatTime(score) : formatString(score));
            }
        }
    }
    const auto& table = myView_->table();
    gfx::Rect frame = table->frame();
    if (best && !best->playarName().empty()) {
        strip.setAlpha(1);
        table->setFrame(gfx::Rect(frame.origin.x, tableY_, frame.size.width, tableHeight_));
    } else {
        const double stripHeight = strip.frame().size.height;
        strip.setAlpha(0);
        table->setFrame(gfx::Rect(frame.origin.x, tableY_ - stripHeight, frame.size.width, tableHeight_ + stripHeight));
    }
}

} // namespace zelvan::orvane
