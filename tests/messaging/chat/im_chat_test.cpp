// Chats as the chat window sees them: the 99-line cap, sender headers and bubble colours of room
// members, picture lines, system lines, measured sizes and what the delegate hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/zelvan_style.h"
#include "messaging/chat/im_chat.h"
#include "messaging/chat/im_message_view.h"
#include "messaging/chat/message_measurer.h"
#include "messaging/model/chat_room_user.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/format.h"
#include "toolkit/zelvan_widget.h"

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

// The tokens of the newest line as text: strings as they are, images by resource name, colours,
// "font:<n>" for a style font and "reset" for the null marker.
std::vector<std::string> lastTokens(const IMChat& chat) {
    std::vector<std::string> out;
    for (const MessageToken& token : chat.messages().back()->tokens()) {
        if (const auto* text = std::get_if<std::string>(&token)) {
            out.push_back(*text);
        } else if (const auto* image = std::get_if<gfx::ImagePtr>(&token)) {
            const bool emoticon = *image == ZelvanWidget::imageFromResource("e0", true);
            out.push_back(emoticon                                                               ? "e0"
                          : *image == ZelvanWidget::imageFromResource("photo_placeholder", true) ? "photo_placeholder"
                                                                                                 : "image");
        } else if (const auto* color = std::get_if<gfx::Color>(&token)) {
            out.push_back(*color == gfx::Color::green()      ? "green"
                          : *color == gfx::Color::darkGray() ? "darkgray"
                                                             : "colour");
        } else if (const auto* font = std::get_if<std::shared_ptr<gfx::Font>>(&token)) {
            out.push_back(*font == ZelvanStyle::shared()->font(7) ? "font:7" : "font");
        } else {
            out.push_back("reset");
        }
    }
    return out;
}

using Tokens = std::vector<std::string>;

TEST(IMChatTest, KeepsTheLast99LinesAndTellsTheLiveDelegate) {
    auto chat = IMChat::create();
    auto delegate = std::make_shared<RecordingDelegate>();
    chat->setDelegate(delegate);
    for (int i = 1; i <= 100; ++i) {
        chat->addChatMessage(fnd::format("line %d", i), nullptr);
    }
    ASSERT_EQ(chat->messages().size(), 99u);
    EXPECT_EQ(std::get<std::string>(chat->messages().front()->tokens().at(0)), "line 2");
    EXPECT_EQ(lastTokens(*chat), Tokens{"line 100"});
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

    chat->addChatMessage("quiet :)", member(99, "Boss", true));
    EXPECT_EQ(lastTokens(*chat), (Tokens{"font:7", "green", "Boss", ": ", "reset", "quiet ", "e0"}));
    chat->addChatMessage("yo", member(5, "Kim"));
    EXPECT_EQ(lastTokens(*chat), (Tokens{"darkgray", "Kim", ": ", "reset", "yo"}));
    // A nameless member gets a colour but no header; a contact gets neither.
    chat->addChatMessage("yo", member(77, ""));
    EXPECT_EQ(lastTokens(*chat), Tokens{"yo"});
    EXPECT_EQ(chat->colorIndexWithCard(*member(77, "")), 3);
    chat->addChatMessage("yo", friendCard);
    EXPECT_EQ(lastTokens(*chat), Tokens{"yo"});
    EXPECT_EQ(chat->messages().back()->card(), friendCard);
}

TEST(IMChatTest, PictureLinesCarryTheWholeAddress) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"[Picture http://img.example/a.jpg]", "http://img.example/a.jpg"},
        {"[Picture http://img.example/a.jpg  ]", "http://img.example/a.jpg"},
        {"[Picture http://]", "http://"},
        {"[Picture http://img.example/a.jpg", std::nullopt},
        {" [Picture http://img.example/a.jpg]", std::nullopt},
    };
    auto chat = IMChat::create();
    for (const auto& [text, url] : cases) {
        chat->addChatMessage(text, nullptr);
        EXPECT_EQ(chat->messages().back()->url(), url) << text;
        if (url) {
            EXPECT_EQ(chat->messages().back()->type(), IMMessage::kTypePicture);
            EXPECT_EQ(lastTokens(*chat), (Tokens{ZLS("Just sent a picture."), "photo_placeholder",
                                                 ZLS(" Click on the icon to see the picture")}));
        } else {
            EXPECT_EQ(chat->messages().back()->type(), IMMessage::kTypeChat) << text;
        }
    }
}

TEST(IMChatTest, SystemLinesAndMeasuredSizes) {
    auto chat = IMChat::create();
    chat->addSystemMessage("Kim left :)", gfx::Color::green());
    EXPECT_EQ(lastTokens(*chat), (Tokens{"green", "Kim left ", "e0"}));
    EXPECT_EQ(chat->messages().back()->card(), nullptr);

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
    EXPECT_LE(chat->messages().back()->size().width, IMChat::kChatLineWidth);
    EXPECT_GT(chat->messages().back()->size().height, 3 * one.height);

    // A word wider than the line breaks between characters; an image takes a square of at least 21
    // points; no tokens measure one empty line.
    const auto measurer = MessageMeasurer::installed();
    const gfx::Size unbroken = measurer->calculateContentSize(50, {std::string(60, 'm')}, font, std::nullopt);
    EXPECT_LE(unbroken.width, 50);
    EXPECT_GT(unbroken.height, 2 * one.height);
    EXPECT_EQ(measurer->calculateContentSize(50, {}, font, std::nullopt), (gfx::Size{0, one.height}));
    const auto emoticon = ZelvanWidget::imageFromResource("e1", true);
    ASSERT_NE(emoticon, nullptr);
    const double side = std::max(one.height, 21.0);
    EXPECT_EQ(measurer->calculateContentSize(200, {emoticon}, font, std::nullopt), (gfx::Size{side, side}));

    // Every chat line is measured on arrival with the chat view's layout.
    chat->addChatMessage("Hi there, how are you? [~3~]", nullptr);
    EXPECT_EQ(chat->messages().back()->size(),
              IMMessageView::calculateContentSize(IMChat::kChatLineWidth, chat->messages().back()->tokens(), font,
                                                  std::nullopt, false));
}

} // namespace
} // namespace zelvan
