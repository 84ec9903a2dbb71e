// HighScoreView: the visible leaderboard - title bar with " Back " and the day-range button, the "Game
// Type" bar describing the chosen filters, the column header, the player's best-score strip, the table
// of scores with its next-page row, the day-range menu and the "Game Type" dialog of filter combo boxes.
// It holds no rows: its delegate, the panel (HighScoreViewDelegate), answers for them. A tapped row opens its score
// card. Main thread.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/kit/panel_label.h"
#include "offers/orvane/kit/ui_combo_box.h"
#include "offers/orvane/scores/high_score_card.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_field.h"

namespace zelvan::orvane {

// What the screen asks of the panel that owns it (HighScoreFilterPanel): the rows, the chosen filters, the
// next page and the score card of a tapped row.
class HighScoreViewDelegate {
public:
    // What numberOfRowsInTable answers: the rows held, and whether the server holds more (the screen then
    // adds the next-page row).
    struct RowCount {
        int count = 0;
        bool more = false;
    };

    virtual ~HighScoreViewDelegate() = default;
    virtual RowCount numberOfRowsInTable() const = 0;
    // The text of `code` for `row`; none for an unknown code, or a row code past the rows held.
    virtual std::optional<std::string> getTableLabel(int row, int code) const = 0;
    // The row's high-score id; none past the rows held.
    virtual std::optional<std::string> getHighScoreID(int row) const = 0;
    virtual bool isBackButton() const = 0;
    // Filter n (1 ... 6).
    virtual const std::string& filter(int n) const = 0;
    // The "No scores available" label, or null.
    virtual const std::shared_ptr<ui::Label>& noScoreLbl() const = 0;
    virtual void setFilterDataWithFilter(const ORVFilters& filters) = 0;
    // The next page of the current query.
    virtual void getmoredata() = 0;
    // A new card for a tapped row, and the card shown.
    virtual std::shared_ptr<HighScoreCard> makeHighScoreCard() const = 0;
    virtual void setHighScoreImageController(std::shared_ptr<HighScoreCard> card) = 0;
};

class HighScoreView : public ui::View,
                      public ui::TableViewDataSource,
                      public ui::TableViewDelegate,
                      public ui::TextFieldDelegate {
public:
    static constexpr const char* kTitle = "High Scores";
    static constexpr const char* kBackTitle = " Back ";
    static constexpr const char* kRightTitle = "   Today    ";
    static constexpr double kTableHeight = 340;
    static constexpr double kStripHeight = 44;
    static constexpr double kBarHeight = 30;
    static constexpr double kSlideSeconds = 0.8;
    static constexpr double kMenuFadeSeconds = 0.6;
    static constexpr double kDialogSeconds = 1;
    static constexpr int kNameTag = 3;
    static constexpr int kFirstScoreTag = 4;

    // A screen with no combo boxes; `generate` builds it.
    static std::shared_ptr<HighScoreView> init();
    using ui::View::initWithFrame;
    ~HighScoreView() override;
    std::string className() const override { return "HighScoreView"; }

    void setDelegate(std::weak_ptr<HighScoreViewDelegate> panel) { delegate_ = std::move(panel); }
    std::shared_ptr<HighScoreViewDelegate> delegate() const { return delegate_.lock(); }

    // Builds everything and returns mainView.
    std::shared_ptr<ui::View> generate();
    // " Level: Easy -  Mode: Hard" for the filters that have a box (see the .cpp for the joins).
    std::string getFilterInfoStr() const;
    static void initComboValues(const std::vector<ORVListMember>& members, UIComboBox& combo);

    // --- Table ---
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    // Fills a row's name and score labels (made the first time).
    void setRowScoresDisplayLabel(int row, ui::TableViewCell& cell);

    // --- Day menu and Game Type dialog ---
    void navBarRightBtnAction();
    void gameTypeBtnAction();
    void gameTypeOkBtnAction();
    void gameTypeCancelBtnAction();
    void tabGameTypeBtnAction();
    void tabChallengeBtnAction();
    void hideGameTypeView();
    void comboItemChange(int n);
    // Closes every combo box but `keep`.
    void collapseOthers(const UIComboBox* keep);
    static void collapseComboIfExists(const std::shared_ptr<UIComboBox>& combo);
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;

    // --- Card ---
    void animateToLeft();
    void removeProgressView();

    // --- Parts ---
    const std::shared_ptr<ui::View>& mainView() const { return mainView_; }
    const std::shared_ptr<ORVUINavigationBarView>& navBarView() const { return navBarView_; }
    const std::shared_ptr<ui::TableView>& table() const { return table_; }
    const std::shared_ptr<ui::ImageView>& userBestscoreView() const { return userBestscoreView_; }
    const std::shared_ptr<ui::ImageView>& durationTypeView() const { return durationTypeView_; }
    const std::shared_ptr<ORVGenericButtons>& todayButton() const { return todayButton_; }
    const std::shared_ptr<ORVGenericButtons>& thisButton() const { return thisButton_; }
    const std::shared_ptr<ORVGenericButtons>& lastButton() const { return lastButton_; }
    const std::shared_ptr<ui::ImageView>& gameTypeView() const { return gameTypeView_; }
    const std::shared_ptr<ui::View>& subFilterView() const { return subFilterView_; }
    const std::shared_ptr<ui::View>& gameTypeBar() const { return gameTypeBar_; }
    const std::shared_ptr<ORVGenericButtons>& gameTypeBtn() const { return gameTypeBtn_; }
    const std::shared_ptr<ORVGenericButtons>& gameTypeOkBtn() const { return gameTypeOkBtn_; }
    const std::shared_ptr<ORVGenericButtons>& gameTypeCancelBtn() const { return gameTypeCancelBtn_; }
    const std::shared_ptr<ui::View>& disableView() const { return disableView_; }
    const std::shared_ptr<PanelLabel>& filtersDesc() const { return filtersDesc_; }
    const std::vector<std::shared_ptr<PanelLabel>>& headerLabels() const { return headerLabels_; }
    // Filter n's box (1 ... 6), or null when the filter has no values.
    const std::shared_ptr<UIComboBox>& comboBox(int n) const { return comboBoxes_.at(n - 1); }
    int availableScores() const { return availableScores_; }
    int TimeColNo() const { return timeColNo_; }
    int r() const { return r_; }
    bool showButton() const { return showButton_; }
    int currentRow() const { return currentRow_; }
    int rowAlreadyselected() const { return rowAlreadyselected_; }
    const std::shared_ptr<HighScoreCard>& myHighScoreImageController1() const { return card_; }
    // Challenge mode: the panel's day ranges then ask for the challenge typed in challengeIdTxt.
    bool challenge() const { return challenge_; }
    void setChallenge(bool on) { challenge_ = on; }
    const std::shared_ptr<ui::TextField>& challengeIdTxt() const { return challengeIdTxt_; }
    void setChallengeIdTxt(std::shared_ptr<ui::TextField> field) { challengeIdTxt_ = std::move(field); }

private:
    void generateGameTypeView();
    void generateDurationTypeView();
    void initUserBestScoreView();
    // Name label (tag 3) and score labels (tags 4 ...) for `columns` columns; `gap2` is the gap before
    // two columns (48 in the strip, 50 in the rows).
    void addScoreLabels(ui::View& parent, double gap2);
    bool filter1HasValues() const;
    void toggleGameTypeView(bool show);
    void openCard(int row);

    std::weak_ptr<HighScoreViewDelegate> delegate_;
    std::shared_ptr<ui::View> mainView_;
    std::shared_ptr<ORVUINavigationBarView> navBarView_;
    std::shared_ptr<ui::TableView> table_;
    std::shared_ptr<ui::ImageView> userBestscoreView_;
    std::shared_ptr<ui::ImageView> durationTypeView_;
    std::shared_ptr<ORVGenericButtons> todayButton_, thisButton_, lastButton_;
    std::shared_ptr<ui::ImageView> gameTypeView_;
    std::shared_ptr<ui::View> subFilterView_;
    std::shared_ptr<ORVGenericButtons> tabGameTypeBtn_;
    std::shared_ptr<ui::View> gameTypeBar_;
    std::shared_ptr<ORVGenericButtons> gameTypeBtn_;
    std::array<std::shared_ptr<UIComboBox>, 6> comboBoxes_;
    std::shared_ptr<UIComboBox> lastComboRef_;
    std::shared_ptr<ORVGenericButtons> gameTypeOkBtn_, gameTypeCancelBtn_;
    std::shared_ptr<ui::View> disableView_;
    std::shared_ptr<PanelLabel> filtersDesc_;
    std::shared_ptr<ui::ScrollView> filtersInfoScrollView_;
    std::vector<std::shared_ptr<PanelLabel>> headerLabels_;
    int availableScores_ = 1;
    int timeColNo_ = 0;
    int r_ = 0;
    bool showButton_ = false;
    int currentRow_ = 0;
    int rowAlreadyselected_ = 0;
    std::shared_ptr<HighScoreCard> card_;
    bool challenge_ = false;
    std::shared_ptr<ui::TextField> challengeIdTxt_;
    // The game's leaderboard description, read once by generate.
    std::optional<ORVscoresAndFilterInfoReturn> info_;
};

} // namespace zelvan::orvane
