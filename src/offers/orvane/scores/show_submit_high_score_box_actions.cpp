// ShowSubmitHighScoreBox: submitting, waiting and its answers, retry, the closing actions with the
// notifications the host game hears, and the leaderboard opened over the dialog.
#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/show_box_label.h"
#include "offers/orvane/scores/high_score_filter_panel.h"
#include "offers/orvane/scores/show_submit_high_score_box.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/user_defaults.h"
#include "platform/foundation/utf16.h"

namespace zelvan::orvane {

namespace {

void post(const char* name) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(name);
}

} // namespace

void ShowSubmitHighScoreBox::addObservers() {
    removeObservers();
    auto& center = fnd::NotificationCenter::defaultCenter();
    auto box = self<ShowSubmitHighScoreBox>();
    observers_.push_back(
        center.observe(kORVSubmitScoreReturned, box, &ShowSubmitHighScoreBox::submitHighScoresReturnAction));
    observers_.push_back(
        center.observe(kORVSubmitScoreFailed, box, &ShowSubmitHighScoreBox::submitHighScoresReturnAction));
    observers_.push_back(center.observe(kORVSubmitScoreNoData, box, &ShowSubmitHighScoreBox::netConnectionErrorAction));
}

void ShowSubmitHighScoreBox::removeObservers() {
    observers_.clear();
}

void ShowSubmitHighScoreBox::sendScore() {
    auto shadow = ORVShadow::sharedInstance();
    if (!shadow) {
        ORVLog::logWithLevel(3, "ShowSubmitHighScoreBox: no offer network to send the score to");
        return;
    }
    ORVScoreSubmission submission;
    submission.filters = filters_;
    submission.scores = scores_;
    submission.screenShot = screenShot_;
    submission.scoreVerification = scoreVerification_;
    submission.playerName = playerTxt_ ? playerTxt_->text() : std::string();
    submission.challengeId = challengeID_;
    shadow->showSubmitHighScores(submission);
}

void ShowSubmitHighScoreBox::submitOnlineAction() {
    if (!playerTxt_) {
        return;
    }
    playerTxt_->setText(fnd::trim(playerTxt_->text(), fnd::CharSet::WhitespaceAndNewline));
    if (!checkPlayerName(playerTxt_->text())) {
        return;
    }
    if (currentView_) {
        currentView_->removeFromSuperview();
    }
    initProgressView();
    visibleCurrentSubView(progressView_);
    progressIndicator_->startAnimating();
    fnd::UserDefaults::standard().setObject(fnd::Value(playerTxt_->text()), kLastPlayerNameKey);
    addObservers();
    sendScore();
    movePanelBack();
}

void ShowSubmitHighScoreBox::cancelAction() {
    ORVLog::logWithLevel(4, "submit cancel pressed");
    if (currentView_) {
        currentView_->removeFromSuperview();
    }
    removeObservers();
    if (progressIndicator_) {
        progressIndicator_->stopAnimating();
    }
    progressView_->removeFromSuperview();
    visibleCurrentSubView(firstView_);
    movePanelBack();
}

void ShowSubmitHighScoreBox::submitHighScoresReturnAction() {
    removeObservers();
    ORVLog::logWithLevel(4, "Success SELECTOR CALLED");
    submitHighScoreObj_ = tmc_ ? tmc_->getSubmitHighScoreReturnObj() : std::nullopt;
    std::optional<std::string> failure;
    if (submitHighScoreObj_) {
        failure = submitHighScoreObj_->submitHighScoreFailMessage;
    }
    ORVLog::logWithLevel(4, "Submit Hight score Failure %@", failure ? fnd::Value(*failure) : fnd::Value());
    initResponseReturnViews();
    if (!submitHighScoreObj_) {
        // The answer was announced but its result is gone: nothing says the score arrived.
        ORVLog::logWithLevel(3, "ShowSubmitHighScoreBox: the submit answer carries no result");
        errorLabelTxt_->setText(kNetworkText);
        visibleCurrentSubView(serverNetErrorView_);
        return;
    }
    if (!failure) {
        visibleCurrentSubView(successMsgView_);
        post(kORVSuccessNotification);
    } else if (fnd::contains(*failure, "Timeout", fnd::Options::CaseInsensitive)) {
        errorLabelTxt_->setText(kTimeoutText);
        visibleCurrentSubView(serverNetErrorView_);
    } else {
        failureLabel_->setText(kNameRefusedText);
        visibleCurrentSubView(failureMsgView_);
    }
}

// "8" is both this dialog's "no data" and the leaderboard's ErrorMessage. The dialog observes it only while
// its own request waits, and the session object records which request each "8" answered, so a leaderboard's
// "8" arriving meanwhile is left to the leaderboard.
void ShowSubmitHighScoreBox::netConnectionErrorAction() {
    auto shadow = ORVShadow::sharedInstance();
    if (shadow && shadow->lastEightSource() != ORVShadow::EightSource::SubmitHighScore) {
        return;
    }
    ORVLog::logWithLevel(4, "Internet Connection ");
    initResponseReturnViews();
    errorLabelTxt_->setText(kNetworkText);
    visibleCurrentSubView(serverNetErrorView_);
    removeObservers();
}

void ShowSubmitHighScoreBox::retryAction() {
    ORVLog::logWithLevel(4, "Retry Action");
    if (currentView_) {
        currentView_->removeFromSuperview();
    }
    initProgressView();
    visibleCurrentSubView(progressView_);
    progressIndicator_->startAnimating();
    addObservers();
    sendScore();
}

void ShowSubmitHighScoreBox::closeWith(const char* notification) {
    post(notification);
    removeMeFromSuperView();
    if (tmc_) {
        tmc_->releaseSubmitHighScoreReturnObj();
    }
}

void ShowSubmitHighScoreBox::giveUpAction() {
    ORVLog::logWithLevel(4, "Give Up Pressed");
    closeWith(kORVShowBoxNotification);
}

void ShowSubmitHighScoreBox::okAction() {
    ORVLog::logWithLevel(4, "Ok Button Pressed");
    closeWith(kORVShowBoxNotification);
}

void ShowSubmitHighScoreBox::notNowAction() {
    ORVLog::logWithLevel(4, "Not Now Action");
    closeWith(kORVShowBoxNotification);
}

void ShowSubmitHighScoreBox::mainMenuBtnAction() {
    ORVLog::logWithLevel(4, "Main Menu Button Pressed");
    removeMeFromSuperView();
    post(kORVMainMenuEventNotification);
}

void ShowSubmitHighScoreBox::playAgainAction() {
    ORVLog::logWithLevel(4, " Play game again buttin pressed");
    post(kORVPlayGameAgainEventNotification);
    removeMeFromSuperView();
}

void ShowSubmitHighScoreBox::retryLaterAction() {
    ORVLog::logWithLevel(4, "Retry Later Pressed");
}

void ShowSubmitHighScoreBox::menuAction() {
    ORVLog::logWithLevel(4, "Menu Button Pressed");
    if (currentView_) {
        currentView_->removeFromSuperview();
    }
    removeObservers();
    visibleCurrentSubView(firstView_);
}

void ShowSubmitHighScoreBox::viewHighScoresAction() {
    ORVLog::logWithLevel(4, " View high scores button pressed");
    // Nothing of ours waits now; the leaderboard's own replies (its "8" among them) are its alone.
    removeObservers();
    const gfx::Rect screen(0, 0, 320, 480);
    auto panel = HighScoreFilterPanel::initWithFrame(screen, filters_);
    // Opened from this dialog: closing it posts nothing for the host game.
    panel->setOpenedFromORVView(true);
    highScoresPanel_ = panel;
    addSubview(highScoresPanel_);
    gfx::Rect below = screen;
    below.origin.y += screen.size.height;
    highScoresPanel_->setFrame(below);
    ui::View::beginAnimations("ShowHighScoresFromSubmitBox");
    ui::View::setAnimationDuration(kLeaderboardSlideSeconds);
    highScoresPanel_->setFrame(screen);
    ui::View::commitAnimations();
}

void ShowSubmitHighScoreBox::removeMeFromSuperView() {
    ORVLog::logWithLevel(4, "Removing High Score View");
    // A closed dialog hears no late answer.
    removeObservers();
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->endSubBeaconWithName(kBeaconName);
    }
    removeFromSuperview();
}

} // namespace zelvan::orvane
