// The messenger's card picture rule per card class, through the widget kit's card picture call.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"
#include "tests/support/scoped_app_delegate.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// Hands out one distinct picture per request and records what was asked.
class FakeAvatarHeads : public AvatarHeads {
public:
    gfx::ImagePtr newImageAvatarHead(int32_t userId, bool grayscale) override {
        requests.emplace_back(userId, grayscale);
        pictures.push_back(gfx::Image::fromPixels(1, 1, fnd::Bytes(4, 0xff)));
        return pictures.back();
    }
    gfx::ImagePtr newImageAvatarChatGroup(int32_t groupId) override {
        groupRequests.push_back(groupId);
        return groupPicture;
    }

    std::vector<std::pair<int32_t, bool>> requests;
    std::vector<int32_t> groupRequests;
    gfx::ImagePtr groupPicture = gfx::Image::fromPixels(1, 1, fnd::Bytes(4, 0x80));
    std::vector<gfx::ImagePtr> pictures;
};

using Requests = std::vector<std::pair<int32_t, bool>>;

TEST(MessengerCardPicturesTest, PicksThePicturePerCardClass) {
    auto heads = std::make_shared<FakeAvatarHeads>();
    auto rule = std::make_shared<MessengerCardPictures>(heads);
    AppRegistry registry;
    registry.cardPictureRule.factory = ServiceSlot<CardPictureRule>::fixed(rule);
    ScopedAppDelegate delegate(std::move(registry));
    auto picture = [](std::shared_ptr<fnd::Object> card) {
        return ZelvanWidget::newStatusImageForCard(fnd::Value(std::move(card)));
    };
    // The card's picture is the head the fake handed out last.
    auto expectHead = [&](std::shared_ptr<fnd::Object> card) {
        const auto image = picture(std::move(card));
        ASSERT_FALSE(heads->pictures.empty());
        EXPECT_EQ(image, heads->pictures.back());
    };
    const auto contacts = ZelvanWidget::imageFromResource("contacts", true);
    ASSERT_NE(contacts, nullptr);

    auto friendCard = vCard::create();
    friendCard->setUserid(42);
    expectHead(friendCard);
    friendCard->setState(1);
    expectHead(friendCard);
    EXPECT_EQ(heads->requests, (Requests{{42, true}, {42, false}}));
    EXPECT_EQ(picture(vCard::create()), contacts);
    EXPECT_EQ(picture(unknownCard::create("+4912345")), contacts);

    auto account = imGroup::create();
    account->setProt(2);
    auto buddy = account->getuser("kim");
    EXPECT_EQ(picture(buddy), ZelvanWidget::iconForIM(2, true));
    buddy->setstate(1);
    EXPECT_EQ(picture(buddy), ZelvanWidget::iconForIM(2, false));

    auto room = ChatRoomCard::create();
    EXPECT_EQ(picture(room), ZelvanWidget::iconForIM(-3, true));
    room->setState(1);
    EXPECT_EQ(picture(room), ZelvanWidget::iconForIM(-3, false));
    auto group = ChatGroupCard::create();
    group->setGroupId(31);
    EXPECT_EQ(picture(group), heads->groupPicture);
    EXPECT_EQ(heads->groupRequests, std::vector<int32_t>{31});

    heads->requests.clear();
    auto basic = BasicCard::create();
    basic->setUserId(7);
    auto roomUser = ChatRoomUser::create();
    roomUser->setUserId(8);
    auto partner = PrivateChatCard::create();
    partner->setUserId(9);
    expectHead(basic);
    expectHead(roomUser);
    expectHead(partner);
    EXPECT_EQ(heads->requests, (Requests{{7, false}, {8, false}, {9, false}}));

    // Values that are no card of a known class get no picture from the rule.
    EXPECT_EQ(rule->pictureForCard(fnd::Value(std::make_shared<baseCard>())), std::nullopt);
    EXPECT_EQ(rule->pictureForCard(fnd::Value("vCard")), std::nullopt);
    EXPECT_EQ(rule->pictureForCard(fnd::Value()), std::nullopt);
    EXPECT_EQ(picture(imGroup::create()), nullptr);

    // Without an avatar source users show the default avatar.
    rule->setAvatarHeads(nullptr);
    EXPECT_EQ(picture(basic), ZelvanWidget::imageFromResource("avatar_default", true));
    EXPECT_EQ(picture(group), ZelvanWidget::imageFromResource("chatgroup-default-1", true));
}

} // namespace
} // namespace zelvan
