// The messenger's contact model: both state files round trip and survive damage, a reset leaves
// nothing of the previous account, sorted insertion agrees with a sort, and the id lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/state_files.h"
#include "messaging/chat/im_chat.h"
#include "messaging/model/contact_manage.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

using fnd::Value;

std::shared_ptr<vCard> card(const std::string& name, int32_t userId, int32_t contactId) {
    auto c = vCard::create();
    c->setUi(Value::dictionary({{0, name}, {-1, 0}, {4, "+4930" + std::to_string(contactId)}}).asDictionary());
    c->setUserid(userId);
    c->setContactid(contactId);
    return c;
}

template <class Cards>
std::vector<std::string> names(const Cards& cards) {
    std::vector<std::string> out;
    for (const auto& c : cards) {
        out.push_back(c->getname());
    }
    return out;
}

class ContactManageTest : public ::testing::Test {
protected:
    void SetUp() override {
        deletefile(ContactManage::kContactFile);
        deletefile(ContactManage::kIMFile);
    }
    bool loggedOut = false;
    ContactManage model{[this] { return loggedOut; }, std::make_shared<IMChatList>()};
};

TEST_F(ContactManageTest, FilesRoundTripAndSkipWhileLoggedOut) {
    model.setRev(12);
    model.insertContact(card("Zed", 7, 1));
    model.insertContact(card("Amy", 0, 2));
    model.insertContact(card("Bob", 9, 3));
    auto full = imGroup::create();
    full->setProt(3);
    full->setUser("ann");
    full->setPass("pw");
    auto noPass = imGroup::create();
    noPass->setProt(4);
    noPass->setUser("bo");
    model.ims() = {full, noPass};
    model.saveStorage();

    ContactManage loaded{[] { return false; }, std::make_shared<IMChatList>()};
    loaded.loadStorage();
    EXPECT_EQ(loaded.rev(), 12);
    EXPECT_EQ(names(loaded.all()), (std::vector<std::string>{"Zed", "Amy", "Bob"}));
    EXPECT_EQ(names(loaded.zelvanFriends()), (std::vector<std::string>{"Bob", "Zed"}));
    EXPECT_EQ(names(loaded.abContacts()), (std::vector<std::string>{"Amy"}));
    EXPECT_EQ(loaded.getuserid(9)->contactid(), 3);
    ASSERT_EQ(loaded.ims().size(), 1u);
    EXPECT_EQ(loaded.ims()[0]->user(), "ann");
    EXPECT_EQ(loaded.ims()[0]->pass(), "pw");

    // Logged out: the files keep what they hold.
    loggedOut = true;
    model.setRev(99);
    model.saveStorage();
    ContactManage again{[] { return false; }, std::make_shared<IMChatList>()};
    again.loadStorage();
    EXPECT_EQ(again.rev(), 12);
}

TEST_F(ContactManageTest, DamagedFilesLoadTheWholeRecordsAndWarn) {
    fnd::testing::LogCapture log;
    auto ui = Value::dictionary({{0, "Amy"}});
    // A good record, one with wrong kinds, then a partial record.
    writefile(ContactManage::kContactFile, Value::array({5, 1, 0, 0, ui, "x", 0, 0, ui, 3, 7, 0, ui, 4, 2}));
    writefile(ContactManage::kIMFile, Value::array({1, "a", "p", "b", 2, "q", 3, "c", "r", 9}));
    model.loadStorage();
    EXPECT_EQ(model.rev(), 5);
    ASSERT_EQ(model.all().size(), 2u);
    EXPECT_EQ(model.all()[1]->contactid(), 3);
    EXPECT_EQ(model.zelvanFriends().size(), 1u);
    ASSERT_EQ(model.ims().size(), 2u);
    EXPECT_EQ(model.ims()[1]->user(), "c");
    EXPECT_TRUE(log.contains("wrong kinds"));
    EXPECT_TRUE(log.contains("not (int, string, string)"));

    // Not an array at all: nothing changes.
    writefile(ContactManage::kContactFile, Value::dictionary({{1, 2}}));
    model.loadContactStorage();
    EXPECT_EQ(model.all().size(), 2u);
}

TEST_F(ContactManageTest, ResetLeavesNothingOfThePreviousAccount) {
    model.insertContact(card("Amy", 0, 2));
    model.insertContact(card("Bob", 9, 3));
    model.waitadd().push_back(card("New", 0, 0));
    model.chatGroups().push_back(ChatGroupCard::create());
    model.chatRooms().push_back(ChatRoomCard::create());
    model.privateChatUsers().push_back(PrivateChatCard::create());
    model.getunknown("+1");
    model.privateChatWhitelist().addValue(4);
    model.miniblogRequestQueue().addValue(9);
    model.setMiniblogRequestCount(3);
    model.chat()->activateChatWithCard(model.all()[0]);
    model.setRev(8);
    model.saveStorage();

    model.resetAllData();
    EXPECT_FALSE(existfile(ContactManage::kContactFile));
    EXPECT_TRUE(model.all().empty() && model.zelvanFriends().empty() && model.abContacts().empty());
    EXPECT_TRUE(model.waitadd().empty() && model.chatGroups().empty() && model.chatRooms().empty());
    EXPECT_TRUE(model.privateChatUsers().empty() && model.unknowns().empty());
    EXPECT_FALSE(model.privateChatWhitelist().containsValue(4));
    EXPECT_EQ(model.miniblogRequestQueue().count(), 0u);
    EXPECT_EQ(model.miniblogRequestCount(), 0);
    EXPECT_TRUE(model.chat()->chats().empty());
    EXPECT_EQ(model.rev(), 0);

    // The next account's save holds only its own cards.
    model.insertContact(card("Cyd", 0, 5));
    model.saveStorage();
    ContactManage loaded{[] { return false; }, std::make_shared<IMChatList>()};
    loaded.loadStorage();
    EXPECT_EQ(names(loaded.all()), (std::vector<std::string>{"Cyd"}));
}

TEST_F(ContactManageTest, SortedInsertionMatchesASortAndLookups) {
    ContactManage::VCards list;
    std::vector<std::shared_ptr<vCard>> cards;
    const std::vector<std::string> pool = {"Kai", "Ada", "Zoe", "Ada", "Mia", "Bo", "Lea", "Ugo", "Eli", "Kai", "Ola"};
    for (size_t i = 0; i < pool.size(); ++i) {
        auto c = card(pool[i], static_cast<int32_t>(i % 3 == 0 ? 0 : i + 1), static_cast<int32_t>(i));
        ContactManage::insertSorted(list, c);
        cards.push_back(c);
    }
    std::stable_sort(cards.begin(), cards.end(), [](const auto& a, const auto& b) { return a->compareTo(*b) < 0; });
    EXPECT_EQ(names(list), names(cards));

    // The model's friend list stands in the order the bisection over a vector gives, also where names
    // repeat and states changed without a resort (then the list is not sorted and the walk decides).
    ContactManage friends{[] { return true; }, std::make_shared<IMChatList>()};
    ContactManage::VCards reference;
    std::mt19937 rng(3);
    cards.clear();
    for (int32_t i = 0; i < 300; ++i) {
        cards.push_back(card(pool[rng() % pool.size()], 100 + i, 1000 + i));
        friends.insertContact(cards.back());
        ContactManage::insertSorted(reference, cards.back());
    }
    for (int step = 0; step < 2000; ++step) {
        const auto& changed = cards[rng() % cards.size()];
        changed->setState(static_cast<int32_t>(rng() % 3));
        if (rng() % 4 != 0) {
            friends.resortVCard(changed);
            std::erase(reference, changed);
            ContactManage::insertSorted(reference, changed);
        }
    }
    EXPECT_EQ(friends.zelvanFriends().toVector(), reference);
    EXPECT_EQ(friends.getuserid(250), cards[150]);

    EXPECT_EQ(model.getunknown("+49"), model.getunknown("+49"));
    EXPECT_EQ(model.unknowns().size(), 1u);
    auto bob = card("Bob", 9, 3);
    model.insertContact(bob);
    EXPECT_EQ(model.getcontactid(3), bob);
    EXPECT_EQ(model.existvcard(*card("Bob", 0, 3)), bob);
    bob->setFound(true);
    EXPECT_EQ(model.existvcard(*card("Bob", 0, 3)), nullptr);
    EXPECT_EQ(model.getchat(-1, "9")->card(), bob);
    EXPECT_EQ(model.getchat(-1, "9"), model.getchat(-1, "9"));
    EXPECT_EQ(model.getchat(5, "x"), nullptr);
    model.removeContact(bob);
    EXPECT_TRUE(model.all().empty() && model.zelvanFriends().empty());
}

} // namespace
} // namespace zelvan
