// PrivateChatCard: the partner of a private chat started from a chat room, known by its session id
// in the room; active from the start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/basic_card.h"

namespace zelvan {

class PrivateChatCard : public BasicCard {
public:
    static std::shared_ptr<PrivateChatCard> create() { return std::make_shared<PrivateChatCard>(); }

    PrivateChatCard() { state_ = 1; }

    std::string className() const override { return "PrivateChatCard"; }
    CardKind kind() const override { return CardKind::PrivateChat; }

    int32_t sid() const { return sid_; }
    void setSid(int32_t sid) { sid_ = sid; }

private:
    int32_t sid_ = 0;
};

} // namespace zelvan
