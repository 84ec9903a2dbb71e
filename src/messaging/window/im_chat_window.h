// IMChatWindow: what the messenger controller asks of the chat window (open chats by card, the front
// chat, closing chats), and IMChatList, a plain list of chats keyed by card identity that shows nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "messaging/chat/im_chat.h"
#include "messaging/model/base_card.h"
#include "messaging/model/im_group.h"

namespace ui {
class ViewController;
} // namespace ui

namespace zelvan {

class ChatRoomCard;

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

// Chats by card identity, in opening order; nothing is shown.
// No chat is ever on screen here, so every line a chat receives counts as unread, as the window counts it
// for a chat that is not shown.
class IMChatList : public IMChatWindow, public IMChatDelegate, public std::enable_shared_from_this<IMChatList> {
public:
    using IMChatWindow::findChatWithCard;
    std::shared_ptr<IMChat> findChatWithCard(const std::shared_ptr<baseCard>& card, bool create) override;
    void activateChatWithCard(const std::shared_ptr<baseCard>& card) override;
    void updateChatWithCard(const std::shared_ptr<baseCard>& /*card*/) override {}
    void removeChatWithCard(const std::shared_ptr<baseCard>& card) override;
    void closeIMGroup(const std::shared_ptr<imGroup>& group) override;
    void clear() override;
    void displayRuleOfChatRoom(const std::shared_ptr<ChatRoomCard>& /*room*/) override {}
    std::vector<std::shared_ptr<IMChat>> chats() const override { return chats_; }
    std::shared_ptr<IMChat> currentChat() const override { return current_; }

    void messagesUpdated(IMChat& chat) override { chat.setUnread(chat.unread() + 1); }
    void callStatusUpdated() override {}

private:
    std::vector<std::shared_ptr<IMChat>> chats_;
    std::shared_ptr<IMChat> current_;
};

} // namespace zelvan
