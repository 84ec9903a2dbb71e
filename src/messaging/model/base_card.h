// baseCard: the root of every party the messenger shows or talks to, with its presence state and a
// non-owning link to the open conversation. CardKind names each card class so callers dispatch on
// a card's class without string compares.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

namespace zelvan {

class IMChat;

// One value per card class. The first six are listed in the order the messenger tests a card's
// class when it acts on it by kind; a card of any other kind gets no such action.
enum class CardKind { Im, V, ChatGroup, ChatRoom, Unknown, PrivateChat, Base, Basic, ChatRoomUser };

class baseCard : public fnd::Object {
public:
    baseCard() = default;

    std::string className() const override { return "baseCard"; }
    virtual CardKind kind() const { return CardKind::Base; }

    // The name lists and chats show for this card; the base card reads the localised "None".
    virtual std::string getname() const;

    // 0 = offline or inactive; any other value = online or active.
    int32_t state() const { return state_; }
    void setState(int32_t state) { state_ = state; }

    // The open conversation with this card, or null; not retained (the chat holds the card).
    std::shared_ptr<IMChat> chat() const { return chat_.lock(); }
    void setChat(const std::shared_ptr<IMChat>& chat) { chat_ = chat; }

protected:
    int32_t state_ = 0;

private:
    std::weak_ptr<IMChat> chat_;
};

// The card a value holds, or null when it holds anything else.
std::shared_ptr<baseCard> cardFromValue(const fnd::Value& value);

} // namespace zelvan
