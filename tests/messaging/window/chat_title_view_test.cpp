// The chat window's title strip: icon placement and content width, selection by the middle point,
// snapping after a drag, activation, taps, removing chats, picture refreshes, and a screenshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/chat/im_chat.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_window.h"
#include "messaging/window/z_chat_title_view.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/scroll_driver.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/toolkit/window_fixture.h"

namespace zelvan {
namespace {

using ui::testing::ScrollDriver;
using Calls = std::vector<std::string>;

// Hands out a fresh picture per request, so a refreshed icon has a new image.
class FreshHeads : public AvatarHeads {
public:
    gfx::ImagePtr newImageAvatarHead(int32_t, bool) override {
        return gfx::Image::fromPixels(1, 1, fnd::Bytes(4, 0xff));
    }
    gfx::ImagePtr newImageAvatarChatGroup(int32_t) override { return nullptr; }
};

// The avatar manager as far as the strip sees it: keeps the listeners it is given.
class ListenerStore : public AvatarService, public AvatarFinder {
public:
    void handleServerResponse(const fnd::Value&) override {}
    std::optional<std::string> findAvatarPath(int32_t, int32_t, bool) override { return std::nullopt; }
    gfx::ImagePtr newImageAvatarHead(int32_t, bool) override { return nullptr; }
    void addDelegate(const std::shared_ptr<AvatarUpdateListener>& listener) override { listeners.push_back(listener); }
    void removeDelegate(const std::shared_ptr<AvatarUpdateListener>&) override {}
    void fire(int32_t userId, int32_t type) {
        for (const auto& weak : listeners) {
            if (auto listener = weak.lock()) {
                listener->avatarUpdated(userId, type, 1);
            }
        }
    }
    std::vector<std::weak_ptr<AvatarUpdateListener>> listeners;
};

class RecordingTitleDelegate : public ZChatTitleViewDelegate {
public:
    void switchActiveChat(const std::shared_ptr<IMChat>& chat) override {
        const auto card = std::dynamic_pointer_cast<vCard>(chat->card());
        calls.push_back("switch " + (card ? std::to_string(card->userid()) : std::string("?")));
    }
    void startScroll() override { calls.push_back("start"); }
    void endScroll() override { calls.push_back("end"); }
    Calls take() { return std::exchange(calls, {}); }
    Calls calls;
};

class ChatTitleViewTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AppRegistry registry;
        registry.cardPictureRule.factory = ServiceSlot<CardPictureRule>::fixed(
            std::make_shared<MessengerCardPictures>(std::make_shared<FreshHeads>()));
        registry.avatarManager.factory = ServiceSlot<AvatarService>::fixed(avatars_);
        app_.emplace(std::move(registry));
        bar_ = ui::View::create(gfx::Rect(0, 20, 320, 44));
        bar_->setBackgroundColor(gfx::Color::fromRgbHex(0x1f3b5c));
        window_->addSubview(bar_);
        strip_ = ui::View::create<ZChatTitleView>(gfx::Rect(95, 0, 130, 44));
        strip_->setChatWindow(chats_);
        strip_->setTitleViewDelegate(delegate_);
        bar_->addSubview(strip_);
    }
    void TearDown() override {
        WindowFixture::TearDown();
        app_.reset();
    }

    // Opens a chat with friend `userId` in the window's list (current when asked) and in the strip.
    std::shared_ptr<IMChat> open(int32_t userId, bool current = false) {
        auto card = vCard::create();
        card->setUserid(userId);
        if (current) {
            chats_->activateChatWithCard(card);
        }
        auto chat = chats_->findChatWithCard(card, true);
        strip_->addChat(chat);
        return chat;
    }
    double offset() const { return strip_->scrollView()->contentOffset().x; }
    // Puts the strip's middle at content x `middle` the way a finger leaving it there would.
    void scrollMiddleTo(double middle) { strip_->scrollView()->setContentOffset({middle - 65, 0}); }
    gfx::ImagePtr image(size_t index) const {
        return strip_->chatButtons()[index]->backgroundImageForState(ui::ControlState::Normal);
    }

    std::shared_ptr<ListenerStore> avatars_ = std::make_shared<ListenerStore>();
    std::optional<ScopedAppDelegate> app_;
    std::shared_ptr<IMChatList> chats_ = std::make_shared<IMChatList>();
    std::shared_ptr<RecordingTitleDelegate> delegate_ = std::make_shared<RecordingTitleDelegate>();
    std::shared_ptr<ui::View> bar_;
    std::shared_ptr<ZChatTitleView> strip_;
};

TEST_F(ChatTitleViewTest, PlacesIconsAndSelectsTheWindowsChat) {
    const auto scale = gfx::AffineTransform::makeScale(1.5, 1.5);
    const auto first = open(1);
    // One chat: the icon sits in the middle and the row is exactly as wide as the strip.
    EXPECT_EQ(strip_->scrollView()->contentSize(), (gfx::Size{130, 44}));
    EXPECT_EQ(strip_->chatButtons()[0]->frame(), (gfx::Rect{50, 7, 30, 30}));
    EXPECT_EQ(strip_->selectedIndex(), ZChatTitleView::kNotFound);
    EXPECT_EQ(strip_->selectedChat(), nullptr);
    EXPECT_NE(image(0), nullptr);

    // Activating the icon already in the middle selects it at once, with no scroll notices.
    strip_->activateChat(first, true);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 1"}));
    EXPECT_EQ(strip_->selectedChat(), first);
    EXPECT_EQ(strip_->chatButtons()[0]->transform(), scale);
    clock_->advance(1);
    EXPECT_FALSE(strip_->scrollView()->isScrollAnimating());
    EXPECT_TRUE(delegate_->take().empty());

    // Another chat leaves the selection; the window's own chat takes it when added.
    open(2);
    EXPECT_TRUE(delegate_->take().empty());
    EXPECT_EQ(strip_->selectedIndex(), 0);
    const auto third = open(3, true);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 3"}));
    EXPECT_EQ(strip_->selectedChat(), third);
    EXPECT_EQ(strip_->chatButtons()[0]->transform(), gfx::AffineTransform::makeScale(1, 1));
    EXPECT_EQ(strip_->chatButtons()[2]->transform(), scale);
    // Scaling never moves an icon: centres stay 36 apart, and the last one can reach the middle.
    EXPECT_EQ(strip_->chatButtons()[2]->center(), (gfx::Point{137, 22}));
    EXPECT_EQ(strip_->chatButtons()[2]->bounds(), (gfx::Rect{0, 0, 30, 30}));
    EXPECT_EQ(strip_->scrollView()->contentSize(), (gfx::Size{202, 44}));
}

TEST_F(ChatTitleViewTest, SelectionFollowsTheMiddleAndTheRowSnaps) {
    open(1, true);
    open(2);
    open(3);
    open(4);
    delegate_->take();

    // A slow drag that leaves the middle over the selected icon's enlarged area snaps back to it.
    ScrollDriver::drag(strip_->scrollView(), {-20, 0}, 2, 10);
    EXPECT_EQ(delegate_->take(), (Calls{"start", "end"}));
    EXPECT_EQ(offset(), 0);
    EXPECT_EQ(strip_->selectedIndex(), 0);

    // Past it, the next icon is selected under the finger and the row snaps onto it.
    ScrollDriver::drag(strip_->scrollView(), {-30, 0}, 2, 15);
    EXPECT_EQ(delegate_->take(), (Calls{"start", "switch 2", "end"}));
    EXPECT_EQ(offset(), 36);
    EXPECT_EQ(strip_->selectedIndex(), 1);

    // Between two icons with the left one selected, the row snaps back to the left one...
    scrollMiddleTo(120);
    EXPECT_EQ(strip_->selectedIndex(), 1);
    strip_->centerNearest();
    EXPECT_EQ(offset(), 36);
    // ...and with nothing selected it snaps to the right one, which the middle then selects.
    scrollMiddleTo(155);
    EXPECT_EQ(strip_->selectedIndex(), ZChatTitleView::kNotFound);
    strip_->centerNearest();
    EXPECT_EQ(offset(), 108);
    EXPECT_EQ(strip_->selectedIndex(), 3);
    // Less than 2 points from the target, the row is left where it is.
    scrollMiddleTo(171.5);
    strip_->centerNearest();
    EXPECT_EQ(offset(), 106.5);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 4"}));
}

TEST_F(ChatTitleViewTest, TapsAndNeighboursScrollWithNotices) {
    open(1, true);
    open(2);
    open(3);
    delegate_->take();

    tapIn(*strip_->chatButtons()[1], strip_->chatButtons()[1]->bounds());
    ScrollDriver::settle();
    EXPECT_EQ(delegate_->take(), (Calls{"start", "switch 2", "end"}));
    EXPECT_EQ(offset(), 36);

    strip_->rightClicked();
    ScrollDriver::settle();
    EXPECT_EQ(delegate_->take(), (Calls{"start", "switch 3", "end"}));
    EXPECT_EQ(offset(), 72);
    strip_->rightClicked();
    EXPECT_TRUE(delegate_->take().empty());
    strip_->leftClicked();
    ScrollDriver::settle();
    EXPECT_EQ(delegate_->take(), (Calls{"start", "switch 2", "end"}));
    EXPECT_EQ(strip_->selectedIndex(), 1);
}

TEST_F(ChatTitleViewTest, RemovingChatsKeepsOrMovesTheSelection) {
    const auto a = open(1);
    const auto b = open(2);
    const auto c = open(3);
    const auto d = open(4);
    strip_->activateChat(b, false);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 2"}));

    // The chat that took the removed one's place is already in the middle: selected at once.
    strip_->removeChat(b);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 3"}));
    EXPECT_EQ(strip_->selectedChat(), c);
    EXPECT_EQ(strip_->chats(), (std::vector{a, c, d}));

    // Removing another chat keeps the selection; the icons close up and the row still scrolls.
    strip_->removeChat(a);
    strip_->removeChat(IMChat::create());
    EXPECT_TRUE(delegate_->take().empty());
    EXPECT_EQ(strip_->selectedChat(), c);
    EXPECT_EQ(strip_->chatButtons()[0]->center(), (gfx::Point{65, 22}));
    EXPECT_EQ(strip_->chatButtons()[1]->center(), (gfx::Point{101, 22}));
    EXPECT_EQ(strip_->scrollView()->contentSize(), (gfx::Size{166, 44}));
    EXPECT_EQ(strip_->scrollView()->subviews().size(), 2u);

    // Removing the selected last chat selects the chat now last.
    strip_->activateChat(d, false);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 4"}));
    strip_->removeChat(d);
    EXPECT_EQ(delegate_->take(), (Calls{"switch 3"}));
    EXPECT_EQ(strip_->selectedChat(), c);
    EXPECT_EQ(offset(), 0);

    strip_->clear();
    EXPECT_TRUE(strip_->chats().empty());
    EXPECT_TRUE(strip_->scrollView()->subviews().empty());
    EXPECT_EQ(strip_->selectedChat(), nullptr);
}

TEST_F(ChatTitleViewTest, PictureUpdatesRefreshOnlyTheirIcon) {
    const auto first = open(7);
    open(8);
    const auto before0 = image(0);
    const auto before1 = image(1);
    ASSERT_EQ(avatars_->listeners.size(), 1u);

    // Other picture kinds and users without a chat change nothing.
    avatars_->fire(8, 1);
    avatars_->fire(8, 3);
    avatars_->fire(99, 2);
    EXPECT_EQ(image(0), before0);
    EXPECT_EQ(image(1), before1);

    avatars_->fire(8, 2);
    EXPECT_EQ(image(0), before0);
    EXPECT_NE(image(1), before1);
    strip_->updateChatWithCard(first->card());
    EXPECT_NE(image(0), before0);
}

TEST_F(ChatTitleViewTest, ScreenshotOfThreeChats) {
    auto room = ChatRoomCard::create();
    room->setState(1);
    auto account = imGroup::create();
    account->setProt(2);
    std::vector<std::shared_ptr<baseCard>> cards{room, account->getuser("kim"), unknownCard::create("+4912345")};
    for (const auto& card : cards) {
        auto chat = chats_->findChatWithCard(card, true);
        strip_->addChat(chat);
    }
    strip_->setTitleViewDelegate({});
    strip_->activateChat(strip_->chats()[1], false);
    clock_->advance(1);
    window_->layoutIfNeeded();

    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*bar_, "screenshots/messaging-chat-title-strip.png"));
    const auto shot = ui::Snapshot::captureView(*bar_);
    ASSERT_TRUE(shot);
    // The selected middle icon is drawn half as large again as its neighbour: nearly the bar's
    // height against 30 points (measured down the middle of each icon).
    const auto bar = shot->pixelAt(2, 2);
    const auto drawnHeight = [&](int centre) {
        int top = 44, bottom = -1;
        for (int y = 0; y < 44; ++y) {
            for (int x = centre - 3; x <= centre + 3; ++x) {
                if (!(shot->pixelAt(x, y) == bar)) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        return bottom - top + 1;
    };
    EXPECT_GE(drawnHeight(160), 42);
    EXPECT_LE(drawnHeight(196), 30);
    EXPECT_GE(drawnHeight(196), 20);
}

} // namespace
} // namespace zelvan
