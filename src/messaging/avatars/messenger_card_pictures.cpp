// Picking a card's picture by its class.
#include "messaging/avatars/messenger_card_pictures.h"

#include "messaging/model/basic_card.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/im_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/v_card.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// The network number of the service itself and of chat rooms, as iconForIM takes them.
constexpr int kServiceNetwork = -1;
constexpr int kChatRoomNetwork = -3;

} // namespace

std::optional<gfx::ImagePtr> MessengerCardPictures::pictureForCard(const fnd::Value& value) {
    const std::shared_ptr<baseCard> card = cardFromValue(value);
    if (!card) {
        return std::nullopt;
    }
    const bool offline = card->state() == 0;
    switch (card->kind()) {
    case CardKind::Im: {
        const auto& buddy = static_cast<const imCard&>(*card);
        const auto account = buddy.group();
        return ZelvanWidget::iconForIM(account ? account->prot() : kServiceNetwork, offline);
    }
    case CardKind::V: {
        const int32_t userId = static_cast<const vCard&>(*card).userid();
        if (userId != 0) {
            return avatarHead(userId, offline);
        }
        return ZelvanWidget::imageFromResource("contacts", true);
    }
    case CardKind::ChatGroup: {
        const int32_t groupId = static_cast<const ChatGroupCard&>(*card).groupId();
        if (heads_) {
            return heads_->newImageAvatarChatGroup(groupId);
        }
        return ZelvanWidget::imageFromResource("chatgroup-default-1", true);
    }
    case CardKind::ChatRoom:
        return ZelvanWidget::iconForIM(kChatRoomNetwork, offline);
    case CardKind::Unknown:
        return ZelvanWidget::imageFromResource("contacts", true);
    case CardKind::PrivateChat:
    case CardKind::Basic:
    case CardKind::ChatRoomUser:
        return avatarHead(static_cast<const BasicCard&>(*card).userId(), false);
    case CardKind::Base:
        break;
    }
    return std::nullopt;
}

gfx::ImagePtr MessengerCardPictures::avatarHead(int32_t userId, bool grayscale) const {
    if (heads_) {
        return heads_->newImageAvatarHead(userId, grayscale);
    }
    return ZelvanWidget::imageFromResource(grayscale ? "avatar_default_gray" : "avatar_default", true);
}

} // namespace zelvan
