// The chat table in a window: row heights, the cell of each kind of line and its geometry, picture
// taps, flicks and single taps for the delegate, scrolling to the bottom, and a screenshot.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "messaging/chat/im_chat.h"
#include "messaging/chat/im_chat_view.h"
#include "messaging/chat/message_cells.h"
#include "messaging/model/chat_room_user.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/application.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/scroll_driver.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan {
namespace {

using ui::testing::TouchDriver;

class RecordingChatDelegate : public IMChatViewDelegate {
public:
    void messageTapped(IMChatView&, const std::shared_ptr<IMMessage>& message, int row) override {
        calls.push_back("tapped " + std::to_string(row) + " " + message->url().value_or("-"));
    }
    void tableViewTapped(IMChatView&) override { calls.push_back("tap"); }
    void tableViewLeftFlicked(IMChatView&) override { calls.push_back("left"); }
    void tableViewRightFlicked(IMChatView&) override { calls.push_back("right"); }
    std::vector<std::string> take() { return std::exchange(calls, {}); }
    std::vector<std::string> calls;
};

std::shared_ptr<ChatRoomUser> sender(int32_t userId, std::string name) {
    auto user = ChatRoomUser::create();
    user->setUserId(userId);
    user->setName(std::move(name));
    return user;
}

class IMChatViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        view_ = ui::View::create<IMChatView>(gfx::Rect(0, 0, 320, 480));
        view_->setChatViewDelegate(delegate_);
        window_->addSubview(view_);
    }
    void TearDown() override {
        TouchDriver::reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }

    // Own, friend, system and picture lines, then `extra` own lines.
    std::shared_ptr<IMChat> sampleChat(int extra = 0) {
        auto chat = IMChat::create();
        chat->addChatMessage("Hello! Are we still on for the game tonight? :)", nullptr);
        chat->addChatMessage("Sure, see you at eight [~2~] [~26~]", sender(7, "Mia"));
        chat->addSystemMessage("Mia is now online");
        chat->addChatMessage("[Picture http://img.example/table.jpg]", sender(7, "Mia"));
        for (int i = 0; i < extra; ++i) {
            chat->addChatMessage("line " + std::to_string(i), nullptr);
        }
        return chat;
    }

    void show(const std::shared_ptr<IMChat>& chat) {
        view_->reloadWithChat(chat);
        window_->layoutIfNeeded();
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<IMChatView> view_;
    std::shared_ptr<RecordingChatDelegate> delegate_ = std::make_shared<RecordingChatDelegate>();
};

TEST_F(IMChatViewTest, RowHeightsComeFromStoredSizes) {
    auto message = IMMessage::create();
    message->setType(IMMessage::kTypeChat);
    message->setSize({80, 15});
    EXPECT_EQ(IMChatView::rowHeightForMessage(*message), 49);
    message->setSize({80, 30});
    EXPECT_EQ(IMChatView::rowHeightForMessage(*message), 64);
    message->setType(IMMessage::kTypeSystem);
    message->setSize({80, 15});
    EXPECT_EQ(IMChatView::rowHeightForMessage(*message), 21);
}

TEST_F(IMChatViewTest, CellsByKindWithTheirGeometry) {
    const auto chat = sampleChat();
    show(chat);
    ASSERT_EQ(view_->numberOfRowsInSection(0), 4);

    const auto own = std::dynamic_pointer_cast<OwnMessageCell>(view_->cellForRowAtIndexPath({0, 0}));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->reuseIdentifier(), "own");
    const gfx::Size ownSize = chat->messages()[0]->size();
    const double ownRow = IMChatView::rowHeightForMessage(*chat->messages()[0]);
    EXPECT_EQ(own->avatarView()->frame(), (gfx::Rect{9, ownRow - 40, 40, 40}));
    EXPECT_EQ(own->avatarBorderView()->frame(), own->avatarView()->frame());
    EXPECT_EQ(own->bubbleView()->frame(),
              (gfx::Rect{55, 0, std::max(ownSize.width + 32, 50.0), std::max(ownSize.height + 24, 35.0)}));
    EXPECT_EQ(own->bubbleView()->alpha(), 0.4);
    const gfx::Rect text = own->messageView()->frame();
    EXPECT_EQ(text.origin.x, std::ceil(55 + own->bubbleView()->frame().size.width / 2 - ownSize.width / 2));
    EXPECT_EQ(text.size.width, std::ceil(ownSize.width));

    const auto friendCell = std::dynamic_pointer_cast<FriendMessageCell>(view_->cellForRowAtIndexPath({0, 1}));
    ASSERT_NE(friendCell, nullptr);
    EXPECT_EQ(friendCell->reuseIdentifier(), "friend");
    const double friendRow = IMChatView::rowHeightForMessage(*chat->messages()[1]);
    EXPECT_EQ(friendCell->avatarView()->frame(), (gfx::Rect{271, friendRow - 40, 40, 40}));
    const gfx::Rect bubble = friendCell->bubbleView()->frame();
    EXPECT_EQ(bubble.origin.x + bubble.size.width, 320 - 40 - 6);
    // The room's first sender gets colour 0 from the chat.
    EXPECT_EQ(friendCell->bubbleColorIndex(), chat->colorIndexWithCard(*chat->messages()[1]->card()));

    const auto system = std::dynamic_pointer_cast<SystemMessageCell>(view_->cellForRowAtIndexPath({0, 2}));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->reuseIdentifier(), "system");
    EXPECT_EQ(system->messageView()->frame().origin.x, 5);

    // A colour index without a bubble picture (no colour yet, or no entry) shows bubble 0.
    for (const int32_t index : {-1, 2147483647, 6}) {
        friendCell->setBubbleColorIndex(3);
        friendCell->setBubbleColorIndex(index);
        EXPECT_EQ(friendCell->bubbleColorIndex(), 0) << index;
        EXPECT_NE(friendCell->bubbleView()->image(), nullptr) << index;
    }
}

TEST_F(IMChatViewTest, OnlyPictureLinesSelectAndReachTheDelegate) {
    show(sampleChat());
    EXPECT_TRUE(ui::testing::TableDriver::select(*view_, {0, 3}));
    EXPECT_EQ(delegate_->take(), (std::vector<std::string>{"tapped 3 http://img.example/table.jpg", "tap"}));
    ui::testing::ScrollDriver::settle();
    EXPECT_EQ(view_->indexPathForSelectedRow(), std::nullopt);

    EXPECT_TRUE(ui::testing::TableDriver::select(*view_, {0, 0}));
    EXPECT_EQ(delegate_->take(), (std::vector<std::string>{"tap"}));
    EXPECT_EQ(view_->indexPathForSelectedRow(), std::nullopt);
}

TEST_F(IMChatViewTest, QuickSidewaysSwipesAreFlicks) {
    // Every single-finger touch that ends with a tap count of 1 also counts as a tap.
    show(sampleChat());
    TouchDriver::drag({10, 100}, {310, 120}, 0.1, 4);
    EXPECT_EQ(delegate_->take(), (std::vector<std::string>{"right", "tap"}));
    TouchDriver::drag({310, 100}, {10, 80}, 0.1, 4);
    EXPECT_EQ(delegate_->take(), (std::vector<std::string>{"left", "tap"}));
    TouchDriver::drag({10, 100}, {310, 120}, 0.3, 4);
    EXPECT_EQ(delegate_->take(), (std::vector<std::string>{"tap"}));
    // No time between down and up gives no speed to judge.
    TouchDriver::touchDown(1, {10, 100});
    TouchDriver::touchMove(1, {310, 110});
    TouchDriver::touchUp(1);
    EXPECT_EQ(delegate_->take(), (std::vector<std::string>{"tap"}));
}

TEST_F(IMChatViewTest, ScrollingToTheBottomWhileDraggingOnlyFlashes) {
    const auto chat = sampleChat(20);
    show(chat);
    const double bottom = view_->contentOffset().y;
    EXPECT_GT(bottom, 0);
    EXPECT_FALSE(view_->isScrolling());

    TouchDriver::touchDown(1, {160, 200});
    clock_->advance(0.05);
    TouchDriver::touchMove(1, {160, 300});
    EXPECT_TRUE(view_->isScrolling());
    const double dragged = view_->contentOffset().y;
    EXPECT_LT(dragged, bottom);
    const int flashes = view_->flashCount();
    view_->scrollToBottom(true);
    EXPECT_EQ(view_->flashCount(), flashes + 1);
    EXPECT_EQ(view_->contentOffset().y, dragged);
    TouchDriver::touchUp(1);
    ui::testing::ScrollDriver::settle();
    EXPECT_FALSE(view_->isScrolling());

    view_->scrollToBottom(false);
    EXPECT_EQ(view_->contentOffset().y, bottom);
}

TEST_F(IMChatViewTest, ScreenshotOfAChat) {
    show(sampleChat(3));
    view_->scrollToBottom(false);
    window_->layoutIfNeeded();
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/messaging-chat-view.png"));
    const auto image = ui::Snapshot::captureView(*window_);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (gfx::Size{320, 480}));
    // The newest own line's text is drawn inside its bubble, at the bottom of the chat.
    const auto own = std::dynamic_pointer_cast<OwnMessageCell>(view_->cellForRowAtIndexPath({0, 6}));
    ASSERT_NE(own, nullptr);
    const gfx::Rect text = own->messageView()->convertRectToView(own->messageView()->bounds(), window_.get());
    int dark = 0;
    for (int y = static_cast<int>(text.origin.y); y < static_cast<int>(text.origin.y + text.size.height); ++y) {
        for (int x = static_cast<int>(text.origin.x); x < static_cast<int>(text.origin.x + text.size.width); ++x) {
            dark += image->pixelAt(x, y).r < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 10);
}

} // namespace
} // namespace zelvan
