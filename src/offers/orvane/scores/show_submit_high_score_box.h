// ShowSubmitHighScoreBox: the dialog in which a player submits a game's score to the offer network's
// leaderboards - a name checked by fixed rules, the SubmitHighScore call with a progress panel, and one of
// the result panels (submitted, name refused, no connection) leading on to retry, the leaderboard, a new
// game or the main menu. Main thread.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/client/orv_records.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/text_field.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class ORVModelController;
class ShowBoxButton;
class ShowBoxLabel;

// Posted for the host game (no object).
inline constexpr const char* kORVMainMenuEventNotification = "ORV_MAIN_MENU_EVENT_NOTIFICATION";
inline constexpr const char* kORVPlayGameAgainEventNotification = "ORV_PLAY_GAME_AGAIN_EVENT_NOTIFICATION";
inline constexpr const char* kORVSuccessNotification = "ORV_SUCCESS";

class ShowSubmitHighScoreBox : public ui::View, public ui::TextFieldDelegate {
public:
    static constexpr double kPanelHeight = 260;
    static constexpr double kEditingY = 5;
    static constexpr double kPanelMoveSeconds = 0.3;
    static constexpr double kLeaderboardSlideSeconds = 0.8;
    static constexpr int kBuiltTag = 1;
    static constexpr const char* kBeaconName = "ORV Submit High Score";
    static constexpr const char* kLastPlayerNameKey = "lastPlayerName";
    static constexpr const char* kInvalidNameTitle = "Invalid Player Name";
    static constexpr const char* kNetworkText = "Network is unreachable. Please check your internet connection.";
    static constexpr const char* kTimeoutText = "Connection Timeout";
    static constexpr const char* kNameRefusedText = "The player name you choose was not accepted";

    // ui::View::create<ShowSubmitHighScoreBox>(panelFrame): the dialog covers the whole 320 x 480 screen
    // (clear); `panelFrame` places its panel, whose height becomes 260.
    void initWithFrame(gfx::Rect panelFrame) override;
    ~ShowSubmitHighScoreBox() override;
    std::string className() const override { return "ShowSubmitHighScoreBox"; }

    // Keeps the score's filters, scores, screenshot, verification text and challenge id (its player name
    // is not used: the dialog asks for one), and stores the filters as the leaderboard's last choice.
    void setParams(const ORVScoreSubmission& values);

    // Starts the timed beacon section and shows the first panel (built once): title, name field, the
    // challenge prompt, "Submit Online" and "Cancel".
    void initFirstView();
    // "Submitting...", a spinner and "Cancel" (built once).
    void initProgressView();
    // Stops and removes the progress panel and builds the result panels once.
    void initResponseReturnViews();
    // Adds `view` to the panel and makes it the panel shown.
    void visibleCurrentSubView(const std::shared_ptr<ui::View>& view);

    // Observe "2" and "7" (the answer) and "8" (no data) while a request of ours waits.
    void addObservers();
    void removeObservers();
    bool isObserving() const { return !observers_.empty(); }

    // The name field: editing lifts the panel; Return checks the name.
    std::optional<bool> textFieldShouldBeginEditing(ui::TextField& field) override;
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;
    // The name rules: an alert and false for a name refused; true (keyboard down, panel back) otherwise.
    bool checkPlayerName(const std::string& name);

    // --- Button actions ---
    void submitOnlineAction();
    void cancelAction();
    void retryAction();
    void giveUpAction();
    void okAction();
    void notNowAction();
    void mainMenuBtnAction();
    void playAgainAction();
    void viewHighScoresAction();
    void menuAction();
    void submitLocalAction() {}
    void retryLaterAction();
    void doneAction() {}
    void sweepStakeAction() {}

    // --- Replies ---
    // "2" or "7": the submitted score's result.
    void submitHighScoresReturnAction();
    // "8": no data came back (ignored when the "8" answered the leaderboard's own request).
    void netConnectionErrorAction();

    // Logs, ends the beacon section and leaves the superview.
    void removeMeFromSuperView();

    // --- What the dialog shows ---
    gfx::Rect boxFrame() const { return boxFrame_; }
    const std::shared_ptr<ui::ImageView>& backGroundImage() const { return backGroundImage_; }
    const std::shared_ptr<ui::View>& currentView() const { return currentView_; }
    const std::shared_ptr<ui::View>& firstView() const { return firstView_; }
    const std::shared_ptr<ui::View>& progressView() const { return progressView_; }
    const std::shared_ptr<ui::View>& serverNetErrorView() const { return serverNetErrorView_; }
    const std::shared_ptr<ui::View>& successMsgView() const { return successMsgView_; }
    const std::shared_ptr<ui::View>& failureMsgView() const { return failureMsgView_; }
    const std::shared_ptr<ui::View>& successChallangeView() const { return successChallangeView_; }
    const std::shared_ptr<ui::View>& failureChallangeView() const { return failureChallangeView_; }
    const std::shared_ptr<ui::TextField>& playerTxt() const { return playerTxt_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& progressIndicator() const { return progressIndicator_; }
    const std::shared_ptr<ShowBoxLabel>& failureLabel() const { return failureLabel_; }
    const std::shared_ptr<ShowBoxLabel>& errorLabelTxt() const { return errorLabelTxt_; }
    const std::optional<ORVSubmitHighScoreReturn>& submitHighScoreObj() const { return submitHighScoreObj_; }
    // The leaderboard opened from the success panel, or null.
    const std::shared_ptr<ui::View>& highScoresPanel() const { return highScoresPanel_; }

private:
    // Animates the panel to `frame` in 0.3 s.
    void movePanel(gfx::Rect frame);
    void movePanelBack() { movePanel(boxFrame_); }
    void showInvalidName(const char* message, const char* button);
    // Sends the score with the name now in the field.
    void sendScore();
    void closeWith(const char* notification);
    // A box button at x 1 whose top is `top`, calling `action`.
    std::shared_ptr<ShowBoxButton> addButton(ui::View& panel, const char* title, double top,
                                             void (ShowSubmitHighScoreBox::*action)());
    // Buttons from the panel's bottom upwards (the first lowest), each just above the one below.
    void addButtonsFromBottom(ui::View& panel,
                              const std::vector<std::pair<const char*, void (ShowSubmitHighScoreBox::*)()>>& buttons);
    std::shared_ptr<ShowBoxLabel> addPrompt(ui::View& panel, double y, const std::string& text);
    void buildChallengePanels();
    std::shared_ptr<ui::View> makePanel() const;
    static bool isBuilt(const std::shared_ptr<ui::View>& panel) { return panel->tag() == kBuiltTag; }

    gfx::Rect boxFrame_;
    std::shared_ptr<ui::ImageView> backGroundImage_;
    std::shared_ptr<ui::View> firstView_, progressView_, responseReturnView_, serverNetErrorView_, successMsgView_,
        failureMsgView_, successChallangeView_, failureChallangeView_;
    std::shared_ptr<ui::View> currentView_;
    std::shared_ptr<ui::TextField> playerTxt_;
    std::shared_ptr<ui::ActivityIndicatorView> progressIndicator_;
    std::shared_ptr<ShowBoxLabel> failureLabel_;
    std::shared_ptr<ShowBoxLabel> errorLabelTxt_;
    std::array<int, 7> scores_{};
    ORVFilters filters_;
    std::string screenShot_, scoreVerification_, challengeID_;
    std::shared_ptr<ORVModelController> tmc_;
    std::optional<ORVConnectReturn> orvConnectRetObj_;
    std::optional<ORVUserAccount> orvaneUserAccountObj_;
    std::optional<ORVSubmitHighScoreReturn> submitHighScoreObj_;
    std::shared_ptr<ui::View> highScoresPanel_;
    std::vector<fnd::ObserverToken> observers_;
};

} // namespace zelvan::orvane
