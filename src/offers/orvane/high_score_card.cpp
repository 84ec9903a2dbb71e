// The leaderboard's default score card: none yet, so a tapped row logs one line and opens nothing.
#include "offers/orvane/high_score_card.h"

namespace zelvan::orvane {

std::shared_ptr<HighScoreCard> makeHighScoreImageController() {
    return nullptr;
}

} // namespace zelvan::orvane
