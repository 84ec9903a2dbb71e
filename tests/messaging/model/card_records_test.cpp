// Card records as lists and chats see them: display names, contact equality and order, IM buddies
// filed in the account's online list, room members, attribute bits and the contact field caches.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_group_user.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"

namespace zelvan {
namespace {

std::shared_ptr<vCard> contact(fnd::Value ui) {
    auto card = vCard::create();
    card->setUi(ui.asDictionary());
    return card;
}

std::vector<std::string> names(const fnd::Array& cards) {
    std::vector<std::string> out;
    for (const fnd::Value& item : cards) {
        out.push_back(cardFromValue(item)->getname());
    }
    return out;
}

TEST(CardRecordsTest, DisplayNames) {
    EXPECT_EQ(contact(fnd::Value::dictionary({{0, "Berg"}, {1, "Anna"}}))->getname(), "Anna Berg");
    EXPECT_EQ(contact(fnd::Value::dictionary({{0, "王"}, {1, "小明"}}))->getname(), "王小明");
    EXPECT_EQ(contact(fnd::Value::dictionary({{0, "Li"}, {1, "Łódź"}}))->getname(), "LiŁódź");
    EXPECT_EQ(contact(fnd::Value::dictionary({{1, "Anna"}}))->getname(), "Anna");
    EXPECT_EQ(contact(fnd::Value::dictionary({{0, "Berg"}, {1, ""}}))->getname(), "Berg");

    auto room = ChatRoomCard::create();
    room->setName("Lobby");
    room->setCurrent(12);
    room->setCapacity(50);
    EXPECT_EQ(room->getname(), "Lobby(12/50)");
    EXPECT_EQ(unknownCard::create("+4912345")->getname(), "+4912345");
    auto partner = PrivateChatCard::create();
    partner->setName("Kim");
    EXPECT_EQ(partner->getname(), "Kim");
    EXPECT_EQ(partner->state(), 1);
    EXPECT_EQ(ChatGroupCard::create()->state(), 1);
    EXPECT_EQ(baseCard().getname(), "Unknown");
}

TEST(CardRecordsTest, SetUiRenamesButKeepsCachedIdsTheNewFieldsLack) {
    auto card = contact(fnd::Value::dictionary({{0, "Berg"}, {1, "Anna"}, {100, 42}, {-1, 3}}));
    EXPECT_EQ(card->getname(), "Anna Berg");
    EXPECT_EQ(card->userid(), 42);
    EXPECT_EQ(card->type(), 3);

    card->setUi(fnd::Value::dictionary({{0, "Berg"}, {1, "Anne"}}).asDictionary());
    EXPECT_EQ(card->getname(), "Anne Berg");
    EXPECT_EQ(card->userid(), 42);
    EXPECT_EQ(card->type(), 3);

    card->setUserid(0);
    card->setUi(fnd::Value::dictionary({{1, "Anne"}, {-1, 5}}).asDictionary());
    EXPECT_EQ(card->userid(), 0);
    EXPECT_EQ(card->type(), 5);
    card->setUi(fnd::Value::dictionary({{100, 7}}).asDictionary());
    EXPECT_EQ(card->userid(), 7);
    card->setType(2);
    EXPECT_EQ(card->ui()->objectForKey(-1), fnd::Value(2));

    // Phones: none, one (a plain string) or several (an array in key order).
    EXPECT_TRUE(card->gettels().isNull());
    card->setUi(fnd::Value::dictionary({{9, "3"}}).asDictionary());
    EXPECT_EQ(card->gettels(), fnd::Value("3"));
    card->ui()->setObject("1", 5);
    EXPECT_EQ(card->gettels(), fnd::Value::array({"1", "3"}));
    EXPECT_EQ(card->getFirstTel(), fnd::Value("1"));
}

TEST(CardRecordsTest, EqualityAcceptsAnyOrderOfTheLastThreePhones) {
    const fnd::Value base = fnd::Value::dictionary({{0, "B"}, {1, "A"}, {7, "x"}, {8, "y"}, {9, "z"}});
    const std::vector<std::array<const char*, 3>> orders{{"x", "y", "z"}, {"x", "z", "y"}, {"y", "x", "z"},
                                                         {"y", "z", "x"}, {"z", "x", "y"}, {"z", "y", "x"}};
    for (const auto& order : orders) {
        auto other = contact(fnd::Value::dictionary({{7, order[0]}, {1, "A"}, {8, order[1]}, {0, "B"}, {9, order[2]}}));
        EXPECT_TRUE(contact(base.deepCopy())->isEqualTovCard(*other)) << order[0] << order[1] << order[2];
    }
    auto userOnly = contact(base.deepCopy());
    userOnly->ui()->setObject(99, 100);
    EXPECT_TRUE(contact(base.deepCopy())->isEqualTovCard(*userOnly));

    const std::vector<fnd::Value> different{
        fnd::Value::dictionary({{0, "B"}, {1, "A"}, {7, "x"}, {8, "y"}, {9, "x"}}),
        fnd::Value::dictionary({{0, "B"}, {1, "A"}, {7, "x"}, {8, "y"}}),
        fnd::Value::dictionary({{0, "B"}, {1, "A"}, {7, "x"}, {8, "y"}, {9, "z"}, {4, "w"}}),
        fnd::Value::dictionary({{0, "B"}, {1, "A"}, {7, "x"}, {8, "y"}, {9, "z"}, {19, 5}}),
        fnd::Value::dictionary({{0, "B"}, {1, "A"}, {7, "x"}, {8, "y"}, {9, "z"}, {-1, 0}}),
    };
    for (const fnd::Value& ui : different) {
        EXPECT_FALSE(contact(base.deepCopy())->isEqualTovCard(*contact(ui))) << ui.description();
    }
}

TEST(CardRecordsTest, ContactOrder) {
    auto make = [](const char* name, int state, int userId, int type) {
        auto card = contact(fnd::Value::dictionary({{1, name}, {-1, type}, {100, userId}}));
        card->setState(state);
        return card;
    };
    std::vector<std::shared_ptr<vCard>> cards{
        make("dora", 0, 0, 0), make("Carl", 0, 0, 2), make("bert", 1, 0, 0), make("Eve", 0, 5, 0),
        make("adam", 0, 0, 7), make("Fay", 1, 9, 0),  make("ann", 0, 0, 0),  contact(fnd::Value::dictionary({{-1, 0}})),
        make("Gus", 1, 3, 0),
    };
    std::sort(cards.begin(), cards.end(), [](const auto& a, const auto& b) { return a->compareTo(*b) < 0; });
    std::vector<std::string> order;
    for (const auto& card : cards) {
        order.push_back(card->getname());
    }
    // A card without name fields shows "" and sorts before the named plain contacts.
    EXPECT_EQ(order, (std::vector<std::string>{"Fay", "Gus", "bert", "Eve", "", "ann", "dora", "adam", "Carl"}));
    EXPECT_EQ(cards[0]->compareTo(*cards[0]), 0);
}

TEST(CardRecordsTest, LongNamesSortByTheirWholeKey) {
    // Names that tie in their first sixteen units and part after them, or end there, or within them.
    const std::vector<const char*> names{"Alexandria Montgomery",
                                         "alexandria montgomerz",
                                         "Alexandria Montg",
                                         "Alexandria Montgomery-Smith",
                                         "Alexandria",
                                         "ALEXANDRIA MONTGOMERY",
                                         ""};
    for (const char* a : names) {
        for (const char* b : names) {
            auto cardA = contact(fnd::Value::dictionary({{1, a}}));
            auto cardB = contact(fnd::Value::dictionary({{1, b}}));
            const int whole = cardA->nameKey().compare(cardB->nameKey());
            EXPECT_EQ(cardA->compareTo(*cardB), (whole > 0) - (whole < 0)) << a << " / " << b;
        }
    }
}

TEST(CardRecordsTest, BuddyPresenceKeepsTheOnlineListInNameOrder) {
    auto account = imGroup::create();
    for (const char* name : {"delta", "Alpha", "charlie", "Bravo", "echo"}) {
        auto buddy = account->getuser(std::string("id-") + name);
        buddy->setDisp(name);
        EXPECT_EQ(buddy->group(), account);
    }
    EXPECT_EQ(account->all()->count(), 5u);
    EXPECT_EQ(account->getuser("id-Bravo")->disp(), "Bravo");
    EXPECT_EQ(account->all()->count(), 5u);

    for (const char* name : {"delta", "Bravo", "echo", "Alpha", "Bravo"}) {
        account->getuser(std::string("id-") + name)->setstate(2);
    }
    EXPECT_EQ(names(*account->onlines()), (std::vector<std::string>{"Alpha", "Bravo", "delta", "echo"}));
    account->getuser("id-delta")->setstate(0);
    account->getuser("id-charlie")->setstate(5);
    EXPECT_EQ(names(*account->onlines()), (std::vector<std::string>{"Alpha", "Bravo", "charlie", "echo"}));
    EXPECT_EQ(account->getuser("id-delta")->state(), 0);

    account->clear();
    EXPECT_EQ(account->connectionStatus(), imGroup::kStatusSignedOut);
    EXPECT_TRUE(account->all()->empty());
    EXPECT_TRUE(account->onlines()->empty());
}

TEST(CardRecordsTest, RoomMembersAndAttributeBits) {
    auto room = ChatRoomCard::create();
    room->setState(1);
    for (int id : {4, 8, 4}) {
        auto user = ChatRoomUser::create();
        user->setUserId(id);
        room->userLogin(user);
    }
    EXPECT_EQ(room->current(), 2);
    EXPECT_EQ(room->findUser(8)->userId(), 8);
    EXPECT_FALSE(room->userLogout(99));
    EXPECT_EQ(room->current(), 2);
    EXPECT_TRUE(room->userLogout(4));
    EXPECT_EQ(room->current(), 1);
    EXPECT_EQ(room->findUser(4), nullptr);
    room->logout();
    EXPECT_EQ(room->state(), 0);
    EXPECT_TRUE(room->users()->empty());
    EXPECT_EQ(room->current(), 1);
    room->clearUsers();
    EXPECT_EQ(room->current(), 0);

    auto group = ChatGroupCard::create();
    group->setMembershipAttribute(0b1110);
    group->setMembershipAttr(ChatGroupCard::kMembershipBlocked, true);
    EXPECT_TRUE(group->checkMembershipAttr(1));
    group->setMembershipAttr(1, false);
    EXPECT_EQ(group->membershipAttribute(), 0b1110);
    ChatGroupUser member;
    member.setAttr(0b101, true);
    member.setAttr(0b100, false);
    EXPECT_EQ(member.attribute(), 0b001);
    EXPECT_FALSE(member.checkAttr(0b110));

    auto friendCard = vCard::create();
    EXPECT_FALSE(friendCard->supportOfflineMessage());
    friendCard->options().setObject(vCard::kCapabilityOfflineGame, vCard::kOptionCapabilities);
    EXPECT_FALSE(friendCard->supportOfflineMessage());
    EXPECT_TRUE(friendCard->supportOfflineGame());
}

} // namespace
} // namespace zelvan
