// The leaderboard's default score card: the score card page of one row.
#include "offers/orvane/scores/high_score_card.h"

#include "offers/orvane/scores/high_score_image_controller.h"

namespace zelvan::orvane {

std::shared_ptr<HighScoreCard> makeHighScoreImageController() {
    return std::make_shared<HighScoreImageController>();
}

} // namespace zelvan::orvane
