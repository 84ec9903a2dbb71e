// IMChatWindow: what the messenger controller and its model ask of the chat window (open chats by card, the
// front chat, closing chats). The window (window/im_chat_controller.h) and the plain list of chats
// (window/im_chat_window.h) implement it.
#pragma once

#include <memory>
#include <vector>

#include "messaging/model/base_card.h"
#include "messaging/model/im_group.h"

namespace ui {
class ViewController;
} // namespace ui

namespace zelvan {

class ChatRoomCard;
class IMChat;

class IMChatWindow {
public:
    virtual ~IMChatWindow() = default;

    // The open chat of the card, opening one when there is none; null for a null card.
    std::shared_ptr<IMChat> findChatWithCard(const std::shared_ptr<baseCard>& card) {
        return findChatWithCard(card, true);
    }
    // The open chat of the card; with `create` a missing one is opened.
    virtual std::shared_ptr<IMChat> findChatWithCard(const std::shared_ptr<baseCard>& card, bool create) = 0;
    // Opens the card's chat if needed and makes it the current one.
    virtual void activateChatWithCard(const std::shared_ptr<baseCard>& card) = 0;
    // The card's data changed: its chat, if open, shows the change.
    virtual void updateChatWithCard(const std::shared_ptr<baseCard>& card) = 0;
    // Closes the card's chat, if open.
    virtual void removeChatWithCard(const std::shared_ptr<baseCard>& card) = 0;
    // Closes every chat with a buddy of that external IM account.
    virtual void closeIMGroup(const std::shared_ptr<imGroup>& group) = 0;
    // Closes every chat.
    virtual void clear() = 0;
    // Asks the user to accept the room's rule (once it is known and unless accepted before).
    virtual void displayRuleOfChatRoom(const std::shared_ptr<ChatRoomCard>& room) = 0;
    virtual std::vector<std::shared_ptr<IMChat>> chats() const = 0;
    virtual std::shared_ptr<IMChat> currentChat() const = 0;
    // The screen of the chat window; null while there is none.
    virtual std::shared_ptr<ui::ViewController> viewController() { return nullptr; }
};

} // namespace zelvan
