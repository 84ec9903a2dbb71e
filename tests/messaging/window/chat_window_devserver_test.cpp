// The chat window in a launched client against the dev server's demo world: lines typed on the
// keyboard go out with the command of the chat's kind, a picture chosen in the album arrives as a
// small JPEG, a tapped picture line shows the picture the dev web server serves, and a room's rule is
// fetched, accepted with a tap, logged to its file and followed by entering the room.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/image.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/testing/picker_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/window.h"
#include "tests/messaging/launched_messenger.h"
#include "toolkit/z_simple_alert_view.h"
#include "toolkit/z_simple_photo_view.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_web_server.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {
namespace {

using ui::testing::findView;

using fnd::Value;
using ui::testing::Keyboard;
using ui::testing::TouchDriver;

constexpr double kWait = 10.0;

// A picture of one colour in premultiplied BGRA.
gfx::ImagePtr solidImage(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    fnd::Bytes pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = b;
        pixels[i + 1] = g;
        pixels[i + 2] = r;
        pixels[i + 3] = 255;
    }
    return gfx::Image::fromPixels(width, height, std::move(pixels));
}

class ChatWindowDevServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        deletefile(zelvanAppDelegate::kRuleLogFile);
        site_ = fnd::AppFolders::root() + "/chat-site";
        std::filesystem::create_directories(site_);
        auto options = LaunchedMessenger::demoWorld();
        options.webRoot = site_;
        // The friend's answers would land between a typed line and the checks of what it left.
        options.demoFriendAnswers = false;
        client_.emplace(options);
        ASSERT_TRUE(client_->serveWeb(site_));
        client_->useCardPictures();
        // The photo viewer finds its source through the installed delegate, as in the application.
        client_->installAsInstance();
        ASSERT_TRUE(client_->launch([](IMController& m) {
            // The demo world's option answer comes last.
            auto last = m.getuserid(2003);
            return last && last->supportOfflineMessage() && m.chatRooms().size() == 2;
        }));
        client_->showMessenger();
    }
    void TearDown() override {
        TouchDriver::reset();
        if (auto window = client_ && client_->delegate() ? client_->delegate()->window() : nullptr) {
            window->endEditing(ui::Force::Yes);
        }
        client_.reset();
        deletefile(zelvanAppDelegate::kRuleLogFile);
    }

    IMChatController& window() { return *client_->messenger()->chatController(); }

    // Opens the card's chat on the messenger's navigation and waits until its window is on screen.
    void show(const std::shared_ptr<baseCard>& card) {
        client_->messenger()->showChatWithCard(card);
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
            [&] {
                auto nav = client_->messenger()->navigationController();
                return nav && nav->topViewController() == client_->messenger()->chatController() &&
                       window().viewIfLoaded() && window().view()->window();
            },
            kWait));
        ASSERT_EQ(window().currentChat()->card(), card);
    }

    // Waits for a packet the server received that `match` accepts, and returns it (null if none came).
    Value waitForPacket(const std::function<bool(const fnd::Array&)>& match) {
        Value found;
        fnd::RunLoop::main().pumpUntil(
            [&] {
                for (const auto& r : client_->server().received()) {
                    if (auto items = r.packet.asArray(); items && match(*items)) {
                        found = r.packet;
                        return true;
                    }
                }
                return false;
            },
            kWait);
        return found;
    }
    static std::function<bool(const fnd::Array&)> command(int number) {
        return [number](const fnd::Array& items) { return items.objectAtIndex(0).intValue() == number; };
    }
    // How many packets of command `number` the server received.
    size_t countOf(int number) const {
        size_t n = 0;
        for (const auto& r : client_->server().received()) {
            auto items = r.packet.asArray();
            n += items && items->objectAtIndex(0).intValue() == number ? 1 : 0;
        }
        return n;
    }

    // Taps the text field with a finger, types `text` and presses the return key.
    void typeLine(const std::string& text) {
        auto field = window().textField();
        const gfx::Point centre(field->bounds().midX(), field->bounds().midY());
        TouchDriver::tap(client_->delegate()->window(), field->convertPointToView(centre, nullptr));
        ASSERT_TRUE(field->isEditing());
        ASSERT_TRUE(Keyboard::type(text));
        ASSERT_TRUE(Keyboard::pressReturn());
    }

    std::string site_;
    std::optional<LaunchedMessenger> client_;
};

TEST_F(ChatWindowDevServerTest, TypedLinesAndAlbumPicturesReachTheServer) {
    // A friend's chat: the typed line goes out as a friend line and shows as the user's own.
    auto ada = client_->messenger()->getuserid(2001);
    ASSERT_TRUE(ada);
    show(ada);
    typeLine("Hello Ada \xF0\x9F\x98\x80");
    const Value friendLine = waitForPacket(command(IMChatController::kCmdChatLine));
    EXPECT_EQ(friendLine, Value::array({6, -1, 2001, "Hello Ada \xF0\x9F\x98\x80"}));
    EXPECT_EQ(window().textField()->text(), "");
    EXPECT_EQ(window().currentChat()->messages().back()->card(), nullptr);

    // A bare phone number passes the gate whatever its presence: a text message.
    auto phone = client_->messenger()->getunknown("5550199");
    ASSERT_TRUE(phone);
    show(phone);
    typeLine("Are you coming?");
    const Value phoneLine = waitForPacket(command(IMChatController::kCmdPhoneLine));
    EXPECT_EQ(phoneLine, Value::array({3, "5550199", "Are you coming?"}));

    // A picture from the album on the friend's chat (the device has no camera, so the picker opens
    // at once): fitted into 240 x 180, as a JPEG.
    window().hideInput();
    client_->messenger()->showChatWithCard(std::shared_ptr<baseCard>(ada));
    window().uploadPicture();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([] { return ui::testing::PickerDriver::visible() != nullptr; }, kWait));
    ASSERT_TRUE(ui::testing::PickerDriver::pick(solidImage(800, 400, 0x20, 0x80, 0xe0)));
    const Value picture = waitForPacket(command(IMChatController::kCmdPicture));
    ASSERT_EQ(picture.asArray() ? picture.asArray()->count() : 0u, 5u);
    const auto& items = *picture.asArray();
    EXPECT_EQ(items.objectAtIndex(1), Value(-1));
    EXPECT_EQ(items.objectAtIndex(2), Value(2001));
    EXPECT_EQ(items.objectAtIndex(4), Value("jpg"));
    const auto jpeg = items.objectAtIndex(3).asData();
    ASSERT_TRUE(jpeg);
    auto decoded = gfx::Image::imageWithData(*jpeg);
    ASSERT_TRUE(decoded);
    // The picker hands back its centred square crop, which fits the 180-point height.
    EXPECT_EQ(decoded->width(), 180);
    EXPECT_EQ(decoded->height(), 180);
    const gfx::Rgba8 px = decoded->pixelAt(90, 90);
    EXPECT_NEAR(px.r, 0xe0, 12);
    EXPECT_NEAR(px.g, 0x80, 12);
    EXPECT_NEAR(px.b, 0x20, 12);
    EXPECT_EQ(window().currentChat()->messages().back()->type(), IMMessage::kTypeSystem);
    EXPECT_EQ(countOf(IMChatController::kCmdPicture), 1u);
}

TEST_F(ChatWindowDevServerTest, TappedPictureLineShowsThePictureTheWebServerServes) {
    const fnd::Bytes served = gfx::jpegRepresentation(*solidImage(200, 150, 0x10, 0xc0, 0x30), 0.9);
    ASSERT_TRUE(fnd::writeFile(site_ + "/pic.jpg", served));
    auto ada = client_->messenger()->getuserid(2001);
    show(ada);
    auto chat = window().currentChat();
    chat->addChatMessage("[Picture http://" + client_->webHost() + "/pic.jpg]", ada);
    const auto message = chat->messages().back();
    ASSERT_EQ(message->type(), IMMessage::kTypePicture);
    window().messageTapped(*window().chatView(), message, static_cast<int>(chat->messages().size()) - 1);

    auto viewer = findView<ZSimplePhotoView>(window().view());
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !viewer->isLoading(); }, kWait));
    auto shown = viewer->imageView()->image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->width(), 200);
    EXPECT_EQ(shown->height(), 150);
    const gfx::Rgba8 px = shown->pixelAt(100, 75);
    EXPECT_NEAR(px.g, 0xc0, 8);
    EXPECT_NEAR(px.r, 0x30, 8);
}

TEST_F(ChatWindowDevServerTest, RoomRuleIsFetchedAcceptedWithATapLoggedAndTheRoomEntered) {
    auto lobby = client_->messenger()->findChatRoom(1);
    ASSERT_TRUE(lobby);
    ASSERT_TRUE(lobby->rule().empty());
    show(lobby);
    EXPECT_EQ(waitForPacket(command(IMChatController::kCmdRoomRule)), Value::array({81, 1}));

    // The server's answer brings the rule, which the user is asked to accept.
    std::shared_ptr<ZSimpleAlertView> alert;
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            alert = findView<ZSimpleAlertView>(client_->delegate()->window());
            return alert != nullptr;
        },
        kWait));
    EXPECT_EQ(alert->tag(), IMChatController::kTagRoomRule);
    EXPECT_EQ(alert->label()->text(), "Be kind to each other. No advertising.");
    EXPECT_EQ(countOf(IMChatController::kCmdEnterRoom), 0u);
    ASSERT_EQ(alert->buttonViews().size(), 2u);
    const auto& agree = alert->buttonViews()[1];
    const gfx::Point centre(agree->bounds().midX(), agree->bounds().midY());
    TouchDriver::tap(client_->delegate()->window(), agree->convertPointToView(centre, nullptr));

    EXPECT_EQ(waitForPacket(command(IMChatController::kCmdEnterRoom)), Value::array({21, 1}));
    auto log = readfile(zelvanAppDelegate::kRuleLogFile);
    ASSERT_TRUE(log.ok());
    auto entries = log.value().asDictionary();
    ASSERT_TRUE(entries);
    EXPECT_TRUE(entries->containsKey(1));
    EXPECT_GT(entries->objectForKey(1).intValue(), 0);
    EXPECT_FALSE(alert->isShowing());
    EXPECT_TRUE(lobby->chat());

    // Accepted once, the room is entered straight away the next time it opens.
    window().removeCurrentChat();
    EXPECT_EQ(waitForPacket(command(IMChatController::kCmdLeaveRoom)), Value::array({23, 1}));
    show(lobby);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return countOf(IMChatController::kCmdEnterRoom) == 2; }, kWait));
    EXPECT_FALSE(findView<ZSimpleAlertView>(client_->delegate()->window()));
}

} // namespace
} // namespace zelvan
