// The IM account's buddy lookup and sign-out reset.
#include "messaging/model/im_group.h"

namespace zelvan {

std::shared_ptr<imCard> imGroup::getuser(const std::string& user) {
    for (const fnd::Value& item : *all_) {
        if (auto card = item.asObject<imCard>(); card && card->user() == user) {
            return card;
        }
    }
    auto card = imCard::create();
    card->setUser(user);
    card->setGroup(std::dynamic_pointer_cast<imGroup>(weak_from_this().lock()));
    all_->addObject(card);
    return card;
}

void imGroup::clear() {
    connectionStatus_ = kStatusSignedOut;
    all_->removeAllObjects();
    onlines_->removeAllObjects();
}

} // namespace zelvan
