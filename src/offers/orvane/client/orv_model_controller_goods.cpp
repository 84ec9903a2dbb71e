// The reply cache's goods, purchase and leaderboard entries.
#include "offers/orvane/client/orv_model_controller.h"

namespace zelvan::orvane {

void ORVModelController::cachePurchaseReturn(ORVVGPurchaseReturn answer, std::optional<ORVUserAccount> account) {
    purchase_ = std::move(answer);
    if (account) {
        account_ = std::move(account);
    }
}

std::shared_ptr<ORVModelController::HighScoreList> ORVModelController::getOrvaneHighScoreobj() {
    if (!highScores_) {
        highScores_ = std::make_shared<HighScoreList>();
    }
    return highScores_;
}

std::shared_ptr<ORVModelController::ChallengeList> ORVModelController::getOrvaneHighScoreByChallengeobj() {
    if (!challengeScores_) {
        challengeScores_ = std::make_shared<ChallengeList>();
    }
    return challengeScores_;
}

void ORVModelController::cacheHighScores(HighScoreList rows, std::optional<ORVHighScoreReturn> best) {
    auto list = getOrvaneHighScoreobj();
    if (!moreHighScore_) {
        list->clear();
    }
    list->insert(list->end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    bestScore_ = std::move(best);
}

void ORVModelController::cacheHighScoresByChallenge(ChallengeList rows) {
    *getOrvaneHighScoreByChallengeobj() = std::move(rows);
}

void ORVModelController::releaseHighScoresObject() {
    if (highScores_) {
        highScores_->clear();
        highScores_.reset();
    }
    moreHighScore_ = false;
}

std::optional<ORVscoresAndFilterInfoReturn> ORVModelController::getORVscoresAndFilterInfoReturn() const {
    if (!connect_ || !connect_->scoresAndFilterInfo.isDictionary()) {
        return std::nullopt;
    }
    return ORVscoresAndFilterInfoReturn::initWithInfo(connect_->scoresAndFilterInfo);
}

} // namespace zelvan::orvane
