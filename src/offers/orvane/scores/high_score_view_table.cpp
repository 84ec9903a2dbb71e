// The leaderboard screen's table - row count with the next-page row, row cells, heights - and a tapped
// row's score card, which slides in from the right while further taps are ignored.
#include "offers/orvane/scores/high_score_view.h"

#include <algorithm>

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_score_format.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/scalar.h"

namespace zelvan::orvane {

namespace {

constexpr int kPageRows = 25;

int intOf(const std::optional<std::string>& text) {
    return text ? static_cast<int>(std::clamp<long long>(fnd::longLongValue(*text), INT32_MIN, INT32_MAX)) : 0;
}

} // namespace

int HighScoreView::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    auto panel = delegate();
    const HighScoreViewDelegate::RowCount count =
        panel ? panel->numberOfRowsInTable() : HighScoreViewDelegate::RowCount{};
    showButton_ = count.more;
    r_ = count.count + (count.more ? 1 : 0);
    return r_;
}

std::optional<double> HighScoreView::tableViewHeightForRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                      const ui::IndexPath& /*indexPath*/) {
    return filter1HasValues() ? 45 : 46;
}

std::shared_ptr<ui::TableViewCell> HighScoreView::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                 const ui::IndexPath& indexPath) {
    const int row = indexPath.row;
    const std::string identifier = fnd::format(" %d%d ", row, indexPath.section);
    auto cell = tableView.dequeueReusableCellWithIdentifier(identifier);
    if (cell) {
        for (int tag = kNameTag; tag <= kFirstScoreTag + 2; ++tag) {
            if (auto label = std::dynamic_pointer_cast<ui::Label>(cell->contentView()->viewWithTag(tag))) {
                label->setText("");
            }
        }
        cell->setText("");
    } else {
        cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, identifier);
    }
    if (showButton_ && row >= r_ - 1) {
        auto web = ORVWebServiceInterface::sharedInstance();
        const int more = web ? web->getmoredatavalue() : 0;
        cell->setText(fnd::format("          Show Next %d of %d", std::min(kPageRows, more), more));
        cell->setFont(gfx::Font::withName("Arial-BoldMT", 20));
        cell->setTextColor(gfx::Color::black());
        cell->setBackgroundColor(gfx::Color::red());
        cell->contentView()->setBackgroundColor(gfx::Color::red());
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Blue);
        return cell;
    }
    cell->setBackgroundColor(gfx::Color::white());
    cell->contentView()->setBackgroundColor(gfx::Color::clear());
    setRowScoresDisplayLabel(row, *cell);
    return cell;
}

void HighScoreView::setRowScoresDisplayLabel(int row, ui::TableViewCell& cell) {
    auto panel = delegate();
    ui::View& content = *cell.contentView();
    if (!content.viewWithTag(kNameTag)) {
        addScoreLabels(content, 50);
    }
    if (!panel) {
        return;
    }
    if (auto name = std::dynamic_pointer_cast<ui::Label>(content.viewWithTag(kNameTag))) {
        name->setText(fnd::format("  %@.  %@", panel->getTableLabel(row, 0).value_or(""),
                                  panel->getTableLabel(row, 1).value_or("")));
    }
    constexpr int kScoreCodes[] = {5, 6, 7};
    for (int column = 1; column <= availableScores_; ++column) {
        auto label = std::dynamic_pointer_cast<ui::Label>(content.viewWithTag(kFirstScoreTag + column - 1));
        if (!label) {
            continue;
        }
        const int score = intOf(panel->getTableLabel(row, kScoreCodes[column - 1]));
        label->setText(column == timeColNo_ ? formatTime(score) : formatString(score));
    }
}

void HighScoreView::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    if (rowAlreadyselected_ > 0) {
        return;
    }
    ++rowAlreadyselected_;
    const int row = indexPath.row;
    if (showButton_ && row == r_ - 1) {
        if (auto panel = delegate()) {
            panel->getmoredata();
        }
        tableView.deselectRowAtIndexPath(indexPath, ui::Animated::No);
        --rowAlreadyselected_;
    } else {
        openCard(row);
    }
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
}

void HighScoreView::openCard(int row) {
    auto panel = delegate();
    // A tap that reached a row the panel no longer holds (its rows were emptied meanwhile) opens nothing.
    const auto highScoreId = panel ? panel->getHighScoreID(row) : std::nullopt;
    auto card = highScoreId ? panel->makeHighScoreCard() : nullptr;
    if (!card || !card->view()) {
        ORVLog::logWithLevel(4, "HighScoreView: no score card for row %d", row);
        --rowAlreadyselected_;
        return;
    }
    currentRow_ = row;
    card->setChallId(highScoreId);
    HighScoreCardParams params;
    constexpr int kFilterNameCodes[] = {9, 10, 11, 19, 20, 21};
    constexpr int kScoreNameCodes[] = {2, 3, 4, 12, 13, 14, 15};
    constexpr int kScoreCodes[] = {5, 6, 7, 8, 16, 17, 18};
    for (int i = 0; i < 6; ++i) {
        params.filterLabels[i] = panel->getTableLabel(row, kFilterNameCodes[i]);
    }
    for (int i = 0; i < 3; ++i) {
        const auto& combo = comboBoxes_[i];
        auto item = combo ? combo->getSelectedItem() : nullptr;
        params.filterValues[i] = item ? std::optional<std::string>(item->getValue()) : std::nullopt;
    }
    for (int i = 3; i < 6; ++i) {
        params.filterValues[i] = panel->getTableLabel(row, 22 + i);
    }
    for (int i = 0; i < 7; ++i) {
        params.scoreLabels[i] = panel->getTableLabel(row, kScoreNameCodes[i]);
        params.scoreValues[i] = panel->getTableLabel(row, kScoreCodes[i]);
    }
    params.playerName = panel->getTableLabel(row, 1);
    params.rank = panel->getTableLabel(row, 0);
    card->setParams(params);
    panel->setHighScoreImageController(card);
    card_ = card;
    animateToLeft();
    mainView_->addSubview(card->view());
}

void HighScoreView::animateToLeft() {
    if (!card_) {
        return;
    }
    card_->startActivityIndicator();
    auto view = card_->view();
    const gfx::Rect frame = view->frame();
    view->setFrame(gfx::Rect(frame.origin.x + frame.size.width, frame.origin.y, frame.size.width, frame.size.height));
    ui::View::beginAnimations("");
    ui::View::setAnimationDuration(kSlideSeconds);
    view->setFrame(frame);
    ui::View::commitAnimations();
    view->setUserInteractionEnabled(false);
    std::weak_ptr<HighScoreView> weak = self<HighScoreView>();
    fnd::RunLoop::main().performAfter(kSlideSeconds, [weak] {
        if (auto screen = weak.lock()) {
            screen->removeProgressView();
        }
    });
}

void HighScoreView::removeProgressView() {
    if (card_ && card_->view()) {
        card_->view()->setUserInteractionEnabled(true);
    }
    --rowAlreadyselected_;
}

} // namespace zelvan::orvane
