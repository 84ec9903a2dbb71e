// Packet scripts against the messenger's model: presence counting, contact confirmation and sync,
// messages and delivery lines, miniblog answers, options, and malformed packets that change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state_files.h"
#include "messaging/chat/im_chat.h"
#include "messaging/commands/messenger_commands.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

using fnd::Value;

std::shared_ptr<vCard> card(const std::string& name, int32_t userId, int32_t contactId) {
    auto c = vCard::create();
    c->setUi(Value::dictionary({{0, name}, {-1, 0}}).asDictionary());
    c->setUserid(userId);
    c->setContactid(contactId);
    return c;
}

// The system lines of a chat (type 2), in order.
int systemLines(const IMChat& chat) {
    int n = 0;
    for (const auto& m : chat.messages()) {
        n += m->type() == 2 ? 1 : 0;
    }
    return n;
}

class MessengerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        deletefile(ContactManage::kContactFile);
        model.insertContact(card("Ann", 2001, 1));
        model.insertContact(card("Bob", 2002, 2));
        model.insertContact(card("Carl", 0, 3));
    }
    void TearDown() override { deletefile(ContactManage::kContactFile); }
    void run(std::initializer_list<Value> items) { commands.handle(Value::array(items)); }
    std::shared_ptr<IMChat> chatOf(int32_t userId) { return window->findChatWithCard(model.getuserid(userId)); }

    std::shared_ptr<IMChatList> window = std::make_shared<IMChatList>();
    ContactManage model{[] { return false; }, window};
    int refreshes = 0;
    MessengerCommands commands{model, hooks()};
    MessengerCommands::Hooks hooks() {
        MessengerCommands::Hooks h;
        h.refresh = [this] { ++refreshes; };
        return h;
    }
};

TEST_F(MessengerCommandsTest, PresenceCountsSessions) {
    auto chat = chatOf(2001);
    auto ann = model.getuserid(2001);
    run({13, 2001});
    run({13, 2001});
    EXPECT_EQ(ann->state(), 1);
    EXPECT_EQ(ann->online(), 2);
    EXPECT_EQ(systemLines(*chat), 1); // the second session only counts

    run({14, 2001});
    EXPECT_EQ(ann->state(), 1);
    run({14, 2001});
    EXPECT_EQ(ann->state(), 0);
    EXPECT_EQ(systemLines(*chat), 2);

    // Online without a counted session (29), then a repeated 14: offline, count never negative.
    run({29, 2002});
    run({14, 2002});
    run({14, 2002});
    EXPECT_EQ(model.getuserid(2002)->state(), 0);
    EXPECT_EQ(model.getuserid(2002)->online(), 0);

    run({72, 2002, 9999});
    EXPECT_EQ(model.getuserid(2002)->state(), 3);
    EXPECT_EQ(refreshes, 8);
}

TEST_F(MessengerCommandsTest, ContactsConfirmedAndSynced) {
    auto waiting = card("Dora", 0, -5);
    model.waitadd().push_back(waiting);
    // A known contact id moves to the friends; the unknown one takes the waiting card; extra skipped.
    run({1, 3, 2003, 77, 2004, 78, 2005});
    EXPECT_EQ(model.getuserid(2003)->getname(), "Carl");
    EXPECT_EQ(waiting->contactid(), 77);
    EXPECT_EQ(waiting->userid(), 2004);
    EXPECT_TRUE(model.waitadd().empty());
    EXPECT_FALSE(model.getcontactid(78));

    // The block of 7 is applied before the block of 2; user id 0 keeps the card's user id.
    run({7, Value::array({1, 0, Value::dictionary({{0, "Anna"}})})});
    EXPECT_EQ(model.getuserid(2001)->getname(), "Ann");
    run({2, 42, Value::array({2}),
         Value::array({1, 0, Value::dictionary({{0, "Anne"}}), 90, 0, Value::dictionary({{0, "New"}})})});
    EXPECT_EQ(model.rev(), 42);
    EXPECT_TRUE(model.updates().empty());
    EXPECT_EQ(model.getuserid(2001)->getname(), "Anne");
    EXPECT_FALSE(model.getcontactid(2));
    EXPECT_EQ(model.getcontactid(90)->getname(), "New");
}

TEST_F(MessengerCommandsTest, MessagesDeliveryMiniblogAndOptions) {
    run({3, 2001, "hello"});
    run({3, "+155501", "from a phone"});
    run({3, 4242, "nobody"});
    ASSERT_EQ(chatOf(2001)->messages().size(), 1u);
    EXPECT_EQ(chatOf(2001)->unread(), 1); // no chat is on screen: the line waits unread
    EXPECT_EQ(model.unknowns().size(), 1u);
    EXPECT_EQ(window->chats().size(), 2u);

    run({11, -1, 2001, "me", 0});
    run({11, -1, 2001, "me", 3});
    EXPECT_EQ(systemLines(*chatOf(2001)), 2);
    EXPECT_EQ(chatOf(2001)->messages().size(), 5u);
    EXPECT_EQ(chatOf(2001)->messages().back()->card(), nullptr);

    // Seven elements are two triples; an unasked answer leaves the count alone.
    model.miniblogRequestCounts().addValue(2);
    model.setMiniblogRequestCount(1);
    run({80, Value::array({2001, "one", 5, 2002, "two", 6, 2003})});
    EXPECT_EQ(model.getuserid(2001)->miniblog(), "one");
    EXPECT_EQ(model.getuserid(2002)->miniblog(), "two");
    EXPECT_EQ(model.miniblogRequestCount(), 0);
    run({80, Value::array({})});
    EXPECT_EQ(model.miniblogRequestCount(), 0);

    run({403, 1, 2001, 3, 9999, 1});
    EXPECT_TRUE(model.getuserid(2001)->supportOfflineMessage());
    EXPECT_TRUE(model.getuserid(2001)->supportOfflineGame());
}

TEST_F(MessengerCommandsTest, ExternalAccountsSignInAndBuddies) {
    auto im = imGroup::create();
    im->setProt(3);
    im->setUser("ann@net");
    im->setConnectionStatus(imGroup::kStatusSigningIn);
    model.ims().push_back(im);
    std::vector<std::string> warnings;
    MessengerCommands::Hooks h;
    h.showWarning = [&](const std::string& text) { warnings.push_back(text); };
    h.statusHeight = [](const std::string& text) { return static_cast<double>(text.size()); };
    MessengerCommands withHooks{model, h};

    withHooks.handle(Value::array({5, 8, 3, "ann@net"}));
    EXPECT_EQ(im->connectionStatus(), 3);
    EXPECT_EQ(model.findIMWithID(8), im);
    withHooks.handle(Value::array({6, 8, "bo", "Bo", 1, "away"}));
    auto bo = im->getuser("bo");
    EXPECT_EQ(bo->disp(), "Bo");
    EXPECT_EQ(bo->statusHeight(), 4.0F);
    withHooks.handle(Value::array({6, 8, "bo", "Bo B", 1})); // five elements keep the status
    EXPECT_EQ(bo->status(), "away");
    withHooks.handle(Value::array({8, 8, "bo", "hi"}));
    EXPECT_EQ(window->findChatWithCard(bo, false)->messages().size(), 1u);

    im->setConnectionStatus(imGroup::kStatusSigningIn);
    withHooks.handle(Value::array({5, 0, 3, "ann@net"}));
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(im->connectionStatus(), imGroup::kStatusSignedOut);
    EXPECT_EQ(im->all()->count(), 0u);
    EXPECT_FALSE(window->findChatWithCard(bo, false));
}

TEST_F(MessengerCommandsTest, MalformedPacketsChangeNothingAndWarn) {
    fnd::testing::LogCapture log;
    run({2, 5, 3});                   // no deleted ids, no block
    run({3, 2001});                   // no text
    run({3, 2001, Value::array({})}); // text of the wrong kind
    run({7});
    run({58, 2001, 12});
    EXPECT_EQ(log.count("IMControlle exception"), 5u);
    log.clear(); // the log holds one site to a few lines at a time
    run({80, "x"});
    EXPECT_EQ(model.rev(), 0);
    EXPECT_TRUE(model.updates().empty());
    EXPECT_TRUE(window->chats().empty());
    EXPECT_EQ(log.count("IMControlle exception"), 1u);

    log.clear();
    run({99999, 2001});
    run({});
    EXPECT_EQ(log.lines().size(), 0u);
    EXPECT_EQ(refreshes, 0);
}

} // namespace
} // namespace zelvan
