// Chats as the chat window sees them: the 99-line cap, sender headers and bubble colours of room
// members, picture lines, system lines, measured sizes and what the delegate hears.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/zelvan_style.h"
#include "messaging/chat_room_user.h"
#include "messaging/im_chat.h"
#include "messaging/message_measurer.h"
#include "messaging/private_chat_card.h"
#include "messaging/v_card.h"
#include "platform/foundation/format.h"
#include "ui/zelvan_widget.h"

namespace zelvan {
namespace {

class RecordingDelegate : public IMChatDelegate {
public:
    void messagesUpdated(IMChat& chat) override { updates.push_back(chat.messages().size()); }
    void callStatusUpdated() override { ++callUpdates; }

    std::vector<size_t> updates;
    int callUpdates = 0;
};

std::shared_ptr<ChatRoomUser> member(int32_t userId, std::string name, bool admin = false) {
    auto user = ChatRoomUser::create();
    user->setUserId(userId);
    user->setName(std::move(name));
    user->setAdmin(admin);
    return user;
}

std::string textAt(const IMMessage& message, size_t i) {
    const auto* text = std::get_if<std::string>(&message.tokens().at(i));
    return text != nullptr ? *text : "<not text>";
}

TEST(IMChatTest, KeepsTheLast99LinesAndTellsTheLiveDelegate) {
    auto chat = IMChat::create();
    EXPECT_EQ(chat->colorId(), -1);
    EXPECT_EQ(chat->unread(), 0);
    EXPECT_FALSE(chat->inCall());

    auto delegate = std::make_shared<RecordingDelegate>();
    chat->setDelegate(delegate);
    for (int i = 1; i <= 100; ++i) {
        chat->addChatMessage(fnd::format("line %d", i), nullptr);
    }
    ASSERT_EQ(chat->messages().size(), 99u);
    EXPECT_EQ(textAt(*chat->messages().front(), 0), "line 2");
    EXPECT_EQ(textAt(*chat->messages().back(), 0), "line 100");
    EXPECT_EQ(chat->messages().back()->type(), IMMessage::kTypeChat);
    EXPECT_EQ(chat->messages().back()->card(), nullptr);
    ASSERT_EQ(delegate->updates.size(), 100u);
    EXPECT_EQ(delegate->updates.back(), 99u);

    chat->setInCall(true);
    chat->clearCallingStatus();
    EXPECT_FALSE(chat->inCall());
    EXPECT_EQ(delegate->callUpdates, 1);

    // A delegate that is gone is skipped.
    delegate.reset();
    chat->addSystemMessage("still here");
    chat->clearCallingStatus();
    EXPECT_EQ(chat->messages().back()->type(), IMMessage::kTypeSystem);
}

TEST(IMChatTest, RoomMembersGetColoursAndSenderHeaders) {
    auto chat = IMChat::create();
    chat->setColorId(4);
    for (int32_t id = 1; id <= 7; ++id) {
        chat->addChatMessage("hi", member(id * 10, "user"));
    }
    chat->addChatMessage("again", member(10, "user"));
    for (int32_t id = 1; id <= 7; ++id) {
        EXPECT_EQ(chat->colorIndexWithCard(*member(id * 10, "")), (id - 1) % 6);
    }
    auto friendCard = vCard::create();
    EXPECT_EQ(chat->colorIndexWithCard(*friendCard), 4);

    auto admin = member(99, "Boss", true);
    chat->addChatMessage("quiet :)", admin);
    const IMMessage& line = *chat->messages().back();
    ASSERT_EQ(line.tokens().size(), 7u);
    EXPECT_EQ(std::get<std::shared_ptr<gfx::Font>>(line.tokens()[0]), ZelvanStyle::shared()->font(7));
    EXPECT_EQ(std::get<gfx::Color>(line.tokens()[1]), gfx::Color::green());
    EXPECT_EQ(textAt(line, 2), "Boss");
    EXPECT_EQ(textAt(line, 3), ": ");
    EXPECT_TRUE(std::holds_alternative<NullMarker>(line.tokens()[4]));
    EXPECT_EQ(textAt(line, 5), "quiet ");
    EXPECT_EQ(std::get<gfx::ImagePtr>(line.tokens()[6]), ZelvanWidget::imageFromResource("e0", true));
    EXPECT_EQ(line.card(), admin);

    auto partner = PrivateChatCard::create();
    partner->setUserId(5);
    partner->setName("Kim");
    chat->addChatMessage("yo", partner);
    const IMMessage& plain = *chat->messages().back();
    ASSERT_EQ(plain.tokens().size(), 5u);
    EXPECT_EQ(std::get<gfx::Color>(plain.tokens()[0]), gfx::Color::darkGray());
    EXPECT_EQ(textAt(plain, 1), "Kim");

    // A nameless sender gets a colour but no header; a contact gets neither.
    chat->addChatMessage("yo", member(77, ""));
    EXPECT_EQ(chat->messages().back()->tokens().size(), 1u);
    chat->addChatMessage("yo", friendCard);
    EXPECT_EQ(chat->messages().back()->tokens().size(), 1u);
}

TEST(IMChatTest, PictureLinesCarryTheWholeAddress) {
    struct Case {
        std::string text;
        std::optional<std::string> url;
    };
    const std::vector<Case> cases = {
        {"[Picture http://img.example/a.jpg]", "http://img.example/a.jpg"},
        {"[Picture http://img.example/a.jpg ]", "http://img.example/a.jpg"},
        {"[Picture http://img.example/ü.png  ]", "http://img.example/ü.png"},
        {"[Picture http://]", "http://"},
        {"[Picture http://img.example/a.jpg", std::nullopt},
        {" [Picture http://img.example/a.jpg]", std::nullopt},
        {"[picture http://img.example/a.jpg]", std::nullopt},
    };
    auto chat = IMChat::create();
    for (const Case& c : cases) {
        chat->addChatMessage(c.text, member(1, ""));
        const IMMessage& line = *chat->messages().back();
        EXPECT_EQ(line.url(), c.url) << c.text;
        if (c.url) {
            EXPECT_EQ(line.type(), IMMessage::kTypePicture);
            ASSERT_EQ(line.tokens().size(), 3u);
            EXPECT_EQ(textAt(line, 0), ZLS("Just sent a picture."));
            EXPECT_EQ(std::get<gfx::ImagePtr>(line.tokens()[1]),
                      ZelvanWidget::imageFromResource("photo_placeholder", true));
            EXPECT_EQ(textAt(line, 2), ZLS(" Click on the icon to see the picture"));
        } else {
            EXPECT_EQ(line.type(), IMMessage::kTypeChat) << c.text;
        }
    }
}

TEST(IMChatTest, SystemLinesAndMeasuredSizes) {
    auto chat = IMChat::create();
    chat->addSystemMessage("Kim left :(", gfx::Color::red());
    const IMMessage& notice = *chat->messages().back();
    EXPECT_EQ(notice.type(), IMMessage::kTypeSystem);
    EXPECT_EQ(notice.card(), nullptr);
    ASSERT_EQ(notice.tokens().size(), 3u);
    EXPECT_EQ(std::get<gfx::Color>(notice.tokens()[0]), gfx::Color::red());
    EXPECT_EQ(textAt(notice, 1), "Kim left ");

    const auto font = ZelvanStyle::shared()->font(IMChat::kChatLineFont);
    chat->addChatMessage("short", nullptr);
    const gfx::Size one = chat->messages().back()->size();
    EXPECT_GT(one.width, 0);
    EXPECT_EQ(one.height, std::ceil(font->lineHeight()));

    std::string longText;
    for (int i = 0; i < 40; ++i) {
        longText += "word ";
    }
    chat->addChatMessage(longText + "\nend", nullptr);
    const gfx::Size wrapped = chat->messages().back()->size();
    EXPECT_LE(wrapped.width, IMChat::kChatLineWidth);
    EXPECT_GT(wrapped.height, 3 * one.height);

    // A word wider than the line breaks between characters and stays within the width.
    const SimpleMessageMeasurer measurer;
    const gfx::Size unbroken = measurer.calculateContentSize(50, {std::string(60, 'm')}, font, std::nullopt);
    EXPECT_LE(unbroken.width, 50);
    EXPECT_GT(unbroken.height, 2 * one.height);
    EXPECT_EQ(measurer.calculateContentSize(50, {}, font, std::nullopt), (gfx::Size{0, 0}));
    const auto emoticon = ZelvanWidget::imageFromResource("e1", true);
    ASSERT_NE(emoticon, nullptr);
    EXPECT_EQ(measurer.calculateContentSize(200, {emoticon}, font, std::nullopt),
              (gfx::Size{std::ceil(emoticon->size().width), std::ceil(emoticon->size().height)}));
}

} // namespace
} // namespace zelvan
