// ChatRoomUser: a member of a chat room, with its session id in the room and attribute bits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/basic_card.h"

namespace zelvan {

class ChatRoomUser : public BasicCard {
public:
    // Attribute bit: marked for removal in the room administration screen.
    static constexpr int32_t kAttrMarkedForRemoval = 1;

    static std::shared_ptr<ChatRoomUser> create() { return std::make_shared<ChatRoomUser>(); }

    std::string className() const override { return "ChatRoomUser"; }
    CardKind kind() const override { return CardKind::ChatRoomUser; }

    // Whether any bit of `mask` is set / sets (YES) or clears (NO) exactly the bits of `mask`.
    bool checkAttr(int32_t mask) const { return (attribute_ & mask) != 0; }
    void setAttr(int32_t mask, bool value) { attribute_ = value ? (attribute_ | mask) : (attribute_ & ~mask); }

    // The member's session id in the room (private chats are addressed by it).
    int32_t sid() const { return sid_; }
    void setSid(int32_t sid) { sid_ = sid; }
    int32_t attribute() const { return attribute_; }
    void setAttribute(int32_t attribute) { attribute_ = attribute; }
    // Whether the member is a product friend of the signed-in user.
    bool myfriend() const { return myfriend_; }
    void setMyfriend(bool myfriend) { myfriend_ = myfriend; }

private:
    int32_t sid_ = 0;
    int32_t attribute_ = 0;
    bool myfriend_ = false;
};

} // namespace zelvan
