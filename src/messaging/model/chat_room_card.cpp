// The chat room's display name and its member log-in and log-out bookkeeping.
#include "messaging/model/chat_room_card.h"

#include "platform/foundation/format.h"

namespace zelvan {

std::string ChatRoomCard::getname() const {
    return fnd::format("%@(%d/%d)", name_, current_, capacity_);
}

std::shared_ptr<ChatRoomUser> ChatRoomCard::findUser(int32_t userId) const {
    for (const fnd::Value& item : *users_) {
        if (auto user = item.asObject<ChatRoomUser>(); user && user->userId() == userId) {
            return user;
        }
    }
    return nullptr;
}

void ChatRoomCard::userLogin(const std::shared_ptr<ChatRoomUser>& user) {
    if (user && !findUser(user->userId())) {
        users_->addObject(user);
    }
    current_ = static_cast<int32_t>(users_->count());
}

bool ChatRoomCard::userLogout(int32_t userId) {
    for (size_t i = 0; i < users_->count(); ++i) {
        if (auto user = users_->objectAtIndex(i).asObject<ChatRoomUser>(); user && user->userId() == userId) {
            users_->removeObjectAtIndex(i);
            current_ = static_cast<int32_t>(users_->count());
            return true;
        }
    }
    return false;
}

void ChatRoomCard::clearUsers() {
    users_->removeAllObjects();
    current_ = 0;
}

void ChatRoomCard::logout() {
    state_ = 0;
    users_->removeAllObjects();
}

} // namespace zelvan
