// The score card of one leaderboard row as the leaderboard screen sees it: the 28 values it shows (filter,
// score and player texts of the row), the row's high-score id, the view the screen slides in and its busy
// indicator. The leaderboard reaches the card only through this interface.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class View;
}

namespace zelvan::orvane {

// The values of one row the card shows, in the order the screen gathers them; a missing text is none.
struct HighScoreCardParams {
    std::array<std::optional<std::string>, 6> filterLabels; // the game's filter names 1 ... 6
    std::array<std::optional<std::string>, 6> filterValues; // 1-3 the chosen boxes' values, 4-6 the row's
    std::array<std::optional<std::string>, 7> scoreLabels;  // the game's score names 1 ... 7
    std::array<std::optional<std::string>, 7> scoreValues;  // the row's scores 1 ... 7 ("%d")
    std::optional<std::string> playerName;
    std::optional<std::string> rank; // "%d"
    bool operator==(const HighScoreCardParams&) const = default;
};

class HighScoreCard {
public:
    virtual ~HighScoreCard() = default;
    // The row's high-score id (the card asks for the row's picture with it).
    virtual void setChallId(const std::optional<std::string>& highScoreId) = 0;
    virtual void setParams(const HighScoreCardParams& params) = 0;
    // The card's view, which the screen adds to itself and slides in.
    virtual std::shared_ptr<ui::View> view() = 0;
    // Starts the card's activity indicator (as the card slides in).
    virtual void startActivityIndicator() = 0;
};

// Makes a new card for a tapped row; null when there is none to show. The leaderboard's default is
// makeHighScoreImageController (high_score_image_controller.h).
using HighScoreCardMaker = std::function<std::shared_ptr<HighScoreCard>()>;

} // namespace zelvan::orvane
