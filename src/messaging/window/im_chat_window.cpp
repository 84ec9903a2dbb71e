// The plain chat list: chats found and closed by the identity of their card.
#include "messaging/window/im_chat_window.h"

#include <algorithm>

#include "messaging/model/im_card.h"

namespace zelvan {

std::shared_ptr<IMChat> IMChatList::findChatWithCard(const std::shared_ptr<baseCard>& card, bool create) {
    if (!card) {
        return nullptr;
    }
    for (const auto& chat : chats_) {
        if (chat->card() == card) {
            return chat;
        }
    }
    if (!create) {
        return nullptr;
    }
    auto chat = IMChat::create();
    chat->setCard(card);
    chat->setDelegate(shared_from_this());
    chats_.push_back(chat);
    return chat;
}

void IMChatList::activateChatWithCard(const std::shared_ptr<baseCard>& card) {
    if (auto chat = findChatWithCard(card, true)) {
        current_ = chat;
    }
}

void IMChatList::removeChatWithCard(const std::shared_ptr<baseCard>& card) {
    std::erase_if(chats_, [&](const auto& chat) { return chat->card() == card; });
    if (current_ && current_->card() == card) {
        current_ = nullptr;
    }
}

void IMChatList::closeIMGroup(const std::shared_ptr<imGroup>& group) {
    std::erase_if(chats_, [&](const auto& chat) {
        auto buddy = std::dynamic_pointer_cast<imCard>(chat->card());
        return buddy && buddy->group() == group;
    });
    if (current_ && std::find(chats_.begin(), chats_.end(), current_) == chats_.end()) {
        current_ = nullptr;
    }
}

void IMChatList::clear() {
    chats_.clear();
    current_ = nullptr;
}

} // namespace zelvan
