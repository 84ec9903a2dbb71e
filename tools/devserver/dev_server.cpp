// The dev server's listener, log-in handling, session bookkeeping and the cues tests give it.
#include "tools/devserver/dev_server.h"

#include "tools/devserver/demo_game_room.h"
#include "tools/devserver/demo_messenger.h"
#include "tools/devserver/game_rules.h"

#include <algorithm>
#include <future>
#include <random>

#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "tools/devserver/dev_session.h"
#include "tools/devserver/site_files.h"

namespace zelvan::devserver {

DevServer::DevServer(DevServerOptions options) : options_(std::move(options)), listener_("devserver") {
    if (options_.demoMessenger) {
        addDemoMessengerRules(options_.rules, options_.voiceRelayPort, options_.demoFriendAnswers);
    }
    if (!options_.gameRoot.empty()) {
        addGameRules(options_.rules, options_.gameRoot);
        if (options_.demoGames) {
            demoGames_ = std::make_unique<DemoGameRoom>(options_.gameRoot);
        }
    }
}

DevServer::~DevServer() {
    stop();
}

bool DevServer::start() {
    if (running_ || !listener_.listen(options_.port)) {
        return false;
    }
    keySeed_ = (static_cast<uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
    running_ = true;
    accept();
    listener_.run();
    return true;
}

void DevServer::stop() {
    if (!running_) {
        return;
    }
    listener_.stop([this] {
        for (const auto& timer : std::vector(timers_)) {
            timer->cancel();
        }
        for (auto& session : sessions_) {
            session->close();
        }
        sessions_.clear();
        logins_.clear();
    });
    running_ = false;
}

void DevServer::accept() {
    listener_.acceptor().async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
        if (ec) {
            if (ec != asio::error::operation_aborted) {
                ZLOG(Warn, "devserver: accept failed (%s)", ec.message().c_str());
            }
            if (listener_.acceptor().is_open() && ec != asio::error::operation_aborted) {
                accept();
            }
            return;
        }
        auto session = std::make_shared<DevSession>(*this, std::move(socket), nextConnection_++);
        // Drop the sessions already closed so a long run does not accumulate them.
        std::erase_if(sessions_, [](const auto& s) { return !s->isOpen(); });
        sessions_.push_back(session);
        ZLOG(Info, "devserver: connection #%d accepted", session->id());
        session->start();
        accept();
    });
}

void DevServer::handlePacket(DevSession& session, const fnd::Value& packet) {
    auto items = packet.asArray();
    std::optional<int64_t> command;
    if (items && !items->empty()) {
        command = items->objectAtIndex(0).asInt();
    }
    {
        std::lock_guard lock(receivedMutex_);
        received_.push_back(ReceivedPacket{session.id(), session.phone(), packet});
    }
    receivedChanged_.notify_all();
    if (!command) {
        ZLOG(Warn, "devserver: connection #%d sent a packet without a command number: %s", session.id(),
             fnd::logPreview(packet));
        return;
    }
    if (*command == kLoginCommand) {
        handleLogin(session, packet);
        return;
    }
    // Keep-alives only show that the client is there; they need no answer. Every other command is
    // recorded for the test or run that drives the server.
    if (*command == kKeepAliveCommand) {
        ZLOG(Info, "devserver: connection #%d keep-alive", session.id());
        return;
    }
    if (*command == kWebResourceCommand) {
        handleResource(session, packet);
        return;
    }
    if (demoGames_ && DemoGameRoom::takes(*command)) {
        handleDemoGame(session, packet);
        return;
    }
    if (const auto rule = options_.rules.find(*command); rule != options_.rules.end()) {
        if (!session.loggedIn()) {
            ZLOG(Warn, "devserver: connection #%d sent command %lld before log-in", session.id(),
                 static_cast<long long>(*command));
            return;
        }
        const std::vector<fnd::Value> replies = rule->second(packet);
        ZLOG(Info, "devserver: connection #%d received %s, %d repl%s", session.id(), fnd::logPreview(packet),
             static_cast<int>(replies.size()), replies.size() == 1 ? "y" : "ies");
        for (const fnd::Value& answer : replies) {
            reply(session, answer);
        }
        return;
    }
    ZLOG(Info, "devserver: connection #%d received %s", session.id(), fnd::logPreview(packet));
}

void DevServer::handleLogin(DevSession& session, const fnd::Value& packet) {
    std::optional<LoginCredentials> credentials = readLoginRequest(packet);
    if (!credentials) {
        ZLOG(Warn, "devserver: connection #%d sent a malformed log-in request", session.id());
        reply(session, makeLoginFailure(kLoginFailedMalformed));
        return;
    }
    const DevAccount* account = nullptr;
    for (const DevAccount& candidate : options_.accounts) {
        if (candidate.phone == credentials->phone && candidate.password == credentials->password) {
            account = &candidate;
        }
    }
    if (account == nullptr) {
        ZLOG(Warn, "devserver: connection #%d log-in as %s refused", session.id(), fnd::logPreview(credentials->phone));
        reply(session, makeLoginFailure(kLoginFailedBadCredentials));
        return;
    }
    std::string key = newSessionKey();
    bool again = session.loggedIn();
    session.setLogin(account->phone, key);
    if (!again) {
        std::erase_if(logins_, [](const auto& weak) { return weak.expired(); });
        logins_.push_back(session.weak_from_this());
    }
    ZLOG(Info, "devserver: connection #%d logged in as %s (user %d)", session.id(), account->phone.c_str(),
         static_cast<int>(account->userId));
    reply(session, makeLoginSuccess(key, options_.protocols, *account));
    if (options_.demoMessenger) {
        for (const fnd::Value& packet : demoMessengerWorld()) {
            reply(session, packet);
        }
    }
}

void DevServer::handleResource(DevSession& session, const fnd::Value& packet) {
    auto items = packet.asArray();
    std::optional<int64_t> id = items->count() > 1 ? items->objectAtIndex(1).asInt() : std::nullopt;
    fnd::Value urlValue = items->count() > 2 ? items->objectAtIndex(2) : fnd::Value();
    const std::string* url = urlValue.asString();
    if (!id) {
        ZLOG(Warn, "devserver: connection #%d sent a resource request without an id", session.id());
        return;
    }
    auto answer = [&](const fnd::Value& result, const char* what) {
        ZLOG(Info, "devserver: connection #%d resource %lld %s: %s", session.id(), static_cast<long long>(*id),
             url ? fnd::logPreview(*url) : std::string("?"), what);
        reply(session, fnd::Value::array({kWebResourceCommand, *id, result}));
    };
    if (url == nullptr) {
        answer(400, "malformed");
        return;
    }
    if (!session.loggedIn()) {
        answer(401, "not logged in");
        return;
    }
    // "zelvan-game://iphone/home.html" names iphone/home.html of the site; an http(s) URL its path.
    std::string path;
    if (auto parsed = fnd::Url::parse(*url)) {
        path = parsed->scheme() == "zelvan-game" ? parsed->host() + parsed->path() : parsed->path();
    }
    auto file = siteFilePath(options_.webRoot, path);
    auto bytes = file ? fnd::readFile(*file) : std::nullopt;
    if (!bytes) {
        answer(404, "not found");
        return;
    }
    answer(fnd::Value(std::move(*bytes)), "sent");
}

void DevServer::handleDemoGame(DevSession& session, const fnd::Value& packet) {
    auto account = std::find_if(options_.accounts.begin(), options_.accounts.end(),
                                [&](const DevAccount& a) { return session.loggedIn() && a.phone == session.phone(); });
    if (account == options_.accounts.end()) {
        ZLOG(Warn, "devserver: connection #%d sent a game room packet before log-in", session.id());
        return;
    }
    DemoGameRoom::Answer answer = demoGames_->handle(account->userId, packet);
    ZLOG(Info, "devserver: connection #%d received %s, %d repl%s, %d later", session.id(), fnd::logPreview(packet),
         static_cast<int>(answer.now.size()), answer.now.size() == 1 ? "y" : "ies",
         static_cast<int>(answer.later.size()));
    for (const fnd::Value& now : answer.now) {
        reply(session, now);
    }
    if (answer.later.empty()) {
        return;
    }
    auto timer = std::make_shared<asio::steady_timer>(listener_.io(), options_.demoGameCommandDelay);
    timers_.push_back(timer);
    timer->async_wait(
        [this, timer, weak = session.weak_from_this(), later = std::move(answer.later)](const asio::error_code& ec) {
            std::erase(timers_, timer);
            std::shared_ptr<DevSession> target = weak.lock();
            if (ec || target == nullptr || !target->isOpen()) {
                return;
            }
            for (const fnd::Value& packet : later) {
                ZLOG(Info, "devserver: connection #%d demo game sends %s", target->id(), fnd::logPreview(packet));
                reply(*target, packet);
            }
        });
}

void DevServer::reply(DevSession& session, const fnd::Value& packet) {
    if (stallNext_) {
        stallNext_ = false;
        ZLOG(Info, "devserver: connection #%d: reply held back", session.id());
        session.hold(packet);
        return;
    }
    session.send(packet);
}

std::string DevServer::newSessionKey() {
    // splitmix64 over a random start: distinct keys that a client cannot guess from the previous one
    // without the seed; good enough for a loopback test server.
    uint64_t z = (keySeed_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return fnd::format("%016llx", static_cast<unsigned long long>(z));
}

void DevServer::runOnServer(const std::function<void()>& task) {
    if (!running_) {
        return;
    }
    std::promise<void> done;
    asio::post(listener_.io(), [&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

std::shared_ptr<DevSession> DevServer::findSession(const std::function<bool(const DevSession&)>& match, bool newest) {
    std::shared_ptr<DevSession> found;
    for (const auto& weak : logins_) {
        auto session = weak.lock();
        if (session && session->isOpen() && match(*session)) {
            found = session;
            if (!newest) {
                break;
            }
        }
    }
    return found;
}

bool DevServer::push(size_t sessionIndex, const fnd::Value& packet) {
    bool sent = false;
    runOnServer([&] {
        size_t index = 0;
        auto session = findSession([&](const DevSession&) { return index++ == sessionIndex; }, false);
        if (session) {
            ZLOG(Info, "devserver: push to connection #%d: %s", session->id(), fnd::logPreview(packet));
            session->send(packet);
            sent = true;
        }
    });
    return sent;
}

bool DevServer::push(const std::string& phone, const fnd::Value& packet) {
    bool sent = false;
    runOnServer([&] {
        auto session = findSession([&](const DevSession& s) { return s.phone() == phone; }, true);
        if (session) {
            ZLOG(Info, "devserver: push to connection #%d: %s", session->id(), fnd::logPreview(packet));
            session->send(packet);
            sent = true;
        }
    });
    return sent;
}

void DevServer::closeAll() {
    runOnServer([&] {
        for (auto& session : sessions_) {
            if (session->isOpen()) {
                ZLOG(Info, "devserver: closing connection #%d", session->id());
                session->close();
            }
        }
    });
}

void DevServer::stallNextReply() {
    runOnServer([&] { stallNext_ = true; });
}

void DevServer::releaseHeld() {
    runOnServer([&] {
        for (auto& session : sessions_) {
            session->releaseHeld();
        }
    });
}

size_t DevServer::openConnections() {
    size_t count = 0;
    runOnServer(
        [&] { count = std::count_if(sessions_.begin(), sessions_.end(), [](auto& s) { return s->isOpen(); }); });
    return count;
}

size_t DevServer::loggedInSessions() {
    size_t count = 0;
    runOnServer([&] {
        count = std::count_if(sessions_.begin(), sessions_.end(), [](auto& s) { return s->isOpen() && s->loggedIn(); });
    });
    return count;
}

bool DevServer::hasLiveSessionKey(const std::string& key) {
    bool live = false;
    runOnServer([&] {
        live = !key.empty() && std::any_of(sessions_.begin(), sessions_.end(), [&](auto& s) {
            return s->isOpen() && s->loggedIn() && s->sessionKey() == key;
        });
    });
    return live;
}

std::vector<ReceivedPacket> DevServer::received() const {
    std::lock_guard lock(receivedMutex_);
    return received_;
}

bool DevServer::waitForReceived(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(receivedMutex_);
    return receivedChanged_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

} // namespace zelvan::devserver
