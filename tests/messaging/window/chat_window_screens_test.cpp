// The chat window on screen under the manual clock: screenshots of a friend chat, a room chat and the
// title strip with three chats; the input bar rising while typing and coming back to where it was
// when an advertisement appears meanwhile; and paging between chats with sideways flicks.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ads/test_ad_source.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/chat_room_user.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/toolkit/window_fixture.h"

namespace zelvan {
namespace {

using fnd::Value;

std::shared_ptr<vCard> friendCard(int32_t userId, const std::string& name) {
    auto card = vCard::create();
    card->setUi(Value::dictionary({{0, name}, {-1, 0}}).asDictionary());
    card->setUserid(userId);
    card->setState(1);
    return card;
}

class ChatWindowScreensTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AppRegistry registry;
        registry.cardPictureRule.factory =
            ServiceSlot<CardPictureRule>::fixed(std::make_shared<MessengerCardPictures>());
        ad_ = ui::View::create<ZLVAdWrapperView>(gfx::Rect());
        registry.adView.factory = ServiceSlot<AdViewService>::fixed(ad_);
        app_.emplace(std::move(registry));
        controller_ = IMController::create((*app_)->shared_from_this());
        nav_ = ui::NavigationController::initWithRootViewController(controller_);
        window_->setRootViewController(nav_);
        settle();
    }
    void TearDown() override {
        window_->setRootViewController(nullptr);
        WindowFixture::TearDown();
        nav_.reset();
        controller_.reset();
        app_.reset();
    }
    // Runs pushes, fades and the strip's animations to their end.
    void settle() {
        fnd::RunLoop::main().runUntilIdle();
        clock_->advance(1.0);
        fnd::RunLoop::main().runUntilIdle();
    }
    IMChatController& chatWindow() { return *controller_->chatController(); }
    void show(const std::shared_ptr<baseCard>& card) {
        controller_->showChatWithCard(card);
        settle();
        ASSERT_EQ(nav_->topViewController(), controller_->chatController());
    }
    void saveScreenshot(ui::View& view, const std::string& name) {
        std::error_code ec;
        std::filesystem::create_directories("screenshots", ec);
        window_->layoutIfNeeded();
        ASSERT_TRUE(ui::Snapshot::saveViewAsPng(view, "screenshots/" + name));
    }
    // The frame of `view` in the window's space.
    static gfx::Rect onScreen(const ui::View& view) { return view.convertRectToView(view.bounds(), nullptr); }

    std::optional<ScopedAppDelegate> app_;
    std::shared_ptr<ZLVAdWrapperView> ad_;
    std::shared_ptr<IMController> controller_;
    std::shared_ptr<ui::NavigationController> nav_;
};

TEST_F(ChatWindowScreensTest, FriendAndRoomChatsAndTheTitleStripOnScreen) {
    auto ada = friendCard(2001, "Ada Lind");
    auto bo = friendCard(2002, "Bo Ek");
    auto room = ChatRoomCard::create();
    room->setRoomId(7);
    room->setName("Lobby");
    room->setRule("Be kind.");
    room->setState(1);
    room->setAllowPrivateChat(true);
    for (int32_t id : {3001, 3002}) {
        auto member = ChatRoomUser::create();
        member->setUserId(id);
        room->users()->addObject(Value(member));
    }

    show(ada);
    auto chat = chatWindow().currentChat();
    chat->addChatMessage("Hi! Are you up for a round tonight?", ada);
    chat->addChatMessage("Sure, after eight :)", nullptr);
    chat->addChatMessage("Great, see you in the lobby", ada);
    // Without a tab bar the window does not count as visible; it shows new lines when it reloads.
    chatWindow().reload();
    settle();
    // The friend's toolbar: the home button at the right end, the name beside the icon before it.
    const auto& buttons = chatWindow().toolbarBtns();
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->tag(), IMChatController::kBtnHome);
    const gfx::Rect home = onScreen(*buttons[0]);
    EXPECT_DOUBLE_EQ(home.maxX(), 320);
    EXPECT_LE(onScreen(*chatWindow().toolbarNameLabel()).maxX(), home.minX());
    EXPECT_EQ(chatWindow().toolbarNameLabel()->text(), "Ada Lind");
    EXPECT_EQ(chatWindow().chatView()->chat(), chat);
    saveScreenshot(*window_, "messaging-chat-window-friend.png");

    // A room the user is in: members and the private-chat switch, both inside the toolbar.
    controller_->showChatWithCard(std::shared_ptr<baseCard>(room));
    controller_->showChatWithCard(std::shared_ptr<baseCard>(bo));
    controller_->showChatWithCard(std::shared_ptr<baseCard>(room));
    settle();
    room->chat()->addChatMessage("Welcome to the lobby!", nullptr);
    chatWindow().reload();
    settle();
    const auto& roomButtons = chatWindow().toolbarBtns();
    ASSERT_EQ(roomButtons.size(), 2u);
    EXPECT_EQ(roomButtons[0]->tag(), IMChatController::kBtnRoomUsers);
    EXPECT_TRUE(roomButtons[0]->isEnabled());
    EXPECT_EQ(roomButtons[1]->tag(), IMChatController::kBtnPrivateChatOff);
    // Rebuilding the toolbar leaves exactly the placed buttons in it.
    chatWindow().reloadToolbar();
    EXPECT_EQ(chatWindow().toolbarBtnView()->subviews().size(), 2u);
    EXPECT_DOUBLE_EQ(onScreen(*roomButtons[1]).maxX(), 320);
    EXPECT_GE(onScreen(*roomButtons[0]).minX(), onScreen(*chatWindow().toolbarNameLabel()).maxX());
    // Three chats: the dots show, the lists make room for them.
    EXPECT_FALSE(chatWindow().pageControl()->isHidden());
    EXPECT_EQ(chatWindow().pageControl()->numberOfPages(), 3);
    EXPECT_EQ(chatWindow().pageControl()->currentPage(), 1);
    EXPECT_DOUBLE_EQ(chatWindow().chatView()->frame().maxY(), chatWindow().pageControl()->frame().minY());
    saveScreenshot(*window_, "messaging-chat-window-room.png");

    // The strip in the navigation bar: three icons, the room's in the middle of the strip.
    auto strip = chatWindow().titleView();
    ASSERT_EQ(strip->chats().size(), 3u);
    EXPECT_EQ(strip->selectedChat(), room->chat());
    EXPECT_EQ(nav_->navigationBar()->topItem()->titleView(), strip);
    saveScreenshot(*nav_->navigationBar(), "messaging-chat-window-title-strip.png");
}

TEST_F(ChatWindowScreensTest, InputBarComesBackWhereItStartedWhenAnAdAppearsWhileTyping) {
    auto source = std::make_shared<TestAdSource>();
    ad_->setAdSource(source);
    controller_->setFeatureVisible([](const std::string& name) { return name == "chatads"; });
    show(friendCard(2001, "Ada Lind"));
    ASSERT_EQ(ad_->superview(), chatWindow().view());
    const auto& input = chatWindow().inputView();
    const auto& list = chatWindow().chatView();
    const gfx::Rect inputAtRest = input->frame();
    const gfx::Rect listAtRest = list->frame();
    EXPECT_DOUBLE_EQ(inputAtRest.maxY(), chatWindow().view()->bounds().height());

    // Typing without an ad raises the bar by the whole keyboard offset.
    tapIn(*chatWindow().textField(), chatWindow().textField()->bounds());
    ASSERT_TRUE(chatWindow().textField()->isEditing());
    settle();
    EXPECT_DOUBLE_EQ(input->frame().minY(), inputAtRest.minY() - IMChatController::kKeyboardOffset);
    EXPECT_DOUBLE_EQ(list->frame().height(), listAtRest.height() - IMChatController::kKeyboardOffset);

    // The ad arrives mid-typing; ending the edit undoes exactly the rise applied, then makes room
    // for the ad under the bar.
    source->deliverAd(gfx::Size(320, 50), gfx::Color::fromRgbHex(0xd04020));
    ASSERT_TRUE(ad_->isAdViewAvailable());
    settle();
    EXPECT_DOUBLE_EQ(input->frame().minY(), inputAtRest.minY() - IMChatController::kKeyboardOffset);
    chatWindow().hideInput();
    settle();
    const gfx::Rect aboveAd = input->frame();
    EXPECT_DOUBLE_EQ(aboveAd.minY(), inputAtRest.minY() - 50);
    EXPECT_DOUBLE_EQ(list->frame().height(), listAtRest.height() - 50);

    // With the ad laid out under the bar, typing raises it by the offset less the ad's height,
    // which puts it where it was on the keyboard before; it comes back above the ad.
    tapIn(*chatWindow().textField(), chatWindow().textField()->bounds());
    settle();
    EXPECT_DOUBLE_EQ(input->frame().minY(), inputAtRest.minY() - IMChatController::kKeyboardOffset);
    chatWindow().hideInput();
    settle();
    EXPECT_EQ(input->frame(), aboveAd);
}

TEST_F(ChatWindowScreensTest, FlicksPageBetweenChatsAfterTheAnimation) {
    std::vector<std::shared_ptr<vCard>> cards{friendCard(2001, "Ada"), friendCard(2002, "Bo"), friendCard(2003, "Cy")};
    for (const auto& card : cards) {
        controller_->chat()->findChatWithCard(card, true);
    }
    show(cards[0]);
    auto first = chatWindow().currentChat();
    const auto shown = chatWindow().chatView();
    const auto spare = chatWindow().bgChatView();
    const gfx::Rect listFrame = shown->frame();

    // Nothing before the first chat.
    chatWindow().tableViewRightFlicked(*shown);
    settle();
    EXPECT_EQ(chatWindow().currentChat(), first);
    EXPECT_EQ(chatWindow().chatView(), shown);
    EXPECT_EQ(shown->frame(), listFrame);

    // A quick leftward swipe across the list: the next chat slides in over 0.3 s.
    const gfx::Rect onWindow = onScreen(*shown);
    const double y = onWindow.midY();
    ui::testing::TouchDriver::drag({onWindow.maxX() - 30, y}, {onWindow.minX() + 40, y}, 0.1, 4);
    EXPECT_EQ(chatWindow().currentChat(), first);
    EXPECT_EQ(spare->chat(), chatWindow().chats()[1]);
    clock_->advance(0.25);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(chatWindow().currentChat(), first);
    clock_->advance(0.1);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(chatWindow().currentChat(), chatWindow().chats()[1]);
    EXPECT_EQ(chatWindow().chatView(), spare);
    EXPECT_EQ(chatWindow().bgChatView(), shown);
    EXPECT_EQ(spare->frame(), listFrame);
    EXPECT_DOUBLE_EQ(shown->frame().minX(), -listFrame.width());
    EXPECT_EQ(chatWindow().pageControl()->currentPage(), 1);
    settle();
    EXPECT_EQ(chatWindow().titleView()->selectedIndex(), 1);

    // Back with a right flick; the lists swap again.
    chatWindow().tableViewRightFlicked(*chatWindow().chatView());
    settle();
    EXPECT_EQ(chatWindow().currentChat(), first);
    EXPECT_EQ(chatWindow().chatView(), shown);
    EXPECT_EQ(shown->frame(), listFrame);
    EXPECT_EQ(shown->chat(), first);
}

} // namespace
} // namespace zelvan
