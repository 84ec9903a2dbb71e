// The bound on received messenger lines: the cut itself (UTF-16 units, surrogate pairs, one warning) and
// that chat lines, system lines and status lines from the server all pass through it.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/state_files.h"
#include "messaging/commands/messenger_commands.h"
#include "messaging/model/received_text.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/utf16.h"

namespace zelvan {
namespace {

using fnd::Value;

// `count` repetitions of `piece`.
std::string repeated(std::string_view piece, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

TEST(ReceivedTextTest, LinesPastTheBoundAreCutOnceWithAWarning) {
    fnd::testing::LogCapture log;
    const std::string ellipsis = "\u2026";
    // Up to the bound nothing changes, also when the last character is a surrogate pair.
    const std::string full = std::string(kReceivedTextUnits - 2, 'a') + "\U0001F600";
    EXPECT_EQ(capReceivedText(full, "chat line"), full);
    EXPECT_EQ(capReceivedText("", "chat line"), "");
    EXPECT_EQ(log.count("was cut"), 0u);

    // One unit more: the pair across the cut goes whole; multi-byte characters count one unit each.
    EXPECT_EQ(capReceivedText(std::string(kReceivedTextUnits - 1, 'a') + "\U0001F600", "chat line"),
              std::string(kReceivedTextUnits - 1, 'a') + ellipsis);
    const std::string cut = capReceivedText(repeated("\xC3\xA9", 3 * kReceivedTextUnits), "status line");
    EXPECT_EQ(fnd::utf16Length(cut), kReceivedTextUnits + 1);
    EXPECT_EQ(cut, repeated("\xC3\xA9", kReceivedTextUnits) + ellipsis);
    EXPECT_EQ(log.count("was cut"), 2u);
    EXPECT_TRUE(log.contains("a status line of 12288 UTF-16 units was cut"));
}

TEST(ReceivedTextTest, ChatSystemAndStatusLinesFromTheServerAreBounded) {
    deletefile(ContactManage::kContactFile);
    auto window = std::make_shared<IMChatList>();
    ContactManage model{[] { return true; }, window};
    auto friendCard = vCard::create();
    friendCard->setUi(Value::dictionary({{0, "Ann"}, {-1, 0}}).asDictionary());
    friendCard->setUserid(2001);
    model.insertContact(friendCard);
    MessengerCommands commands{model, {}};
    fnd::testing::LogCapture log;

    // 100,000 emoticons: the chat line keeps the first 2,048 (4,096 units) and the ellipsis.
    const std::string smileys = repeated(":)", 100000);
    commands.handle(Value::array({3, 2001, smileys}));
    commands.handle(Value::array({58, 2001, smileys}));
    commands.handle(Value::array({15, 2001, 0, smileys}));
    auto chat = window->findChatWithCard(friendCard);
    ASSERT_EQ(chat->messages().size(), 2u);
    for (const auto& line : chat->messages()) {
        const auto& tokens = line->tokens();
        ASSERT_EQ(tokens.size(), kReceivedTextUnits / 2 + 1);
        EXPECT_EQ(std::get<std::string>(tokens.back()), "\u2026");
    }
    EXPECT_EQ(*friendCard->miniblog(), capReceivedText(smileys, "status line"));
    EXPECT_EQ(log.count("was cut"), 4u); // three lines, and the expected status line above
}

} // namespace
} // namespace zelvan
