// The log-in exchange of the game server as the dev server speaks it: where the request carries the
// phone number and password, how a reply is laid out, and the accounts the server accepts.
// docs/dev-server.md describes the same layout for the client side.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/value.h"
#include "protocol/command_map.h"

namespace zelvan::devserver {

// Command numbers the server knows.
inline constexpr int kLoginCommand = 0;
inline constexpr int kKeepAliveCommand = 9999;
// Resource requests use the client's kWebResourceCommand (protocol/command_map.h): [400, request id,
// URL]; reply [400, request id, bytes] or [400, request id, error code] (400 malformed, 401 not
// logged in, 404 no such file).

// Log-in request: [0, protocol number, protocol number, phone, password, data revision, channel,
// client version, language]. The server reads the phone and password only.
inline constexpr size_t kLoginRequestPhone = 3;
inline constexpr size_t kLoginRequestPassword = 4;

// Log-in reply on success: [0, session key, protocol names, display name, status, user id].
// On failure: [0, failure code] - element 1 is a number rather than a string.
inline constexpr size_t kLoginReplyKey = 1;
inline constexpr size_t kLoginReplyProtocol = 2;
inline constexpr size_t kLoginReplyDisplayName = 3;
inline constexpr size_t kLoginReplyStatus = 4;
inline constexpr size_t kLoginReplyUserId = 5;

// Failure codes sent in element 1.
inline constexpr int kLoginFailedBadCredentials = 1;
inline constexpr int kLoginFailedMalformed = 2;

// Status reported for every signed-in account (online).
inline constexpr int kLoginStatusOnline = 1;

struct DevAccount {
    std::string phone;
    std::string password;
    std::string displayName; // the phone number when none was given
    int32_t userId = 0;
};

// Parses "phone:password[:name],..." into accounts with user ids 1001, 1002, ... in order. nullopt
// (and a logged line) when an entry lacks a phone or password or a phone appears twice.
std::optional<std::vector<DevAccount>> parseAccounts(std::string_view text);

// Phone and password of a log-in request, or nullopt when the packet is not a well-formed one.
struct LoginCredentials {
    std::string phone;
    std::string password;
};
std::optional<LoginCredentials> readLoginRequest(const fnd::Value& packet);

fnd::Value makeLoginSuccess(const std::string& sessionKey, const std::vector<std::string>& protocols,
                            const DevAccount& account);
fnd::Value makeLoginFailure(int code);

} // namespace zelvan::devserver
