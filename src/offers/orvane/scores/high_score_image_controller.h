// HighScoreImageController: the detail card of one leaderboard row - a black page titled "Detail" with
// " Back ", the player's name and rank, every named score of the row and every named filter, while the
// row's score picture is asked for (with a retry alert when the service cannot be reached). Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/scores/high_score_card.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/view_controller.h"

namespace zelvan::orvane {

class ORVUINavigationBarView;

class HighScoreImageController : public ui::ViewController, public ui::AlertViewDelegate, public HighScoreCard {
public:
    static constexpr double kSlideSeconds = 0.8;
    static constexpr const char* kRetryMessage = "Service is unreachable.\nDo you want to try again?";

    ~HighScoreImageController() override;
    std::string className() const override { return "HighScoreImageController"; }

    // Keeps the row's high-score id. The picture is asked for once the view is loaded and an id is known,
    // so a view loaded before the id still asks for the right picture.
    void setChallId(const std::optional<std::string>& highScoreId) override;
    const std::string& challId() const { return challId_; }
    // Keeps the values and builds the text panel; loads the view first when it is not loaded. A score or
    // filter without a name gets no line; a missing value shows as empty (a missing score as 0).
    void setParams(const HighScoreCardParams& values) override;
    const HighScoreCardParams& params() const { return values_; }
    // The card's page (loaded on first use), as the leaderboard screen adds it.
    std::shared_ptr<ui::View> view() override { return ui::ViewController::view(); }
    void startActivityIndicator() override;

    // The black page with its "Detail" bar, the picture request, the spinner and "Loading Image".
    void loadView() override;

    ui::ActivityIndicatorView* getProgIndicator() const { return progIndicator_.get(); }
    const std::shared_ptr<ui::Label>& loadingImage() const { return loadingImage_; }
    const std::shared_ptr<ORVUINavigationBarView>& navBarView() const { return navBarView_; }
    // The text panel (2, 60, 318, 160), or null before setParams.
    const std::shared_ptr<ui::View>& textPanel() const { return textPanel_; }
    // Left empty: a slot for a picture placed over the card after the texts.
    const std::shared_ptr<ui::View>& ViewWithImage() const { return viewWithImage_; }
    void setViewWithImage(std::shared_ptr<ui::View> view) { viewWithImage_ = std::move(view); }

    // "11" (the picture arrived) and "23" (no reply could be read).
    void addImageNotifications();
    void RemoveImageNotifications();
    bool isObservingImage() const { return !observers_.empty(); }
    void getHighScoresImageSelector();
    void getHighScoresImageSelector1();
    // 1 (Retry) asks for the picture again; 0 (Cancel) does nothing.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

    // " Back ": slide to x -320 in 0.8 s, then leave the superview.
    void backtoGameAction();
    void animateToLeft();
    void hideImageView();

    // The text of a score line: "<name>: <value>", the value as hours:minutes:seconds for a score named
    // "Time" or "time", else as a grouped integer.
    static std::string scoreLine(const std::string& name, const std::string& value);

private:
    void requestImage();
    // The first request, once both the page and the id are there.
    void requestImageWhenReady();

    std::string challId_;
    bool imageRequested_ = false;
    HighScoreCardParams values_;
    std::shared_ptr<ORVUINavigationBarView> navBarView_;
    std::shared_ptr<ui::ActivityIndicatorView> progIndicator_;
    std::shared_ptr<ui::Label> loadingImage_;
    std::shared_ptr<ui::View> textPanel_;
    std::shared_ptr<ui::View> viewWithImage_;
    std::vector<fnd::ObserverToken> observers_;
};

// The card the leaderboard opens unless given another maker: a new HighScoreImageController.
std::shared_ptr<HighScoreCard> makeHighScoreImageController();

} // namespace zelvan::orvane
