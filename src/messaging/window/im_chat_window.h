// IMChatList: a plain list of chats keyed by card identity that shows nothing, behind the chat window's
// interface (model/im_chat_window.h).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "messaging/chat/im_chat.h"
#include "messaging/model/base_card.h"
#include "messaging/model/im_chat_window.h"
#include "messaging/model/im_group.h"

namespace zelvan {

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
