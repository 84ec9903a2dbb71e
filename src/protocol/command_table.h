// The game server's command numbers, defined once: each number's name, the subsystem that receives it
// and whether the client receives it, sends it or both. The named constants (zelvan::cmd::k...) and
// the command map's fixed owners are all built from the list below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelvan {

// Who a received command number is routed to. Messenger .. WebCache are the command map's owner
// slots; Core is the application's fallback (the log-in reply, keep-alives, call signalling and the
// compressed wrapper the map inflates itself); Screens are numbers that screens register for while
// they wait for the reply; None marks numbers the client only sends.
enum class CommandOwner { Messenger, AvatarManager, GamesTab, GameCache, WebCache, Core, Screens, None };

// Which way a number travels. A number the client only sends may share its value with a received
// number of another meaning; only received numbers are routed.
enum class CommandDirection { Received, Sent, Both };

// X(number, Name, owner, direction), by number. A number appears twice only when its sent and received
// meanings differ; then exactly one of the two entries is received.
// clang-format off
#define ZELVAN_COMMANDS(X)                                              \
    X(0,    Login,              Core,          Both)                    \
    X(1,    ContactsConfirmed,  Messenger,     Received)                \
    X(2,    ContactSync,        Messenger,     Received)                \
    X(3,    FriendLine,         Messenger,     Received)                \
    X(3,    PhoneLine,          None,          Sent)                    \
    X(4,    IMLogin,            None,          Sent)                    \
    X(5,    IMSignInResult,     Messenger,     Received)                \
    X(5,    IMLogout,           None,          Sent)                    \
    X(6,    BuddyUpdate,        Messenger,     Received)                \
    X(6,    ChatLine,           None,          Sent)                    \
    X(7,    UpdateBlock,        Messenger,     Received)                \
    X(7,    Picture,            None,          Sent)                    \
    X(8,    BuddyLine,          Messenger,     Received)                \
    X(10,   Voip,               Core,          Both)                    \
    X(11,   FileDelivered,      Messenger,     Received)                \
    X(13,   CameOnline,         Messenger,     Received)                \
    X(14,   WentOffline,        Messenger,     Received)                \
    X(15,   MiniblogLine,       Messenger,     Received)                \
    X(16,   MiniblogLines,      Messenger,     Received)                \
    X(17,   AvatarPicture,      AvatarManager, Received)                \
    X(17,   AddContact,         None,          Sent)                    \
    X(18,   EditContact,        None,          Sent)                    \
    X(19,   RemoveContact,      None,          Sent)                    \
    X(21,   StartGame,          GamesTab,      Received)                \
    X(21,   EnterRoom,          None,          Sent)                    \
    X(22,   GameScript,         GamesTab,      Received)                \
    X(22,   RoomLine,           None,          Sent)                    \
    X(23,   GameResource,       GameCache,     Received)                \
    X(23,   LeaveRoom,          None,          Sent)                    \
    X(24,   AvatarVersion,      AvatarManager, Received)                \
    X(24,   Status,             None,          Sent)                    \
    X(25,   RoomMember,         Messenger,     Received)                \
    X(26,   RoomLineReceived,   Messenger,     Received)                \
    X(27,   RoomEntered,        Messenger,     Received)                \
    X(28,   FriendsInState2,    Messenger,     Received)                \
    X(29,   FriendsInState1,    Messenger,     Received)                \
    X(32,   PrivateLine,        None,          Sent)                    \
    X(34,   RoomEntryFailed,    Messenger,     Received)                \
    X(35,   LeaveGameTable,     None,          Sent)                    \
    X(36,   LeaveTable,         None,          Sent)                    \
    X(37,   PrivateChat,        Messenger,     Received)                \
    X(38,   TableNotice,        GamesTab,      Received)                \
    X(39,   TableEvent,         GamesTab,      Received)                \
    X(40,   TableJoined,        GamesTab,      Received)                \
    X(40,   GameOver,           None,          Sent)                    \
    X(41,   GameMessage,        GamesTab,      Received)                \
    X(41,   CreateTable,        None,          Sent)                    \
    X(43,   TableCreated,       GamesTab,      Received)                \
    X(43,   GameInvite,         None,          Sent)                    \
    X(44,   TableJoinStatus,    GamesTab,      Received)                \
    X(44,   InvitationReject,   None,          Sent)                    \
    X(46,   GameInvitation,     GamesTab,      Received)                \
    X(47,   GameResult,         None,          Sent)                    \
    X(48,   Kick,               None,          Sent)                    \
    X(51,   PlayNowResult,      GamesTab,      Received)                \
    X(52,   NoTable,            GamesTab,      Received)                \
    X(53,   MultiGameScore,     GamesTab,      Received)                \
    X(55,   FoeScore,           GamesTab,      Received)                \
    X(56,   KickResult,         Messenger,     Received)                \
    X(56,   InvitationAnswer,   None,          Sent)                    \
    X(58,   FriendSystemLine,   Messenger,     Received)                \
    X(58,   ScoreReport,        None,          Sent)                    \
    X(59,   KickedOut,          Messenger,     Received)                \
    X(64,   QuellinScore,       GamesTab,      Received)                \
    X(65,   SingleGameScore,    GamesTab,      Received)                \
    X(65,   JoinTable,          None,          Sent)                    \
    X(66,   PlayNow,            None,          Sent)                    \
    X(68,   LeaveSingleGame,    None,          Sent)                    \
    X(69,   TableClosed,        GamesTab,      Received)                \
    X(70,   Miniblog,           None,          Sent)                    \
    X(71,   AvatarAsk,          None,          Sent)                    \
    X(72,   FriendsInState3,    Messenger,     Received)                \
    X(72,   UserScoreAsk,       None,          Sent)                    \
    X(74,   InvitationPrompt,   GamesTab,      Received)                \
    X(74,   GameGuideAsk,       None,          Sent)                    \
    X(76,   GameResourceAsk,    None,          Sent)                    \
    X(78,   PlayerJoined,       GamesTab,      Received)                \
    X(79,   UserScore,          GamesTab,      Received)                \
    X(80,   MiniblogAnswer,     Messenger,     Received)                \
    X(80,   RoomCount,          None,          Sent)                    \
    X(81,   PlayerLeft,         GamesTab,      Received)                \
    X(81,   RoomRule,           None,          Sent)                    \
    X(82,   GameReady,          GamesTab,      Received)                \
    X(83,   Tutorial,           GamesTab,      Received)                \
    X(90,   RoomList,           Messenger,     Received)                \
    X(91,   RoomOccupancy,      Messenger,     Received)                \
    X(92,   RoomRules,          Messenger,     Received)                \
    X(109,  AdFeatures,         Core,          Both)                    \
    X(300,  GroupList,          Messenger,     Both)                    \
    X(303,  LeaveGroup,         Messenger,     Both)                    \
    X(305,  GroupMembers,       Screens,       Both)                    \
    X(306,  DisbandGroup,       Screens,       Both)                    \
    X(307,  GroupDisbanded,     Messenger,     Received)                \
    X(308,  GroupLine,          None,          Sent)                    \
    X(309,  GroupLines,         Messenger,     Received)                \
    X(310,  GroupInvite,        Screens,       Both)                    \
    X(311,  GroupRemove,        Screens,       Both)                    \
    X(312,  GroupUpdate,        Messenger,     Received)                \
    X(313,  GroupListMore,      Messenger,     Received)                \
    X(314,  RemovedFromGroup,   Messenger,     Received)                \
    X(315,  BlockGroup,         None,          Sent)                    \
    X(317,  GroupSystemLine,    Messenger,     Received)                \
    X(318,  GroupSmsInvite,     None,          Sent)                    \
    X(400,  WebResource,        WebCache,      Both)                    \
    X(403,  FriendOptions,      Messenger,     Both)                    \
    X(406,  GameFileList,       Screens,       Both)                    \
    X(410,  GameFile,           Screens,       Both)                    \
    X(1000, Compressed,         Core,          Received)                \
    X(9999, KeepAlive,          Core,          Both)
// clang-format on

namespace cmd {

#define ZELVAN_COMMAND_CONSTANT(number, name, owner, direction) inline constexpr int k##name = number;
ZELVAN_COMMANDS(ZELVAN_COMMAND_CONSTANT)
#undef ZELVAN_COMMAND_CONSTANT

} // namespace cmd

// One row of the table.
struct CommandInfo {
    int number;
    const char* name;
    CommandOwner owner;
    CommandDirection direction;

    constexpr bool received() const { return direction != CommandDirection::Sent; }
};

inline constexpr std::array kCommandTable = {
#define ZELVAN_COMMAND_ROW(number, name, owner, direction)                                                             \
    CommandInfo{number, #name, CommandOwner::owner, CommandDirection::direction},
    ZELVAN_COMMANDS(ZELVAN_COMMAND_ROW)
#undef ZELVAN_COMMAND_ROW
};

// How many received numbers `owner` has.
constexpr size_t receivedCountOf(CommandOwner owner) {
    size_t count = 0;
    for (const CommandInfo& info : kCommandTable) {
        count += info.received() && info.owner == owner ? 1 : 0;
    }
    return count;
}

// The received numbers routed to `owner`, ascending (the table is ordered by number).
template <CommandOwner owner>
constexpr std::array<int, receivedCountOf(owner)> commandsOwnedBy() {
    std::array<int, receivedCountOf(owner)> numbers{};
    size_t next = 0;
    for (const CommandInfo& info : kCommandTable) {
        if (info.received() && info.owner == owner) {
            numbers[next++] = info.number;
        }
    }
    return numbers;
}

// The table row of a received number, or null when the client never receives it.
constexpr const CommandInfo* receivedCommand(int number) {
    for (const CommandInfo& info : kCommandTable) {
        if (info.number == number && info.received()) {
            return &info;
        }
    }
    return nullptr;
}

// Whether some received number is listed twice (and so could have two owners).
constexpr bool receivedNumberRepeats() {
    for (size_t i = 0; i < kCommandTable.size(); ++i) {
        for (size_t j = i + 1; j < kCommandTable.size(); ++j) {
            if (kCommandTable[i].received() && kCommandTable[j].received() &&
                kCommandTable[i].number == kCommandTable[j].number) {
                return true;
            }
        }
    }
    return false;
}

static_assert(!receivedNumberRepeats(), "a received command number is routed to two owners");

} // namespace zelvan
