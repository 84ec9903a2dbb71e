// The chat window in a window of its own, with the packets it queues decoded: the send gate and the
// command of each kind of card, colours and closing neighbours, the room rule flow, unread counts with
// the sound and the badge, clearing on a lost connection, calls, toolbars per kind and the page dots.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/state_files.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/chat_room_user.h"
#include "messaging/model/im_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/tab_bar_item.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/window.h"
#include "protocol/tagged_codec.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "toolkit/z_simple_photo_view.h"

namespace zelvan {
namespace {

using fnd::Value;

class CountingSound : public MessageSoundService {
public:
    void play() override { ++plays; }
    int plays = 0;
};

std::shared_ptr<vCard> friendCard(int32_t userId, int32_t state, bool offlineMessages = false) {
    auto card = vCard::create();
    card->setUserid(userId);
    card->setState(state);
    card->options().setObject(Value(offlineMessages ? vCard::kCapabilityOfflineMessage : 0),
                              vCard::kOptionCapabilities);
    return card;
}

std::shared_ptr<ChatRoomCard> roomCard(int32_t roomId, int32_t state, std::string rule) {
    auto room = ChatRoomCard::create();
    room->setRoomId(roomId);
    room->setName("Lobby");
    room->setState(state);
    room->setRule(std::move(rule));
    return room;
}

std::shared_ptr<ChatGroupCard> groupCard(int32_t groupId, bool blocked) {
    auto group = ChatGroupCard::create();
    group->setGroupId(groupId);
    group->setName("Chess club");
    group->setMembershipAttr(1, blocked);
    return group;
}

class ChatWindowTest : public ::testing::Test {
protected:
    ChatWindowTest() : app_(registry()) {}

    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        reachability_ = fnd::testing::FakeReachability::install();
        messenger_ = IMController::create(app_->shared_from_this());
        chatWindow_ = messenger_->chatController();
        screen_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        screen_->makeKeyAndVisible();
        screen_->addSubview(chatWindow_->view());
        field_ = ui::View::create<ui::TextField>(gfx::Rect(0, 0, 200, 30));
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        screen_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
        deletefile(zelvanAppDelegate::kRuleLogFile);
    }

    AppRegistry registry() {
        AppRegistry r;
        r.msgPlayer.factory = ServiceSlot<MessageSoundService>::fixed(sound_);
        r.cardPictureRule.factory = ServiceSlot<CardPictureRule>::fixed(std::make_shared<MessengerCardPictures>());
        return r;
    }

    // Everything queued since the last call, decoded.
    std::vector<Value> sent() { return takeSentPackets(*app_); }
    // Types `text` into the current chat and presses Send.
    void type(const std::string& text) {
        field_->setText(text);
        EXPECT_EQ(chatWindow_->textFieldShouldReturn(*field_), false);
    }
    // The text runs of the current chat's last line.
    std::string lastLine() const {
        auto chat = chatWindow_->currentChat();
        std::string text;
        if (chat && !chat->messages().empty()) {
            for (const auto& token : chat->messages().back()->tokens()) {
                if (const auto* run = std::get_if<std::string>(&token)) {
                    text += *run;
                }
            }
        }
        return text;
    }
    std::vector<int> toolbarTags() const {
        std::vector<int> tags;
        for (const auto& b : chatWindow_->toolbarBtns()) {
            tags.push_back(static_cast<int>(b->tag()));
        }
        return tags;
    }
    ZSimpleAlertView* shownAlert() const { return ui::testing::findView<ZSimpleAlertView>(chatWindow_->view()).get(); }
    void tapAlertButton(int index) {
        auto alert = shownAlert();
        ASSERT_TRUE(alert);
        auto button = alert->buttonViews().at(static_cast<size_t>(index));
        screen_->layoutIfNeeded();
        const gfx::Rect b = button->bounds();
        ui::testing::TouchDriver::tap(screen_, button->convertPointToView({b.midX(), b.midY()}, nullptr));
    }

    std::shared_ptr<CountingSound> sound_ = std::make_shared<CountingSound>();
    ScopedAppDelegate app_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<fnd::testing::FakeReachability> reachability_;
    std::shared_ptr<IMController> messenger_;
    std::shared_ptr<IMChatController> chatWindow_;
    std::shared_ptr<ui::Window> screen_;
    std::shared_ptr<ui::TextField> field_;
};

TEST_F(ChatWindowTest, SendsEachKindsLineWithItsCommandAndGatesPartnersThatCannotReceive) {
    app_->packetQueue().setSessionActive(true);
    auto account = imGroup::create();
    account->setIm_id(4);
    auto buddy = imCard::create();
    buddy->setUser("bob@example.net");
    buddy->setGroup(account);
    buddy->setState(1);
    auto privateMember = PrivateChatCard::create();
    privateMember->setSid(77);
    const std::vector<std::pair<std::shared_ptr<baseCard>, Value>> reachable = {
        {buddy, Value::array({6, 4, "bob@example.net", "hi"})},
        {friendCard(2001, 1), Value::array({6, -1, 2001, "hi"})},
        {friendCard(2002, 0, true), Value::array({6, -1, 2002, "hi"})},
        {groupCard(7, false), Value::array({308, 7, "hi"})},
        {roomCard(9, 1, "Be nice"), Value::array({22, 9, "hi"})},
        {unknownCard::create("5550123"), Value::array({3, "5550123", "hi"})},
        {privateMember, Value::array({32, 77, "hi"})},
    };
    for (const auto& [card, packet] : reachable) {
        chatWindow_->activateChatWithCard(card);
        sent();
        type("hi");
        EXPECT_EQ(sent(), std::vector<Value>{packet}) << card->className();
        EXPECT_EQ(lastLine(), "hi");
        EXPECT_TRUE(field_->text().empty());
    }

    // Partners that cannot receive get a reason instead; the line is neither sent nor added, and the
    // typed text stays for a later try.
    const std::vector<std::pair<std::shared_ptr<baseCard>, std::string>> unreachable = {
        {friendCard(2003, 0, false), fnd::format(ZLS("userOfflineTip"), "")},
        {groupCard(8, true), ZLS("groupSendMessageinUnblock")},
        {roomCard(10, 0, ""), ZLS("chatroom.offlinealert")},
    };
    for (const auto& [card, reason] : unreachable) {
        chatWindow_->activateChatWithCard(card);
        sent();
        type("later");
        EXPECT_TRUE(sent().empty()) << card->className();
        EXPECT_EQ(lastLine(), reason);
        EXPECT_EQ(field_->text(), "later");
    }

    // An empty line sends and adds nothing.
    chatWindow_->activateChatWithCard(reachable[1].first);
    const size_t lines = chatWindow_->currentChat()->messages().size();
    type("");
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(chatWindow_->currentChat()->messages().size(), lines);
}

TEST_F(ChatWindowTest, ColoursCycleInOpeningOrderAndClosingPicksANeighbour) {
    std::vector<std::shared_ptr<vCard>> friends;
    for (int i = 0; i < 7; ++i) {
        friends.push_back(friendCard(3000 + i, 1));
    }
    for (int i = 0; i < 6; ++i) {
        chatWindow_->activateChatWithCard(friends[i]);
    }
    // The same card finds its open chat.
    EXPECT_EQ(chatWindow_->findChatWithCard(friends[2]), friends[2]->chat());
    EXPECT_EQ(chatWindow_->chats().size(), 6u);

    // Closing the last chat makes the one before it current; closing another, the one that followed.
    chatWindow_->activateChatWithCard(friends[5]);
    chatWindow_->removeCurrentChat();
    EXPECT_EQ(chatWindow_->currentChat(), friends[4]->chat());
    chatWindow_->activateChatWithCard(friends[1]);
    chatWindow_->removeCurrentChat();
    EXPECT_EQ(chatWindow_->currentChat(), friends[2]->chat());

    // Colours are never reused on closing: the seventh chat opened gets 0 again.
    auto seventh = chatWindow_->findChatWithCard(friends[6]);
    EXPECT_EQ(seventh->colorId(), 0);
    for (int i : {0, 2, 3, 4}) {
        EXPECT_EQ(friends[i]->chat()->colorId(), i);
    }

    // A room left from its chat is logged out on the server; without a current chat nothing happens.
    auto room = roomCard(12, 1, "rule");
    chatWindow_->activateChatWithCard(room);
    sent();
    chatWindow_->removeCurrentChat();
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({23, 12})});
    EXPECT_EQ(room->state(), 0);
    while (!chatWindow_->chats().empty()) {
        chatWindow_->removeChatWithCard(chatWindow_->chats().front()->card());
    }
    fnd::testing::LogCapture log;
    chatWindow_->removeCurrentChat();
    EXPECT_TRUE(log.contains("current chat is nil"));
}

TEST_F(ChatWindowTest, RoomRuleIsAskedOnceAcceptedLoggedAndEntered) {
    // A room whose rule is not loaded asks for it and waits.
    auto room = roomCard(40, 0, "");
    chatWindow_->activateChatWithCard(room);
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({81, 40})});
    EXPECT_EQ(lastLine(), ZLS("chatroom.fetchrule"));
    EXPECT_FALSE(shownAlert());

    // The rule arrives: the user is asked; agreeing logs the room, writes the log and enters it.
    room->setRule("No spoilers.");
    chatWindow_->displayRuleOfChatRoom(room);
    ASSERT_TRUE(shownAlert());
    tapAlertButton(1);
    EXPECT_FALSE(shownAlert());
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({21, 40})});
    EXPECT_EQ(lastLine(), ZLS("chatroom.ruleagreed"));
    auto stored = readfile(zelvanAppDelegate::kRuleLogFile);
    ASSERT_TRUE(stored.ok());
    EXPECT_TRUE(stored.value().asDictionary()->containsKey(40));

    // Accepted once, the room is entered again without asking.
    chatWindow_->removeCurrentChat();
    sent();
    chatWindow_->activateChatWithCard(room);
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({21, 40})});
    EXPECT_EQ(lastLine(), ZLS("chatroom.loggingin"));
    EXPECT_FALSE(shownAlert());

    // Declining another room's rule closes its chat.
    auto other = roomCard(41, 0, "Quiet hours.");
    chatWindow_->activateChatWithCard(other);
    ASSERT_TRUE(shownAlert());
    tapAlertButton(0);
    EXPECT_FALSE(other->chat());
    EXPECT_EQ(chatWindow_->chats().size(), 1u);
}

TEST_F(ChatWindowTest, UnreadLinesCountPlayTheSoundAndShowTheBadge) {
    auto pal = friendCard(2001, 1);
    auto room = roomCard(50, 1, "rule");
    auto palChat = chatWindow_->findChatWithCard(pal);
    auto roomChat = chatWindow_->findChatWithCard(room);
    // Opening lines count as unread but play nothing: the chat was not open yet.
    EXPECT_EQ(palChat->unread(), 1);
    EXPECT_EQ(sound_->plays, 0);

    palChat->addChatMessage("one", pal);
    palChat->addChatMessage("two", pal);
    EXPECT_EQ(sound_->plays, 2);
    roomChat->addChatMessage("first", nullptr);
    roomChat->addChatMessage("second", nullptr);
    EXPECT_EQ(sound_->plays, 3);
    EXPECT_EQ(messenger_->tabBarItem()->badgeValue(), std::optional<std::string>("5"));

    // Showing a chat reads it; the badge goes when nothing is unread.
    chatWindow_->activateChatWithCard(pal);
    EXPECT_EQ(messenger_->tabBarItem()->badgeValue(), std::optional<std::string>("2"));
    chatWindow_->activateChatWithCard(room);
    EXPECT_EQ(messenger_->tabBarItem()->badgeValue(), std::nullopt);
}

TEST_F(ChatWindowTest, ClearDropsEveryTraceOfTheChats) {
    auto a = friendCard(2001, 1);
    auto b = friendCard(2002, 1);
    chatWindow_->activateChatWithCard(a);
    chatWindow_->findChatWithCard(b)->addChatMessage("hello", b);
    ASSERT_FALSE(chatWindow_->pageControl()->isHidden());
    ASSERT_TRUE(messenger_->tabBarItem()->badgeValue());

    chatWindow_->clear();
    EXPECT_TRUE(chatWindow_->chats().empty());
    EXPECT_FALSE(chatWindow_->currentChat());
    EXPECT_FALSE(chatWindow_->chatView()->chat());
    EXPECT_FALSE(a->chat());
    EXPECT_TRUE(chatWindow_->pageControl()->isHidden());
    EXPECT_TRUE(chatWindow_->titleView()->chats().empty());
    EXPECT_FALSE(messenger_->tabBarItem()->badgeValue());
    EXPECT_TRUE(chatWindow_->toolbarBtns().empty());
}

TEST_F(ChatWindowTest, CallsNeedWiFiAndOnlyReachFriendsAndBuddies) {
    auto pal = friendCard(2001, 1);
    chatWindow_->activateChatWithCard(pal);
    reachability_->setDefaultFlags(0);
    chatWindow_->startVoip();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(lastLine(), ZLS("callFailedWiFi"));

    reachability_->setDefaultFlags(fnd::ReachabilityFlag::Reachable);
    chatWindow_->startVoip();
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({10, -1, 2001, 0})});
    EXPECT_TRUE(chatWindow_->currentChat()->inCall());
    chatWindow_->endVoip();
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({10, -1, 2001, 3})});
    EXPECT_FALSE(chatWindow_->currentChat()->inCall());

    chatWindow_->activateChatWithCard(unknownCard::create("5550123"));
    const size_t lines = chatWindow_->currentChat()->messages().size();
    chatWindow_->startVoip();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(chatWindow_->currentChat()->messages().size(), lines);
}

TEST_F(ChatWindowTest, ToolbarShowsTheButtonsOfTheChatsKind) {
    using W = IMChatController;
    auto room = roomCard(60, 0, "");
    room->users()->addObject(Value([] {
        auto member = ChatRoomUser::create();
        member->setUserId(901);
        return member;
    }()));
    auto privateMember = PrivateChatCard::create();
    const std::vector<std::pair<std::shared_ptr<baseCard>, std::vector<int>>> cases = {
        {friendCard(0, 1), {}},
        {friendCard(2001, 1), {W::kBtnHome}},
        {groupCard(7, false), {W::kBtnPhoto, W::kBtnGroupUsers, W::kBtnBlock}},
        {groupCard(8, true), {W::kBtnGroupUsers, W::kBtnUnblock}},
        {room, {W::kBtnRoomUsers, W::kBtnPrivateChatOn}},
        {privateMember, {W::kBtnHome, W::kBtnDisallow}},
        {unknownCard::create("5550123"), {}},
    };
    for (const auto& [card, tags] : cases) {
        chatWindow_->activateChatWithCard(card);
        EXPECT_EQ(toolbarTags(), tags) << card->className();
        double right = 0;
        for (const auto& button : chatWindow_->toolbarBtns()) {
            EXPECT_GE(button->frame().width(), W::kToolbarButtonMinWidth);
            right = button->frame().maxX();
        }
        // The buttons sit at the right end of the toolbar.
        if (!tags.empty()) {
            EXPECT_NEAR(chatWindow_->toolbarBtnView()->frame().minX() + right, 320, 1.0);
        }
    }

    // A room's member list waits until the room is entered; private chats switch on and off.
    chatWindow_->activateChatWithCard(room);
    EXPECT_FALSE(chatWindow_->toolbarButton(W::kBtnRoomUsers)->isEnabled());
    room->setState(1);
    chatWindow_->reload();
    EXPECT_TRUE(chatWindow_->toolbarButton(W::kBtnRoomUsers)->isEnabled());
    sent();
    chatWindow_->turnOnPrivateChat();
    EXPECT_TRUE(messenger_->privateChatWhitelist().containsValue(901));
    EXPECT_EQ(toolbarTags(), (std::vector<int>{W::kBtnRoomUsers, W::kBtnPrivateChatOff}));
    chatWindow_->turnOffPrivateChat();
    EXPECT_FALSE(messenger_->privateChatWhitelist().containsValue(901));
    EXPECT_TRUE(sent().empty());

    // Blocking a group asks first; unblocking does not.
    auto group = groupCard(7, false);
    chatWindow_->activateChatWithCard(group);
    sent();
    chatWindow_->blockGroup();
    tapAlertButton(1);
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({315, 7, 1})});
    EXPECT_EQ(toolbarTags(), (std::vector<int>{W::kBtnGroupUsers, W::kBtnUnblock}));
    chatWindow_->unblockGroup();
    EXPECT_EQ(sent(), std::vector<Value>{Value::array({315, 7, 0})});
}

TEST_F(ChatWindowTest, PageDotsShowFromTwoChatsAndGiveTheirRoomBack) {
    const double fullHeight = chatWindow_->view()->bounds().height() - IMChatController::kToolbarBackgroundHeight -
                              IMChatController::kInputHeight;
    auto a = friendCard(2001, 1);
    auto b = friendCard(2002, 1);
    chatWindow_->activateChatWithCard(a);
    EXPECT_TRUE(chatWindow_->pageControl()->isHidden());
    EXPECT_DOUBLE_EQ(chatWindow_->chatView()->frame().height(), fullHeight);

    chatWindow_->activateChatWithCard(b);
    EXPECT_FALSE(chatWindow_->pageControl()->isHidden());
    EXPECT_EQ(chatWindow_->pageControl()->currentPage(), 1);
    for (const auto& list : {chatWindow_->chatView(), chatWindow_->bgChatView()}) {
        EXPECT_DOUBLE_EQ(list->frame().height(), fullHeight - IMChatController::kPageControlHeight);
    }

    chatWindow_->removeChatWithCard(b);
    EXPECT_TRUE(chatWindow_->pageControl()->isHidden());
    EXPECT_DOUBLE_EQ(chatWindow_->chatView()->frame().height(), fullHeight);
    EXPECT_EQ(chatWindow_->currentChat(), a->chat());
}

TEST_F(ChatWindowTest, PictureLinesOpenOnlyWebAddresses) {
    auto pal = friendCard(2001, 1);
    auto chat = chatWindow_->findChatWithCard(pal);
    chatWindow_->activateChatWithCard(pal);
    auto line = IMMessage::create();
    line->setType(IMMessage::kTypePicture);
    line->setUrl("file:///etc/passwd");
    fnd::testing::LogCapture log;
    chatWindow_->messageTapped(*chatWindow_->chatView(), line, 0);
    EXPECT_TRUE(log.contains("names no web address"));
    for (const auto& sub : chatWindow_->view()->subviews()) {
        EXPECT_FALSE(std::dynamic_pointer_cast<ZSimplePhotoView>(sub));
    }
}

} // namespace
} // namespace zelvan
