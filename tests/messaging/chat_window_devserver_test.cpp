// The chat window in a launched client against the dev server's demo world: lines typed on the
// keyboard go out with the command of the chat's kind, a picture chosen in the album arrives as a
// small JPEG, a tapped picture line shows the picture the dev web server serves, and a room's rule is
// fetched, accepted with a tap, logged to its file and followed by entering the room.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/state_files.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/chat_room_card.h"
#include "messaging/im_chat_controller.h"
#include "messaging/im_controller.h"
#include "messaging/messenger_card_pictures.h"
#include "messaging/unknown_card.h"
#include "messaging/v_card.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/image.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/testing/picker_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_web_server.h"
#include "ui/z_simple_alert_view.h"
#include "ui/z_simple_photo_view.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {
namespace {

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

// The first view under `root` (itself included) of type T, depth first.
template <class T>
std::shared_ptr<T> findView(const std::shared_ptr<ui::View>& root) {
    if (!root) {
        return nullptr;
    }
    if (auto found = std::dynamic_pointer_cast<T>(root)) {
        return found;
    }
    for (const auto& sub : root->subviews()) {
        if (auto found = findView<T>(sub)) {
            return found;
        }
    }
    return nullptr;
}

class ChatWindowDevServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        deletefile(ContactManage::kContactFile);
        deletefile(zelvanAppDelegate::kRuleLogFile);
        site_ = fnd::AppFolders::root() + "/chat-site";
        std::filesystem::create_directories(site_);
        devserver::DevServerOptions options;
        options.accounts = {{"5550100", "secret", "Demo Player", 1001}};
        options.demoMessenger = true;
        options.webRoot = site_;
        server_ = std::make_unique<devserver::DevServer>(options);
        ASSERT_TRUE(server_->start());
        web_ = std::make_unique<devserver::DevWebServer>(
            devserver::DevWebServerOptions{0, site_},
            [server = server_.get()](const std::string& key) { return server->hasLiveSessionKey(key); });
        ASSERT_TRUE(web_->start());

        writefile(zelvanAppDelegate::kAccountFile, Value::dictionary({{"phone", "5550100"}, {"password", "secret"}}));
        AppConfig config;
        config.serverHost = "127.0.0.1";
        config.serverPort = server_->port();
        config.webHost = webHost();
        AppRegistry registry;
        registry.im.factory = [this](zelvanAppDelegate& delegate) -> std::shared_ptr<MessengerService> {
            controller_ = IMController::create(delegate.shared_from_this());
            delegate.addConnectionDelegate(controller_);
            return controller_;
        };
        // As the application wires it: the photo viewer's pictures come from the web cache.
        registry.zelvanWebCache.factory = [](zelvanAppDelegate& delegate) {
            return ZelvanWebCache::makeForDelegate(delegate);
        };
        registry.photoSource.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<PhotoSource> {
            return std::dynamic_pointer_cast<ZelvanWebCache>(delegate.zelvanWebCache());
        };
        registry.cardPictureRule.factory =
            ServiceSlot<CardPictureRule>::fixed(std::make_shared<MessengerCardPictures>());
        delegate_ = zelvanAppDelegate::create(config, std::move(registry));
        // The photo viewer finds its source through the installed delegate, as in the application.
        zelvanAppDelegate::setInstance(delegate_);
        delegate_->applicationDidFinishLaunching();
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
            [&] {
                // The demo world's option answer comes last.
                auto last = controller_ ? controller_->getuserid(2003) : nullptr;
                return last && last->supportOfflineMessage() && controller_->chatRooms().size() == 2;
            },
            kWait));
        delegate_->switchTab(zelvanAppDelegate::TabMessenger, ui::Animated::No);
    }
    void TearDown() override {
        TouchDriver::reset();
        if (auto window = delegate_ ? delegate_->window() : nullptr) {
            window->endEditing(ui::Force::Yes);
        }
        if (controller_) {
            controller_->waitForSync();
        }
        controller_.reset();
        zelvanAppDelegate::setInstance(nullptr);
        delegate_.reset();
        web_->stop();
        server_->stop();
        fnd::RunLoop::main().runUntilIdle();
        deletefile(zelvanAppDelegate::kAccountFile);
        deletefile(ContactManage::kContactFile);
        deletefile(zelvanAppDelegate::kRuleLogFile);
    }

    std::string webHost() const { return "127.0.0.1:" + std::to_string(web_->port()); }
    IMChatController& window() { return *controller_->chatController(); }

    // Opens the card's chat on the messenger's navigation and waits until its window is on screen.
    void show(const std::shared_ptr<baseCard>& card) {
        controller_->showChatWithCard(card);
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
            [&] {
                auto nav = controller_->navigationController();
                return nav && nav->topViewController() == controller_->chatController() && window().viewIfLoaded() &&
                       window().view()->window();
            },
            kWait));
        ASSERT_EQ(window().currentChat()->card(), card);
    }

    // Waits for a packet the server received that `match` accepts, and returns it (null if none came).
    Value waitForPacket(const std::function<bool(const fnd::Array&)>& match) {
        Value found;
        fnd::RunLoop::main().pumpUntil(
            [&] {
                for (const auto& r : server_->received()) {
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
        for (const auto& r : server_->received()) {
            auto items = r.packet.asArray();
            n += items && items->objectAtIndex(0).intValue() == number ? 1 : 0;
        }
        return n;
    }

    // Taps the text field with a finger, types `text` and presses the return key.
    void typeLine(const std::string& text) {
        auto field = window().textField();
        const gfx::Point centre(field->bounds().midX(), field->bounds().midY());
        TouchDriver::tap(delegate_->window(), field->convertPointToView(centre, nullptr));
        ASSERT_TRUE(field->isEditing());
        ASSERT_TRUE(Keyboard::type(text));
        ASSERT_TRUE(Keyboard::pressReturn());
    }

    std::string site_;
    std::unique_ptr<devserver::DevServer> server_;
    std::unique_ptr<devserver::DevWebServer> web_;
    std::shared_ptr<IMController> controller_;
    std::shared_ptr<zelvanAppDelegate> delegate_;
};

TEST_F(ChatWindowDevServerTest, TypedLinesAndAlbumPicturesReachTheServer) {
    // A friend's chat: the typed line goes out as a friend line and shows as the user's own.
    auto ada = controller_->getuserid(2001);
    ASSERT_TRUE(ada);
    show(ada);
    typeLine("Hello Ada \xF0\x9F\x98\x80");
    const Value friendLine = waitForPacket(command(IMChatController::kCmdChatLine));
    EXPECT_EQ(friendLine, Value::array({6, -1, 2001, "Hello Ada \xF0\x9F\x98\x80"}));
    EXPECT_EQ(window().textField()->text(), "");
    EXPECT_EQ(window().currentChat()->messages().back()->card(), nullptr);

    // A bare phone number passes the gate whatever its presence: a text message.
    auto phone = controller_->getunknown("5550199");
    ASSERT_TRUE(phone);
    show(phone);
    typeLine("Are you coming?");
    const Value phoneLine = waitForPacket(command(IMChatController::kCmdPhoneLine));
    EXPECT_EQ(phoneLine, Value::array({3, "5550199", "Are you coming?"}));

    // A picture from the album on the friend's chat (the device has no camera, so the picker opens
    // at once): fitted into 240 x 180, as a JPEG.
    window().hideInput();
    controller_->showChatWithCard(std::shared_ptr<baseCard>(ada));
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
    auto ada = controller_->getuserid(2001);
    show(ada);
    auto chat = window().currentChat();
    chat->addChatMessage("[Picture http://" + webHost() + "/pic.jpg]", ada);
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
    auto lobby = controller_->findChatRoom(1);
    ASSERT_TRUE(lobby);
    ASSERT_TRUE(lobby->rule().empty());
    show(lobby);
    EXPECT_EQ(waitForPacket(command(IMChatController::kCmdRoomRule)), Value::array({81, 1}));

    // The server's answer brings the rule, which the user is asked to accept.
    std::shared_ptr<ZSimpleAlertView> alert;
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            alert = findView<ZSimpleAlertView>(delegate_->window());
            return alert != nullptr;
        },
        kWait));
    EXPECT_EQ(alert->tag(), IMChatController::kTagRoomRule);
    EXPECT_EQ(alert->label()->text(), "Be kind to each other. No advertising.");
    EXPECT_EQ(countOf(IMChatController::kCmdEnterRoom), 0u);
    ASSERT_EQ(alert->buttonViews().size(), 2u);
    const auto& agree = alert->buttonViews()[1];
    const gfx::Point centre(agree->bounds().midX(), agree->bounds().midY());
    TouchDriver::tap(delegate_->window(), agree->convertPointToView(centre, nullptr));

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
    EXPECT_FALSE(findView<ZSimpleAlertView>(delegate_->window()));
}

} // namespace
} // namespace zelvan
