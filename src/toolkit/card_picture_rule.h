// The rule that picks a card's status picture. Cards belong to the messenger, which installs its
// rule in the widget kit; the kit only asks it.
#pragma once

#include <optional>

#include "platform/foundation/value.h"
#include "platform/graphics/image.h"

namespace zelvan {

class CardPictureRule {
public:
    virtual ~CardPictureRule() = default;

    // The picture for `card` (which may itself be null when the card has none), or nullopt when the
    // card is not of a class this rule knows.
    virtual std::optional<gfx::ImagePtr> pictureForCard(const fnd::Value& card) = 0;
};

} // namespace zelvan
