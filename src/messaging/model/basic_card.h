// BasicCard: a product user known by user id and name (the base of room members and private-chat
// partners).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/base_card.h"

namespace zelvan {

class BasicCard : public baseCard {
public:
    static std::shared_ptr<BasicCard> create() { return std::make_shared<BasicCard>(); }

    std::string className() const override { return "BasicCard"; }
    CardKind kind() const override { return CardKind::Basic; }
    std::string getname() const override { return name_; }

    int32_t userId() const { return userId_; }
    void setUserId(int32_t userId) { userId_ = userId; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    bool admin() const { return admin_; }
    void setAdmin(bool admin) { admin_ = admin; }

private:
    int32_t userId_ = 0;
    std::string name_;
    bool admin_ = false;
};

} // namespace zelvan
