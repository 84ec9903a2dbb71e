// Signing in and receiving: the log-in request and its reply, the stored account, and the routing of
// every packet the game server sends (the log-in reply to the main thread, the rest through the
// command map, what nobody owns to the delegate's own handling).
#include <exception>

#include "core/app_delegate_parts.h"
#include "core/category_helpers.h"
#include "core/localization.h"
#include "core/main_thread.h"
#include "core/state_files.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "protocol/command_table.h"
#include "protocol/packet_reader.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

constexpr int kLoginCommand = cmd::kLogin;
constexpr int kKeepAliveCommand = PacketQueue::kKeepAliveCommand;

// Log-in reply elements.
constexpr size_t kReplyKey = 1;
constexpr size_t kReplyProtocol = 2;
constexpr size_t kReplyDisplayName = 3;
constexpr size_t kReplyStatus = 4;
constexpr size_t kReplyUserId = 5;

// Element `index` of a packet array, null when absent.
fnd::Value element(const fnd::Value& packet, size_t index) {
    return PacketReader(packet).element(index).valueOr(fnd::Value());
}

std::string clientVersion() {
    fnd::Value version = fnd::Bundle::main().objectForInfoDictionaryKey("CFBundleVersion");
    return version.isString() ? version.stringValue() : "1.0";
}

} // namespace

void zelvanAppDelegate::trylogin(const std::string& phone, const std::string& password) {
    {
        std::lock_guard lock(stateMutex_);
        pendingAccount_ = Account{phone, password};
        loginInFlight_ = true;
    }
    networkLoop_->awaitLoginReply();
    auto im = this->im();
    int revision = im ? im->dataRevision() : 0;
    send(fnd::Value::array({kLoginCommand, kLoginProtocolVersion, kLoginProtocolRevision, phone, password, revision,
                            kDistributionChannel, clientVersion(), kLanguage}));
}

void zelvanAppDelegate::logInAgain() {
    // The connection closed with its queue: sign in again with the account of the last log-in.
    std::optional<Account> account;
    {
        std::lock_guard lock(stateMutex_);
        account = pendingAccount_;
    }
    if (!account) {
        account = storedAccount();
    }
    if (account) {
        trylogin(account->phone, account->password);
    }
}

std::optional<zelvanAppDelegate::Account> zelvanAppDelegate::storedAccount() {
    fnd::Result<fnd::Value> stored = readfile(kAccountFile);
    if (!stored) {
        logReadfileError(stored.error());
        return std::nullopt;
    }
    auto dict = stored->asDictionary();
    fnd::Value phone = dict ? dict->objectForKey("phone") : fnd::Value();
    fnd::Value password = dict ? dict->objectForKey("password") : fnd::Value();
    if (!phone.isString() || !password.isString() || phone.stringValue().empty()) {
        ZTRACE_WARN("ignoring an unreadable account file");
        return std::nullopt;
    }
    return Account{phone.stringValue(), password.stringValue()};
}

void zelvanAppDelegate::handleLoginResult(const fnd::Value& packet) {
    fnd::Value key = element(packet, kReplyKey);
    const bool sound = key.isNumber() || (key.isString() && !key.stringValue().empty());
    {
        std::lock_guard lock(stateMutex_);
        if (!loginInFlight_) {
            // Only the request in flight gets an answer; a server repeating replies changes nothing.
            ZTRACE_WARN("ignored a log-in reply: no log-in is waiting for one");
            return;
        }
        // A malformed reply leaves the request waiting for a sound one (or for its deadline).
        loginInFlight_ = !sound;
    }
    if (!sound) {
        // Neither a code nor a key: keep whatever account is stored and wait for a sound reply.
        ZTRACE_ERROR("malformed log-in reply: %s", fnd::logPreview(packet));
        return;
    }
    networkLoop_->loginReplyHandled();
    if (key.isNumber()) {
        int code = static_cast<int>(key.intValue());
        {
            std::lock_guard lock(stateMutex_);
            lastLoginFailure_ = code;
            pendingAccount_.reset();
        }
        deletefile(kAccountFile);
        ZLOG(Warn, "log-in refused (code %d)", code);
        showLoginRefusal(fnd::format(ZLS("loginError%d"), code));
        return;
    }

    LoginSession session;
    session.sessionKey = key.stringValue();
    fnd::Value protocol = element(packet, kReplyProtocol);
    session.protocol = protocol.isArray() ? protocol : fnd::Value::array();
    fnd::Value displayName = element(packet, kReplyDisplayName);
    session.displayName = displayName.isString() ? displayName.stringValue() : std::string();
    session.status = static_cast<int>(element(packet, kReplyStatus).intValue());
    session.userId = static_cast<int32_t>(element(packet, kReplyUserId).intValue());

    std::optional<Account> account;
    {
        std::lock_guard lock(stateMutex_);
        account = pendingAccount_;
        session_ = session;
        loggedIn_ = true;
        lastLoginFailure_.reset();
    }
    if (account) {
        auto stored = fnd::Value::dictionary({{"phone", account->phone}, {"password", account->password}});
        if (!writefile(kAccountFile, stored)) {
            ZTRACE_ERROR("could not save the account file");
        }
    }
    commandMap_.setLoggedIn(true);
    queue_.setSessionActive(true);
    hideInfo();
    // The name as the server sent it, which need not be a string.
    ZLOG(Info, "logged in as %s (user %d)", fnd::logPreview(displayName), session.userId);
    if (auto im = this->im()) {
        im->didLogIn(session);
    }
    std::vector<std::function<void(const LoginSession&)>> observers;
    {
        std::lock_guard lock(stateMutex_);
        observers = loginObservers_;
    }
    for (const auto& observer : observers) {
        observer(session);
    }
    // Which advertising networks to turn on comes with the feature list.
    send(fnd::Value::array({cmd::kAdFeatures}));
}

void zelvanAppDelegate::addLoginObserver(std::function<void(const LoginSession&)> observer) {
    if (!observer) {
        return;
    }
    std::lock_guard lock(stateMutex_);
    loginObservers_.push_back(std::move(observer));
}

void zelvanAppDelegate::connectionDidReceiveData(const fnd::Value& packet) {
    if (loginReplyPending_) {
        if (afterLoginReply_.size() >= kMaxPacketsAfterLoginReply) {
            ZTRACE_WARN("dropped a packet: %d are already waiting for the log-in reply to be handled",
                        static_cast<int>(afterLoginReply_.size()));
            networkLoop_->packetNotHandled();
            return;
        }
        afterLoginReply_.push_back(packet);
        return;
    }
    deliverPacket(packet);
}

void zelvanAppDelegate::deliverPacket(const fnd::Value& packet) {
    fnd::Value cmd = element(packet, 0);
    if (!cmd.isNumber() || cmd.intValue() != kLoginCommand) {
        if (!commandMap_.dispatch(packet)) {
            networkLoop_->packetNotHandled();
        }
        return;
    }
    // The reply is handled on the main thread; the packets behind it wait until it has been.
    loginReplyPending_ = true;
    std::weak_ptr<zelvanAppDelegate> weak = weak_from_this();
    std::shared_ptr<fnd::RunLoop> network = fnd::RunLoop::current().shared_from_this();
    onMain([weak, network, packet] {
        if (auto self = weak.lock()) {
            self->handleLoginResult(packet);
        }
        network->post([weak] {
            if (auto self = weak.lock()) {
                self->resumeAfterLoginReply();
            }
        });
    });
}

void zelvanAppDelegate::resumeAfterLoginReply() {
    loginReplyPending_ = false;
    // A further log-in reply among the waiting packets holds the rest back again.
    while (!loginReplyPending_ && !afterLoginReply_.empty()) {
        fnd::Value packet = std::move(afterLoginReply_.front());
        afterLoginReply_.pop_front();
        deliverPacket(packet);
    }
}

void zelvanAppDelegate::handleOwnCommand(const fnd::Value& packet) {
    int cmd = static_cast<int>(element(packet, 0).intValue());
    switch (cmd) {
    case kKeepAliveCommand:
        return;
    case cmd::kAdFeatures: {
        onMain(weak_from_this(), [packet](zelvanAppDelegate& self) { self.handleAdFeatures(packet); });
        return;
    }
    case kVoipCommand:
        if (auto voip = zelvanVoip()) {
            voip->handleVoip(packet);
        } else {
            ZTRACE_WARN("call signalling received with no voice engine");
        }
        return;
    default:
        ZLOG(Warn, "no handler for command %d", cmd);
        networkLoop_->packetNotHandled(); // dispatched on the network thread
        return;
    }
}

void zelvanAppDelegate::handleAdFeatures(const fnd::Value& packet) {
    std::optional<LoginSession> session;
    {
        std::lock_guard lock(stateMutex_);
        if (loggedIn_) {
            session = session_;
        }
    }
    if (!session) {
        ZLOG(Warn, "ignored an advertising feature list: nobody is signed in");
        return;
    }
    if (adFeaturesUser_ != session->userId) {
        adFeaturesUser_ = session->userId;
        startedAdFeatures_.clear();
    }
    auto list = packet.asArray();
    const size_t count = list ? list->count() : 0;
    if (count > kMaxAdFeatures + 1) {
        ZLOG(Warn, "advertising feature list of %d names: only the first %d are read", static_cast<int>(count - 1),
             static_cast<int>(kMaxAdFeatures));
    }
    for (size_t i = 1; i < count && i <= kMaxAdFeatures; ++i) {
        const fnd::Value& name = list->objectAtIndex(i);
        AppRegistry::AdFeatureStarter starter;
        if (name.isString()) {
            std::lock_guard lock(servicesMutex_);
            auto found = registry_.adFeatureStarters.find(name.stringValue());
            if (found != registry_.adFeatureStarters.end()) {
                starter = found->second;
            }
        }
        if (!starter) {
            ZLOG(Warn, "unknown advertising feature %s", fnd::logPreview(name));
            continue;
        }
        if (!startedAdFeatures_.insert(name.stringValue()).second) {
            continue; // started already for this user
        }
        ZLOG(Info, "starting advertising feature %s", name.stringValue());
        starter(*this, *session);
    }
}

} // namespace zelvan
