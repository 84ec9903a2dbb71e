// The game invitation dialog over a test registry: the two friend lists from friends of mixed states,
// the table's headers, rows and size, the invitation packet and the way to the invitation page, picture
// updates while the dialog lives and none after, and a picture of the dialog for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app_registry.h"
#include "core/localization.h"
#include "core/zelvan_style.h"
#include "games/room/zlv_game_invite_dialog.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/table_view_cell.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "protocol/tagged_codec.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "tools/devserver/login_protocol.h"

namespace zelvan {
namespace {

using Calls = std::vector<std::string>;
using fnd::IndexPath;
using fnd::Value;

constexpr int32_t kOwnId = 1001;

struct Friends : MessengerService {
    std::vector<FriendInfo> list;
    void handleServerResponse(const Value&) override {}
    std::vector<FriendInfo> zelvanFriendInfos() override { return list; }
};

// The avatar manager as the dialog sees it: solid heads (grey ones grey), and its listeners.
struct Heads : AvatarService, AvatarFinder {
    void handleServerResponse(const Value&) override {}
    std::optional<std::string> findAvatarPath(int32_t, int32_t, bool) override { return std::nullopt; }
    gfx::ImagePtr newImageAvatarHead(int32_t userId, bool grayscale) override {
        calls.push_back(fnd::format("head %d%@", userId, std::string(grayscale ? " grey" : "")));
        const uint8_t blue = grayscale ? 0x80 : 0xd0;
        const uint8_t red = grayscale ? 0x80 : static_cast<uint8_t>(userId * 67);
        fnd::Bytes pixels;
        for (int i = 0; i < 40 * 40; ++i) {
            pixels.insert(pixels.end(), {blue, 0x80, red, 0xff});
        }
        return gfx::Image::fromPixels(40, 40, std::move(pixels));
    }
    void addDelegate(const std::shared_ptr<AvatarUpdateListener>& listener) override { listeners.push_back(listener); }
    void removeDelegate(const std::shared_ptr<AvatarUpdateListener>& listener) override {
        ++removals;
        std::erase_if(listeners, [&](const auto& weak) { return weak.lock() == listener; });
    }
    void fire(int32_t userId) {
        for (const auto& weak : listeners) {
            if (auto listener = weak.lock()) {
                listener->avatarUpdated(userId, 2, 3);
            }
        }
    }
    Calls calls;
    std::vector<std::weak_ptr<AvatarUpdateListener>> listeners;
    int removals = 0;
};

struct MorePage : PageService {
    Calls urls;
    void openUrl(const std::string& url) override { urls.push_back(url); }
    std::shared_ptr<ui::ViewController> pageViewController() override { return nullptr; }
};

class GameInviteDialogTest : public ::testing::Test {
protected:
    GameInviteDialogTest() : app_(registry()) {}

    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        app_->trylogin("5550100", "pw");
        app_->handleLoginResult(devserver::makeLoginSuccess("0123456789abcdef", {}, {"5550100", "pw", "Me", kOwnId}));
        zelvanAppDelegate::setInstance(nullptr); // the dialog reaches the delegate it was made with
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        // Friends of every kind: online, the player's own card, notifiable, offline without offline games.
        friends_->list = {{2001, 1, false, "Ada"},
                          {kOwnId, 1, true, "Me"},
                          {2002, 0, true, "Mia"},
                          {2003, 0, false, "Olek"},
                          {2004, 2, true, "Zed"}};
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }
    AppRegistry registry() {
        AppRegistry r;
        r.im.factory = ServiceSlot<MessengerService>::fixed(friends_);
        r.avatarManager.factory = ServiceSlot<AvatarService>::fixed(heads_);
        r.moreController.factory = ServiceSlot<PageService>::fixed(more_);
        return r;
    }
    std::shared_ptr<ZLVGameInviteDialog> show(Value ctx = Value::dictionary({{"game", 1600}})) {
        auto dialog = ui::View::create<ZLVGameInviteDialog>(gfx::Rect(), (*app_).weak_from_this());
        dialog->refreshWithCtx(ctx);
        dialog->showInView(window_, ui::Animated::No);
        return dialog;
    }
    static Calls names(const std::vector<FriendInfo>& list) {
        Calls out;
        for (const auto& info : list) {
            out.push_back(info.name);
        }
        return out;
    }
    std::vector<Value> sent() { return takeSentPackets(*app_); }
    static std::optional<std::string> header(ZLVGameInviteDialog& dialog, int section) {
        return dialog.tableViewTitleForHeaderInSection(*dialog.tableView(), section);
    }

    std::shared_ptr<Friends> friends_ = std::make_shared<Friends>();
    std::shared_ptr<Heads> heads_ = std::make_shared<Heads>();
    std::shared_ptr<MorePage> more_ = std::make_shared<MorePage>();
    ScopedAppDelegate app_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
};

TEST_F(GameInviteDialogTest, ListsFriendsInTwoSectionsAndTheInviteRow) {
    auto dialog = show();
    EXPECT_EQ(names(dialog->onlineFriends()), (Calls{"Ada", "Zed"}));
    EXPECT_EQ(names(dialog->notificationFriends()), (Calls{"Mia"}));
    EXPECT_EQ(dialog->preferredContentSize(), gfx::Size(0, 360));
    // The default width and the height asked for, centred; the table fills the content.
    EXPECT_EQ(dialog->contentView()->frame().size, gfx::Size(ZLVDialog::kDefaultContentWidth, 360));
    auto& table = *dialog->tableView();
    EXPECT_EQ(table.frame(), dialog->contentView()->bounds());
    EXPECT_EQ(table.flashCount(), 1);
    EXPECT_EQ(table.separatorStyle(), ui::TableViewCellSeparatorStyle::SingleLine);
    EXPECT_EQ(table.separatorColor(), ZelvanStyle::shared()->tableViewSeparatorColor());

    EXPECT_EQ(header(*dialog, 0), ZLS("Play with friends"));
    EXPECT_EQ(header(*dialog, 1), ZLS("Send invite notification"));
    EXPECT_EQ(header(*dialog, 2), std::nullopt);
    EXPECT_EQ(table.numberOfRowsInSection(0), 2);
    EXPECT_EQ(table.numberOfRowsInSection(1), 1);
    EXPECT_EQ(table.numberOfRowsInSection(2), 1);
    EXPECT_EQ(table.rectForRowAtIndexPath(IndexPath::indexPathForRow(1, 0)).height(), 60);
    EXPECT_EQ(table.rectForRowAtIndexPath(IndexPath::indexPathForRow(0, 2)).height(), 40);

    // Friend rows: the head (grey for those to notify), the name in black, a disclosure indicator.
    auto zed = table.cellForRowAtIndexPath(IndexPath::indexPathForRow(1, 0));
    ASSERT_TRUE(zed);
    EXPECT_EQ(zed->text(), "Zed");
    EXPECT_EQ(zed->textColor(), gfx::Color::black());
    EXPECT_EQ(zed->accessoryType(), ui::TableViewCellAccessoryType::DisclosureIndicator);
    EXPECT_TRUE(zed->image());
    auto mia = table.cellForRowAtIndexPath(IndexPath::indexPathForRow(0, 1));
    ASSERT_TRUE(mia);
    EXPECT_EQ(mia->text(), "Mia");
    EXPECT_NE(std::find(heads_->calls.begin(), heads_->calls.end(), "head 2002 grey"), heads_->calls.end());
    EXPECT_NE(std::find(heads_->calls.begin(), heads_->calls.end(), "head 2004"), heads_->calls.end());
    auto invite = table.cellForRowAtIndexPath(IndexPath::indexPathForRow(0, 2));
    ASSERT_TRUE(invite);
    EXPECT_EQ(invite->text(), ZLS("Invite friends to join Zelvan"));
    EXPECT_EQ(invite->textAlignment(), gfx::TextAlignment::Center);
    EXPECT_EQ(invite->font(), ZelvanStyle::shared()->font(11));
    EXPECT_EQ(invite->textColor(), ZelvanStyle::shared()->navigationBarTintColor());

    std::error_code ec;
    std::filesystem::create_directories(fnd::AppFolders::temporary(), ec);
    const std::string path = fnd::AppFolders::temporary() + "/game-invite.png";
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, path));
    std::filesystem::create_directories("screenshots", ec);
    std::filesystem::copy_file(path, "screenshots/game-invite.png", std::filesystem::copy_options::overwrite_existing,
                               ec);
}

TEST_F(GameInviteDialogTest, EmptyListsKeepTheInviteRowAndLongListsStayInTheView) {
    friends_->list = {{kOwnId, 1, true, "Me"}, {2003, 0, false, "Olek"}};
    auto dialog = show();
    EXPECT_TRUE(dialog->onlineFriends().empty());
    EXPECT_TRUE(dialog->notificationFriends().empty());
    EXPECT_EQ(header(*dialog, 0), ZLS("No online friends"));
    EXPECT_EQ(header(*dialog, 1), std::nullopt);
    EXPECT_EQ(dialog->tableView()->numberOfRowsInSection(2), 1);
    EXPECT_EQ(dialog->contentView()->frame().size, gfx::Size(ZLVDialog::kDefaultContentWidth, 180));
    ASSERT_TRUE(ui::testing::TableDriver::select(*dialog->tableView(), IndexPath::indexPathForRow(0, 2)));
    EXPECT_EQ(more_->urls, (Calls{"zelvan://slidenewpage?" + ZLS("static_invite") + "?method=3"}));
    EXPECT_FALSE(dialog->isVisible());
    dialog->hide(ui::Animated::No);

    // Twelve friends online ask for more than the screen: the dialog keeps inside the view.
    friends_->list.clear();
    for (int32_t id = 3001; id <= 3012; ++id) {
        friends_->list.push_back({id, 1, false, "Friend " + std::to_string(id)});
    }
    auto tall = show();
    EXPECT_EQ(tall->preferredContentSize().height, 900);
    EXPECT_EQ(tall->frameView()->frame(), gfx::Rect(10, 0, 300, 480));
    EXPECT_EQ(tall->tableView()->frame().height(), 460);
}

TEST_F(GameInviteDialogTest, SelectingAFriendSendsTheInvitationAndHides) {
    sent();
    auto dialog = show();
    ASSERT_TRUE(ui::testing::TableDriver::select(*dialog->tableView(), IndexPath::indexPathForRow(1, 0)));
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({43, 2004, 1600})}));
    EXPECT_FALSE(dialog->isVisible());
    fnd::RunLoop::main().advance(ZLVDialog::kAnimationDuration + 0.01);
    EXPECT_EQ(dialog->superview(), nullptr);
    // A friend to notify is invited the same way.
    auto again = show(Value::dictionary({{"game", 77}}));
    ASSERT_TRUE(ui::testing::TableDriver::select(*again->tableView(), IndexPath::indexPathForRow(0, 1)));
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({43, 2002, 77})}));
    fnd::RunLoop::main().advance(ZLVDialog::kAnimationDuration + 0.01);
    EXPECT_TRUE(more_->urls.empty());

    // A context without a game id invites no one.
    fnd::testing::LogCapture log;
    auto lost = show(Value::dictionary({{"game", "poker"}}));
    ASSERT_TRUE(ui::testing::TableDriver::select(*lost->tableView(), IndexPath::indexPathForRow(0, 0)));
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(log.contains("no game to invite user 2001 to"));
}

TEST_F(GameInviteDialogTest, PictureUpdatesReachTheDialogOnlyWhileItLives) {
    auto dialog = show();
    ASSERT_EQ(heads_->listeners.size(), 1u);
    heads_->calls.clear();
    heads_->fire(2001);
    // The visible rows were drawn again with the new pictures.
    EXPECT_NE(std::find(heads_->calls.begin(), heads_->calls.end(), "head 2001"), heads_->calls.end());

    std::weak_ptr<ZLVGameInviteDialog> weak = dialog;
    dialog->hide(ui::Animated::No);
    dialog.reset();
    ASSERT_TRUE(weak.expired());
    EXPECT_EQ(heads_->removals, 1);
    EXPECT_TRUE(heads_->listeners.empty());
    heads_->calls.clear();
    heads_->fire(2001);
    EXPECT_TRUE(heads_->calls.empty());
}

} // namespace
} // namespace zelvan
