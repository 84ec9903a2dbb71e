// unknownCard: a bare phone number that matches no contact; its name is the number.
#pragma once

#include <memory>
#include <string>

#include "messaging/model/base_card.h"

namespace zelvan {

class unknownCard : public baseCard {
public:
    static std::shared_ptr<unknownCard> create(std::string phone = {}) {
        auto card = std::make_shared<unknownCard>();
        card->setPhone(std::move(phone));
        return card;
    }

    std::string className() const override { return "unknownCard"; }
    CardKind kind() const override { return CardKind::Unknown; }
    std::string getname() const override { return phone_; }

    const std::string& phone() const { return phone_; }
    void setPhone(std::string phone) { phone_ = std::move(phone); }

private:
    std::string phone_;
};

} // namespace zelvan
