// The messenger's rule for card pictures, which it installs in the widget kit: contacts and product
// users show their avatar head, IM buddies and rooms their network's icon, groups the group picture.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/value.h"
#include "platform/graphics/image.h"
#include "toolkit/card_picture_rule.h"

namespace zelvan {

// The avatar heads of product users, supplied by the avatar manager.
class AvatarHeads {
public:
    virtual ~AvatarHeads() = default;
    // The head picture of `userId`, grey when asked; null when there is none yet.
    virtual gfx::ImagePtr newImageAvatarHead(int32_t userId, bool grayscale) = 0;
    // The picture of chat group `groupId`; null when there is none.
    virtual gfx::ImagePtr newImageAvatarChatGroup(int32_t groupId) = 0;
};

class MessengerCardPictures : public CardPictureRule {
public:
    // Without a source of avatar heads, users show the bundle's default avatar.
    explicit MessengerCardPictures(std::shared_ptr<AvatarHeads> heads = nullptr) : heads_(std::move(heads)) {}

    void setAvatarHeads(std::shared_ptr<AvatarHeads> heads) { heads_ = std::move(heads); }

    // vCard: with a user id its avatar head (grey when offline), without one "contacts"; imCard: its
    // network's icon, grey when offline; ChatGroupCard: the group's picture (without a source of
    // pictures the bundle's "chatgroup-default-1"); ChatRoomCard: the room icon, grey
    // when inactive; BasicCard, ChatRoomUser, PrivateChatCard: their avatar head; unknownCard:
    // "contacts". Nullopt for any other value.
    std::optional<gfx::ImagePtr> pictureForCard(const fnd::Value& card) override;

private:
    gfx::ImagePtr avatarHead(int32_t userId, bool grayscale) const;

    std::shared_ptr<AvatarHeads> heads_;
};

} // namespace zelvan
