// ZLS against the bundle's English table: known keys give their texts, unknown keys give themselves,
// and every key the application looks up has an entry.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/localization.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/string_table.h"

namespace zelvan {
namespace {

TEST(LocalizationTest, LooksUpTextsAndFallsBackToTheKey) {
    EXPECT_EQ(ZLS("fileSent"), "File sent.");
    EXPECT_EQ(ZLS("imchattitle"), "Chats");
    EXPECT_EQ(ZLS("Busy   "), "Busy"); // keys keep their trailing blanks
    EXPECT_EQ(ZLS("no such key in the table"), "no such key in the table");
    EXPECT_EQ(ZLS(""), "");

    // The table loads once however many threads ask first.
    std::vector<std::thread> threads;
    std::vector<std::string> results(8);
    for (size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&results, i] { results[i] = ZLS("callAlert"); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (const auto& r : results) {
        EXPECT_EQ(r, ZLS("callAlert"));
        EXPECT_NE(r, "callAlert");
    }
}

TEST(LocalizationTest, BundleTableHasEveryKeyTheApplicationUses) {
    auto path = fnd::Bundle::main().pathForResource("en.lproj/Localizable", "strings");
    ASSERT_TRUE(path.has_value());
    auto bytes = fnd::readFile(*path);
    ASSERT_TRUE(bytes.has_value());
    auto table = fnd::StringTable::parse(std::string(bytes->begin(), bytes->end()));
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(*table, localizedStringTable());

    const char* keys[] = {
        // Ages of dates.
        "currently",
        "a moment ago",
        "%d minute%@ ago",
        "%d hour%@ ago",
        "%d day%@ ago",
        "%d month%@ ago",
        // Calls.
        "callAlert",
        "VoIPTitle",
        "callMessage",
        "Reject",
        "Accept",
        "callFailedWiFi",
        "callFailed",
        "acceptTip",
        "callRejectTip",
        "callEnd",
        "Calling%@...",
        "callingCanceled",
        "Talking with %@",
        "Failed to call %@",
        "Call with %@ ended",
        "Calling %@",
        "End call",
        "Are you sure you want to hang up?",
        // Messenger.
        "imtitle",
        "imchattitle",
        "None",
        "Just sent a picture.",
        " Click on the icon to see the picture",
        "IMNameIncorrect",
        "sendFilecount",
        "fileSent",
        "fileSending",
        "userOnlineTip",
        "userOfflineTip",
        "userOfflineTip2",
        "userLogoffTip",
        "userLogoffTip2",
        "privateChatTip",
        "requestBackupContact",
        "requestImportContact",
        "requestExportContact",
        "Chatting now (%d)",
        "Private chats (%d)",
        "Chat rooms (%d)",
        "Chat groups (%d)",
        "Zelvan friends (%d)",
        "Non-Zelvan Contacts (%d)",
        "Create",
        "Search",
        "Leave",
        "Done",
        "Delete",
        "New",
        "Online",
        "Busy",
        "Idle",
        "Offline",
        "Sign in",
        "Sign out",
        "Signing in",
        "Online only",
        "Show all",
        "addIM",
        "groupAdminCantLeave",
        "im-chatgroup-empty-info",
        "delete%@?",
        "changeStatus",
        "Online ",
        "Idle     ",
        "Busy   ",
        "Cancel",
        "No",
        "Yes",
        "Close",
        "Tap here to chat",
        "VoIP",
        "End VoIP",
        "goToHome",
        "Photo",
        "Users",
        "Block",
        "Unblock",
        "chatroom.privatechat.on",
        "chatroom.privatechat.off",
        "privatechat.disallow",
        "sendPhoto",
        "SEND_PIC_1",
        "SEND_PIC_2",
        "groupManageBlockTip",
        "groupSendMessageinUnblock",
        "turnonpvchat",
        "turnoffpvchat",
        "pvoffconfirm",
        "accountNameAndPass",
        // Chat rooms.
        "chatroom.fetchrule",
        "chatroom.loggingin",
        "chatroom.offlinealert",
        "chatroom.disagree",
        "chatroom.agree",
        "chatroom.ruleagreed",
        "chatroom.login%@",
        "chatroom.logout%@",
        "chatroom.joinsucc%@",
        "chatroom.kicksucc%@",
        "chatroom.kickfail%@",
        "chatroom.kickedout%@",
        "chatroom.kick",
        "chatroom.kickTip1%@%@",
        "chatroom.kickTip2%@%@",
        "chatroom.kickTip3%@%@",
        "chatroom.kickTip4",
        "chat",
        "home",
        "You",
        "Friend",
        "Administrator",
        "Member",
        "Invited",
        // Chat groups.
        "Manage",
        "editGroupProfile",
        "manageGroupMembers",
        "disbandGroup",
        "Disband",
        "groupManageDisbandTip1",
        "groupManageDisbandTip2",
        "groupManageLeaveFailed",
        "groupManageDisbandSuccess",
        "groupManageRemovedTip",
        "groupManageInviteFriends",
        "groupManageDeleteMembers",
        "Invite",
        "inviteToJoin",
        "SMSInviteTip",
        "groupManageInviteTip1",
        "groupManageInviteTip2",
        "groupManageInviteTip3",
        "groupManageInviteTip4",
        "groupManageInviteTip5",
        "groupManageInviteTip6",
        "groupManageInviteTip7",
        "groupManageInviteTip8",
        "groupManageInviteTip9",
        "groupManageDeleteTip1",
        "groupManageDeleteTip2",
        "groupManageDeleteTip3",
        "groupManageDeleteTip4",
        "sendGroupInviteLetter",
        "groupInviteFailed",
        "groupDeleteMemberFailed",
        "disbandGroupFailed",
        // Games.
        "Games",
        "Loading",
        "OK",
        "Ignore",
        "You Win!",
        "You Lose!",
        "Draw!",
        "Do you want to quit the game?",
        "%@ left",
        "Game invitation",
        "%@ invites you to play %@",
        "No available table",
        "Me",
        "Me: %@",
        "No online friends",
        "Play with friends",
        "Send invite notification",
        "Invite friends to join Zelvan",
        // Page keys and resource names.
        "static_home",
        "static_newchatgroup",
        "static_searchchatgroup",
        "static_contactinfo",
        "static_userinfo",
        "static_game_1600",
        "static_invite",
        "static_more",
        "http://%@/iphone/static_multigamescore_%d?tid=%d&score=%d",
        "http://%@/iphone/static_halloffame_%d?tid=%d&score=%d",
        "http://%@/iphone/static_singlegamescore_%d?tid=%d&score=%d",
        "game-createtable-inputlabel",
        "chips_bg",
        "chips_decrease",
        "chips_add",
        "chips_confirm",
        "chips_cancel",
    };
    for (const char* key : keys) {
        EXPECT_TRUE(table->contains(key)) << "missing key \"" << key << "\"";
    }
}

// The conversions of a format text, in order ("%d minute%@ ago" -> "%d%@").
std::string conversions(const std::string& text) {
    static const std::regex conversion("%(%|@|d|s|lld)");
    std::string out;
    for (std::sregex_iterator it(text.begin(), text.end(), conversion), end; it != end; ++it) {
        out += it->str();
    }
    return out;
}

TEST(LocalizationTest, FormatKeysKeepTheirConversionsInOrder) {
    // Keys whose own name lists their conversions get them back in the same order, so callers' arguments
    // land where they belong. Two room texts take (names, count, room) although their names show two.
    int checked = 0;
    for (const auto& [key, text] : localizedStringTable()) {
        if (key == "chatroom.kickTip2%@%@" || key == "chatroom.kickTip3%@%@") {
            EXPECT_EQ(conversions(text), "%@%d%@") << key;
            continue;
        }
        if (!conversions(key).empty()) {
            EXPECT_EQ(conversions(text), conversions(key)) << key;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

} // namespace
} // namespace zelvan
