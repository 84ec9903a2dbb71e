// Account list parsing and the log-in request and reply layout of the dev server.
#include "tools/devserver/login_protocol.h"

#include "platform/foundation/array.h"
#include "platform/foundation/log.h"

namespace zelvan::devserver {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

std::optional<std::vector<DevAccount>> parseAccounts(std::string_view text) {
    std::vector<DevAccount> accounts;
    if (text.empty()) {
        return accounts;
    }
    for (std::string_view entry : split(text, ',')) {
        // The name is everything after the second colon, so a display name may itself hold colons.
        size_t first = entry.find(':');
        size_t second = first == std::string_view::npos ? first : entry.find(':', first + 1);
        if (first == std::string_view::npos || first == 0 || second == first + 1 || first + 1 == entry.size()) {
            ZLOG(Warn, "devserver: account entry \"%s\" needs phone:password[:name]", std::string(entry).c_str());
            return std::nullopt;
        }
        DevAccount account;
        account.phone = std::string(entry.substr(0, first));
        if (second == std::string_view::npos) {
            account.password = std::string(entry.substr(first + 1));
            account.displayName = account.phone;
        } else {
            account.password = std::string(entry.substr(first + 1, second - first - 1));
            account.displayName = std::string(entry.substr(second + 1));
            if (account.displayName.empty()) {
                account.displayName = account.phone;
            }
        }
        for (const DevAccount& other : accounts) {
            if (other.phone == account.phone) {
                ZLOG(Warn, "devserver: account %s is listed twice", account.phone.c_str());
                return std::nullopt;
            }
        }
        account.userId = static_cast<int32_t>(1001 + accounts.size());
        accounts.push_back(std::move(account));
    }
    return accounts;
}

std::optional<LoginCredentials> readLoginRequest(const fnd::Value& packet) {
    auto items = packet.asArray();
    if (!items || items->count() <= kLoginRequestPassword) {
        return std::nullopt;
    }
    const std::string* phone = items->objectAtIndex(kLoginRequestPhone).asString();
    const std::string* password = items->objectAtIndex(kLoginRequestPassword).asString();
    if (phone == nullptr || password == nullptr) {
        return std::nullopt;
    }
    return LoginCredentials{*phone, *password};
}

fnd::Value makeLoginSuccess(const std::string& sessionKey, const std::vector<std::string>& protocols,
                            const DevAccount& account) {
    auto names = std::make_shared<fnd::Array>();
    for (const std::string& name : protocols) {
        names->addObject(name);
    }
    return fnd::Value::array(
        {kLoginCommand, sessionKey, fnd::Value(names), account.displayName, kLoginStatusOnline, account.userId});
}

fnd::Value makeLoginFailure(int code) {
    return fnd::Value::array({kLoginCommand, code});
}

} // namespace zelvan::devserver
