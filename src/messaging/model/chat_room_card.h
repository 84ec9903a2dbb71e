// ChatRoomCard: a chat room with its counts, rule text and the members present, and the member
// log-in and log-out bookkeeping.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "messaging/model/base_card.h"
#include "messaging/model/chat_room_user.h"
#include "platform/foundation/value.h"

namespace zelvan {

class ChatRoomCard : public baseCard {
public:
    static std::shared_ptr<ChatRoomCard> create() { return std::make_shared<ChatRoomCard>(); }

    std::string className() const override { return "ChatRoomCard"; }
    CardKind kind() const override { return CardKind::ChatRoom; }

    // "<name>(<current>/<capacity>)".
    std::string getname() const override;

    // The first member with that user id, or null.
    std::shared_ptr<ChatRoomUser> findUser(int32_t userId) const;
    // Adds the member unless one with its user id is present; `current` becomes the member count.
    void userLogin(const std::shared_ptr<ChatRoomUser>& user);
    // Removes that member and sets `current` to the number left; false (and no change) when absent.
    bool userLogout(int32_t userId);
    // No members, `current` 0.
    void clearUsers();
    // Inactive with no members; `current` keeps its value.
    void logout();

    int32_t roomId() const { return roomId_; }
    void setRoomId(int32_t roomId) { roomId_ = roomId; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    // The description text (it also serves as the object's debug description).
    std::string description() const override { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    // The room's rule text the user must agree to.
    const std::string& rule() const { return rule_; }
    void setRule(std::string rule) { rule_ = std::move(rule); }
    // Members present.
    int32_t current() const { return current_; }
    void setCurrent(int32_t current) { current_ = current; }
    int32_t capacity() const { return capacity_; }
    void setCapacity(int32_t capacity) { capacity_ = capacity; }
    // Server-given bits, stored as received.
    int32_t attribute() const { return attribute_; }
    void setAttribute(int32_t attribute) { attribute_ = attribute; }
    // Whether the signed-in user administers the room.
    bool admin() const { return admin_; }
    void setAdmin(bool admin) { admin_ = admin; }
    // Whether the signed-in user accepts private chats from members.
    bool allowPrivateChat() const { return allowPrivateChat_; }
    void setAllowPrivateChat(bool allow) { allowPrivateChat_ = allow; }
    // The members (ChatRoomUser values).
    const std::shared_ptr<fnd::Array>& users() const { return users_; }
    void setUsers(std::shared_ptr<fnd::Array> users) { users_ = users ? std::move(users) : fnd::Array::make(); }

private:
    int32_t roomId_ = 0;
    std::string name_;
    std::string description_;
    std::string rule_;
    int32_t current_ = 0;
    int32_t capacity_ = 0;
    int32_t attribute_ = 0;
    bool admin_ = false;
    bool allowPrivateChat_ = false;
    std::shared_ptr<fnd::Array> users_ = fnd::Array::make();
};

} // namespace zelvan
