// The leaderboard panel's life and requests: building it and its screen, the day ranges, the next page,
// the replies and their alerts, and closing. The row answers and the best-score strip are in
// high_score_filter_panel_rows.cpp.
#include "offers/orvane/scores/high_score_filter_panel.h"

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_image_store.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/scores/high_score_image_controller.h"
#include "offers/orvane/scores/high_score_view.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/alert_view.h"

namespace zelvan::orvane {

namespace {

const char* titleOf(HighScoreFilterPanel::DayAction action) {
    switch (action) {
    case HighScoreFilterPanel::DayAction::Today:
        return "   Today   ";
    case HighScoreFilterPanel::DayAction::ThisWeek:
        return "This Week";
    case HighScoreFilterPanel::DayAction::AllTime:
        break;
    }
    return "  All Time ";
}

int daysOf(HighScoreFilterPanel::DayAction action) {
    switch (action) {
    case HighScoreFilterPanel::DayAction::Today:
        return HighScoreFilterPanel::kToday;
    case HighScoreFilterPanel::DayAction::ThisWeek:
        return HighScoreFilterPanel::kThisWeek;
    case HighScoreFilterPanel::DayAction::AllTime:
        break;
    }
    return HighScoreFilterPanel::kAllTime;
}

void copyToFiltersValueInfo(const ORVFilters& filters) {
    if (auto info = OrvaneConnect::getFiltersValueInfo()) {
        info->setFilter1(filters[0]);
        info->setFilter2(filters[1]);
        info->setFilter3(filters[2]);
        info->setFilter4(filters[3]);
        info->setFilter5(filters[4]);
        info->setFilter6(filters[5]);
    }
}

} // namespace

std::shared_ptr<HighScoreFilterPanel> HighScoreFilterPanel::initWithFrame(gfx::Rect frame, const ORVFilters& filters) {
    return initWithFrame(frame, filters, makeHighScoreImageController);
}

std::shared_ptr<HighScoreFilterPanel> HighScoreFilterPanel::initWithFrame(gfx::Rect frame, const ORVFilters& filters,
                                                                          HighScoreCardMaker cardMaker) {
    auto panel = std::make_shared<HighScoreFilterPanel>();
    panel->cardMaker_ = std::move(cardMaker);
    panel->openedFromORVView_ = false;
    panel->daysScore_ = kToday;
    panel->addObservers();
    panel->filters_ = filters;
    copyToFiltersValueInfo(filters);
    if (auto shadow = ORVShadow::sharedInstance()) {
        shadow->getHighScores(filters, kToday);
    }
    panel->ui::View::initWithFrame(frame);
    panel->loadView();
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->startSubBeaconWithName(kBeaconName, true);
    }
    return panel;
}

HighScoreFilterPanel::~HighScoreFilterPanel() {
    rowsObservers_.clear();
    challengeObservers_.clear();
    ORVLog::logWithLevel(4, "DEALLOCATE: HighscorePanel");
}

void HighScoreFilterPanel::loadView() {
    noScoreLbl_ = ui::View::create<ui::Label>(gfx::Rect(85, 280, 200, 30));
    noScoreLbl_->setText(kNoScores);
    noScoreLbl_->setTextColor(gfx::Color::black());
    noScoreLbl_->setFont(gfx::Font::boldSystemFontOfSize(15));
    noScoreLbl_->setBackgroundColor(gfx::Color::clear());
    noScoreLbl_->setTag(kNoScoreTag);
    noScoreLbl_->setAlpha(0);
    daysScore_ = kToday;
    if (auto model = ORVModelController::sharedInstance(); model && model->getUserBestScoreObj()) {
        model->getUserBestScoreObj()->setPlayarName("");
    }

    progressView_ = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    progressView_->setTag(kProgressTag);
    progressIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    gfx::Rect spot = progressIndicator_->frame();
    spot.origin = gfx::Point(150, 260);
    progressIndicator_->setFrame(spot);
    progressView_->addSubview(progressIndicator_);
    progressIndicator_->startAnimating();

    auto me = self<HighScoreFilterPanel>();
    myView_ = HighScoreView::init();
    myView_->setDelegate(me);
    emptyUserBestScoreView();
    myHighScoreView_ = myView_->generate();
    addSubview(myHighScoreView_);
    tableY_ = myView_->table()->frame().origin.y;
    tableHeight_ = myView_->table()->frame().size.height;
    myView_->todayButton()->setSelected(true);

    std::weak_ptr<HighScoreFilterPanel> weak = me;
    myView_->navBarView()->addLeftButtonTarget(weak, &HighScoreFilterPanel::backButtonAction,
                                               ui::ControlEvents::TouchUpInside);
    myView_->todayButton()->addTarget(weak, &HighScoreFilterPanel::todayButtonAction, ui::ControlEvents::TouchUpInside);
    myView_->thisButton()->addTarget(weak, &HighScoreFilterPanel::thisButtonAction, ui::ControlEvents::TouchUpInside);
    myView_->lastButton()->addTarget(weak, &HighScoreFilterPanel::lastButtonAction, ui::ControlEvents::TouchUpInside);
    myView_->gameTypeOkBtn()->addTarget(weak, &HighScoreFilterPanel::gameTypOkBtnAction,
                                        ui::ControlEvents::TouchUpInside);
    addSubview(progressView_);
}

// --- Subscriptions: each set lives while its request is pending ---

void HighScoreFilterPanel::addObservers() {
    std::weak_ptr<HighScoreFilterPanel> weak =
        std::static_pointer_cast<HighScoreFilterPanel>(std::static_pointer_cast<ui::View>(shared_from_this()));
    auto& center = fnd::NotificationCenter::defaultCenter();
    rowsObservers_.clear();
    rowsObservers_.push_back(
        center.observe(kORVHighScoresReceived, weak, &HighScoreFilterPanel::getHighScoresSelector));
    rowsObservers_.push_back(center.addObserver(kORVHighScoresError, fnd::Value(), [weak](const auto&) {
        if (auto panel = weak.lock()) {
            panel->getHighScoresSelector2(true);
        }
    }));
    rowsObservers_.push_back(center.addObserver(kORVHighScoresNetError, fnd::Value(), [weak](const auto&) {
        if (auto panel = weak.lock()) {
            panel->getHighScoresSelector2(false);
        }
    }));
}

void HighScoreFilterPanel::addChallengeObservers() {
    auto panel = self<HighScoreFilterPanel>();
    auto& center = fnd::NotificationCenter::defaultCenter();
    challengeObservers_.clear();
    challengeObservers_.push_back(
        center.observe(kORVChallengeScoresReceived, panel, &HighScoreFilterPanel::getHighScoresChallenge));
    challengeObservers_.push_back(
        center.observe(kORVChallengeScoresNetError, panel, &HighScoreFilterPanel::getHighScoresChallengeNoReply));
    challengeObservers_.push_back(
        center.observe(kORVChallengeScoresError, panel, &HighScoreFilterPanel::getHighScoresChallengeError));
}

void HighScoreFilterPanel::showProgress() {
    addSubview(progressView_);
    progressIndicator_->startAnimating();
}

void HighScoreFilterPanel::hideProgress() {
    progressView_->removeFromSuperview();
    progressIndicator_->stopAnimating();
}

// --- Day ranges ---

void HighScoreFilterPanel::todayButtonAction() {
    dayRangeAction(DayAction::Today);
}

void HighScoreFilterPanel::thisButtonAction() {
    dayRangeAction(DayAction::ThisWeek);
}

void HighScoreFilterPanel::lastButtonAction() {
    dayRangeAction(DayAction::AllTime);
}

void HighScoreFilterPanel::dayRangeAction(DayAction action) {
    myView_->todayButton()->setSelected(action == DayAction::Today);
    myView_->thisButton()->setSelected(action == DayAction::ThisWeek);
    myView_->lastButton()->setSelected(action == DayAction::AllTime);
    if (action == DayAction::Today) {
        emptyUserBestScoreView();
    }
    ui::View::beginAnimations("");
    ui::View::setAnimationDuration(HighScoreView::kMenuFadeSeconds);
    myView_->durationTypeView()->setAlpha(0);
    ui::View::commitAnimations();
    myView_->navBarView()->updateRightNavBarBtnWithTitle(titleOf(action));
    currentAction_ = action;
    addObservers();
    showProgress();
    if (auto web = ORVWebServiceInterface::sharedInstance()) {
        web->RelaodStartMax1();
    }
    daysScore_ = daysOf(action);
    dataArray_->clear();
    if (action != DayAction::Today) {
        emptyUserBestScoreView();
    }
    reloadTable();
    auto shadow = ORVShadow::sharedInstance();
    if (!shadow) {
        return;
    }
    if (myView_->challenge()) {
        addChallengeObservers();
        const auto& field = myView_->challengeIdTxt();
        shadow->ShowHighScoresPanelByChallenge(daysScore_, field ? field->text() : std::string());
    } else {
        shadow->getHighScores(filters_, daysScore_);
    }
}

void HighScoreFilterPanel::performCurrentAction() {
    if (!currentAction_) {
        currentAction_ = DayAction::Today;
    }
    dayRangeAction(*currentAction_);
}

// Subscribes only when it sends: with no further rows nothing is pending, so nothing is awaited.
void HighScoreFilterPanel::getmoredata() {
    auto web = ORVWebServiceInterface::sharedInstance();
    auto model = ORVModelController::sharedInstance();
    auto shadow = ORVShadow::sharedInstance();
    if (web && model && shadow && web->getmoredatavalue() > 0) {
        addObservers();
        model->setMoreHighScore(true);
        showProgress();
        if (model->getUserBestScoreObj()) {
            model->getUserBestScoreObj()->setPlayarName("");
        }
        shadow->getHighScores(filters_, daysScore_);
        return;
    }
    ui::AlertView::initWithTitle(kNoMoreDataTitle, "No More Data", self<HighScoreFilterPanel>(), "OK")->show();
}

void HighScoreFilterPanel::gameTypOkBtnAction() {
    dataArray_->clear();
    performCurrentAction();
}

void HighScoreFilterPanel::setFilterDataWithFilter(const ORVFilters& filters) {
    filters_ = filters;
    copyToFiltersValueInfo(filters);
}

// --- Replies ---

void HighScoreFilterPanel::getHighScoresSelector() {
    rowsObservers_.clear();
    hideProgress();
    if (auto model = ORVModelController::sharedInstance()) {
        dataArray_ = model->getOrvaneHighScoreobj();
    }
    if (dataArray_->empty()) {
        if (auto old = viewWithTag(kNoScoreTag); old && old.get() != this) {
            old->removeFromSuperview();
        }
        noScoreLbl_->setAlpha(0.6);
        addSubview(noScoreLbl_);
    } else if (auto old = viewWithTag(kNoScoreTag); old && old.get() != this) {
        old->removeFromSuperview();
    }
    fillUserBestScoreView();
    reloadTable();
}

// "8" also answers a submitted score (the submit dialog's "no data"). The panel listens only while its own
// GetHighScoresByFilter request is pending; an "8" the session object says answered a submit is left to
// the dialog, and the panel stays as it was, still waiting for its own answer.
void HighScoreFilterPanel::getHighScoresSelector2(bool eight) {
    if (eight) {
        auto shadow = ORVShadow::sharedInstance();
        if (shadow && shadow->lastEightSource() == ORVShadow::EightSource::SubmitHighScore) {
            ORVLog::logWithLevel(4, "HighScoreFilterPanel: an \"8\" of a submitted score, not ours");
            return;
        }
    }
    rowsObservers_.clear();
    hideProgress();
    showRetryAlert();
    emptyUserBestScoreView();
    reloadTable();
}

void HighScoreFilterPanel::getHighScoresChallenge() {
    challengeObservers_.clear();
    if (auto model = ORVModelController::sharedInstance()) {
        const auto& rows = *model->getOrvaneHighScoreByChallengeobj();
        if (!dataArray_->empty()) {
            dataArray_->insert(dataArray_->end(), rows.begin(), rows.end());
        } else {
            dataArray_ = std::make_shared<ORVModelController::HighScoreList>(rows.begin(), rows.end());
        }
    }
    hideProgress();
    fillUserBestScoreView();
    reloadTable();
}

void HighScoreFilterPanel::getHighScoresChallengeNoReply() {
    challengeObservers_.clear();
    hideProgress();
    showRetryAlert();
    reloadTable();
}

void HighScoreFilterPanel::getHighScoresChallengeError() {
    challengeObservers_.clear();
    hideProgress();
    ui::AlertView::initWithTitle("", kImproperGuid, self<HighScoreFilterPanel>(), "Cancel")->show();
    reloadTable();
}

void HighScoreFilterPanel::showRetryAlert() {
    ui::AlertView::initWithTitle("", kUnreachable, self<HighScoreFilterPanel>(), "Cancel", {"Retry"})->show();
}

void HighScoreFilterPanel::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    if (buttonIndex == 0) {
        ORVLog::logWithLevel(4, "cancel");
    } else if (buttonIndex == 1) {
        ORVLog::logWithLevel(4, "retry");
        performCurrentAction();
    }
}

void HighScoreFilterPanel::reloadTable() {
    if (myView_ && myView_->table()) {
        myView_->table()->reloadData();
    }
}

// --- Closing ---

void HighScoreFilterPanel::backButtonAction() {
    if (closing_) {
        return;
    }
    closing_ = true;
    if (auto web = ORVWebServiceInterface::sharedInstance()) {
        web->RelaodStartMax1();
    }
    // The facade that opened the panel; a panel made without one does not start a connect by closing.
    auto facade = OrvaneConnect::sharedOrvaneConnect();
    const double delay = OrvaneConnect::getTransitionDelay();
    ORVUtil::animateORVView(self(), facade ? facade->getreverseTransitionEffect() : ORVUtil::FadeOut, delay);
    std::weak_ptr<HighScoreFilterPanel> weak = self<HighScoreFilterPanel>();
    fnd::RunLoop::main().performAfter(delay, [weak] {
        if (auto panel = weak.lock()) {
            panel->giveBackNotification();
        }
    });
}

void HighScoreFilterPanel::giveBackNotification() {
    auto keep = self<HighScoreFilterPanel>();
    removeFromSuperview();
    dataArray_->clear();
    if (!openedFromORVView_) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kORVShowBoxNotification);
    }
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->endSubBeaconWithName(kBeaconName);
    }
    if (auto model = ORVModelController::sharedInstance()) {
        model->releaseHighScoresObject();
        model->releaseCacheBestScores();
    }
}

void HighScoreFilterPanel::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    if (myView_) {
        myView_->touchesBegan(touches, event);
    }
}

// --- Shared helpers ---

std::optional<std::string> HighScoreFilterPanel::imagePathForID(const std::string& id) {
    return orvane::imagePathForID(id);
}

bool HighScoreFilterPanel::saveImageData(const fnd::Bytes& data, const std::string& id) {
    return orvane::saveImageData(data, id);
}

fnd::Bytes HighScoreFilterPanel::dataWithBase64EncodedString(const std::string& text) {
    return ORVUtil::dataWithBase64EncodedString(text);
}

} // namespace zelvan::orvane
