// HighScoreFilterPanel: the offer network's leaderboard controller - a full-screen view owning the
// leaderboard screen (HighScoreView). It sends the score requests (by six filters and a day range, their
// further pages, or by challenge), listens for their replies only while one is pending, fills the
// player's best-score strip, answers the screen's questions about the rows and asks again on the
// unreachable-service alert. Main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/scores/high_score_card.h"
#include "offers/orvane/scores/high_score_view.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class HighScoreFilterPanel : public ui::View, public ui::AlertViewDelegate, public HighScoreViewDelegate {
public:
    static constexpr const char* kBeaconName = "ORV View High Score";
    static constexpr const char* kNoScores = "No scores available";
    static constexpr int kNoScoreTag = 12;
    static constexpr int kProgressTag = 1;
    static constexpr const char* kUnreachable = "Service is unreachable.\nDo you want to try again?";
    static constexpr const char* kNoMoreDataTitle = "Tap joy Connect";
    static constexpr const char* kImproperGuid = "Improper GUID";
    // Day ranges.
    static constexpr int kToday = 1;
    static constexpr int kThisWeek = 7;
    static constexpr int kAllTime = 10000;

    // The day-range operations Retry and Game Type OK repeat.
    enum class DayAction { Today, ThisWeek, AllTime };

    // Subscribes, keeps the filters (also in the facade's filter values), asks for one day of scores with
    // them, builds the screen and starts the timed beacon section.
    static std::shared_ptr<HighScoreFilterPanel> initWithFrame(gfx::Rect frame, const ORVFilters& filters);
    // The same with the card maker the screen uses (makeHighScoreImageController unless given).
    static std::shared_ptr<HighScoreFilterPanel> initWithFrame(gfx::Rect frame, const ORVFilters& filters,
                                                               HighScoreCardMaker cardMaker);
    using ui::View::initWithFrame;
    ~HighScoreFilterPanel() override;
    std::string className() const override { return "HighScoreFilterPanel"; }

    void loadView();

    // --- Requests ---
    void todayButtonAction();
    void thisButtonAction();
    void lastButtonAction();
    // The next page of the current query, or the "No More Data" alert when the server holds none.
    void getmoredata() override;
    // Empties the rows and repeats the current day-range action.
    void gameTypOkBtnAction();
    // Replaces the filters (and the facade's filter values); sends nothing.
    void setFilterDataWithFilter(const ORVFilters& filters) override;
    // Cancel (0) does nothing; Retry (1) repeats the current day-range action from its first page.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

    // --- Closing ---
    // Resets the paging, slides the panel out and, after the transition, runs giveBackNotification.
    void backButtonAction();
    // Leaves the window, empties the rows, posts "ORV_SHOW_BOX_NOTIFICATION" unless another SDK view
    // opened the panel, ends the beacon section and drops the cached rows and best score.
    void giveBackNotification();

    // --- The screen's questions ---
    RowCount numberOfRowsInTable() const override;
    // The text of `code` for `row` (see the codes in the .cpp); none for an unknown code, or a row code
    // past the rows held.
    std::optional<std::string> getTableLabel(int row, int code) const override;
    // The row's high-score id; none past the rows held.
    std::optional<std::string> getHighScoreID(int row) const override;
    // Answers NO: the screen always shows its " Back " button.
    bool isBackButton() const override { return false; }
    void emptyUserBestScoreView();
    void fillUserBestScoreView();
    void setHighScoreImageController(std::shared_ptr<HighScoreCard> card) override { card_ = std::move(card); }
    const std::shared_ptr<HighScoreCard>& getHighScoreImageController() const { return card_; }
    std::shared_ptr<HighScoreCard> makeHighScoreCard() const override { return cardMaker_ ? cardMaker_() : nullptr; }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;

    // --- Shared helpers (the Base64 decoding is the core's lenient one) ---
    static std::optional<std::string> imagePathForID(const std::string& id);
    static bool saveImageData(const fnd::Bytes& data, const std::string& id);
    static fnd::Bytes dataWithBase64EncodedString(const std::string& text);

    // --- State ---
    const ORVFilters& filters() const { return filters_; }
    const std::string& filter(int n) const override { return filters_.at(n - 1); }
    int daysScore() const { return daysScore_; }
    std::optional<DayAction> currentAction() const { return currentAction_; }
    const ORVModelController::HighScoreList& dataArray() const { return *dataArray_; }
    bool openedFromORVView() const { return openedFromORVView_; }
    void setOpenedFromORVView(bool opened) { openedFromORVView_ = opened; }
    const std::shared_ptr<HighScoreView>& myView() const { return myView_; }
    const std::shared_ptr<ui::Label>& noScoreLbl() const override { return noScoreLbl_; }
    const std::shared_ptr<ui::View>& progressView() const { return progressView_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& progressIndicator() const { return progressIndicator_; }
    // Whether the panel listens for the filter request's replies ("3", "8", "9") and the challenge
    // request's ("4", "20", "21").
    bool listeningForRows() const { return !rowsObservers_.empty(); }
    bool listeningForChallenge() const { return !challengeObservers_.empty(); }

private:
    void dayRangeAction(DayAction action);
    void performCurrentAction();
    void addObservers();
    void addChallengeObservers();
    void showProgress();
    void hideProgress();
    void showRetryAlert();
    // Reply handlers.
    void getHighScoresSelector();
    void getHighScoresSelector2(bool eight);
    void getHighScoresChallenge();
    void getHighScoresChallengeNoReply();
    void getHighScoresChallengeError();
    void reloadTable();

    ORVFilters filters_;
    int daysScore_ = kToday;
    std::optional<DayAction> currentAction_;
    std::shared_ptr<ORVModelController::HighScoreList> dataArray_ =
        std::make_shared<ORVModelController::HighScoreList>();
    std::shared_ptr<HighScoreView> myView_;
    std::shared_ptr<ui::View> myHighScoreView_;
    std::shared_ptr<ui::Label> noScoreLbl_;
    std::shared_ptr<ui::View> progressView_;
    std::shared_ptr<ui::ActivityIndicatorView> progressIndicator_;
    double tableHeight_ = 0;
    double tableY_ = 0;
    std::shared_ptr<HighScoreCard> card_;
    HighScoreCardMaker cardMaker_;
    bool openedFromORVView_ = false;
    bool closing_ = false;
    std::vector<fnd::ObserverToken> rowsObservers_;
    std::vector<fnd::ObserverToken> challengeObservers_;
};

} // namespace zelvan::orvane
