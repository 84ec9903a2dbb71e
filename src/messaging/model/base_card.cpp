// The base card's display name and the value-to-card helper.
#include "messaging/model/base_card.h"

#include "core/localization.h"

namespace zelvan {

std::string baseCard::getname() const {
    return ZLS("None");
}

std::shared_ptr<baseCard> cardFromValue(const fnd::Value& value) {
    return value.asObject<baseCard>();
}

} // namespace zelvan
