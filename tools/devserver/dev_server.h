// DevServer: a loopback game server for integration tests and `make run`. It listens on 127.0.0.1,
// speaks frames of codec payloads, answers log-in, keeps sessions, records every packet it receives,
// and on cue pushes scripted packets, holds back replies or drops its connections.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <asio.hpp>

#include "tools/devserver/loopback_listener.h"

#include "platform/foundation/value.h"
#include "tools/devserver/dev_rules.h"
#include "tools/devserver/login_protocol.h"

namespace zelvan::devserver {

class DemoGameRoom;
class DevSession;

struct DevServerOptions {
    uint16_t port = 0; // 0: the system picks a free port
    std::vector<DevAccount> accounts;
    // Names sent as the protocol array of a successful log-in.
    std::vector<std::string> protocols{"local"};
    // The site folder that command 400 answers from (the web server's folder); empty: every
    // resource request gets 404.
    std::string webRoot;
    // Replies by received command number, for logged-in connections (the standard ones by default).
    ReplyRules rules = standardRules();
    // The game folder that commands 76, 406 and 410 answer from (see game_rules.h); empty: those
    // commands go unanswered unless `rules` has rules for them.
    std::string gameRoot;
    // The demo messenger world: pushed after each log-in, with its rules for 300 and 403.
    bool demoMessenger = false;
    // Whether friend 2001 of the demo world answers the user's lines (off: it stays silent).
    bool demoFriendAnswers = true;
    // The port of a voice relay on 127.0.0.1 that the demo world connects its calls through (0: none).
    uint16_t voiceRelayPort = 0;
    // The demo game room (see demo_game_room.h): 56, 47 and 40 answered from the game folder (needs
    // `gameRoot`). Its game commands follow the start after `demoGameCommandDelay`, long enough for a
    // client slowed down by a sanitizer on a busy machine to load the game and show its first frames
    // before the first command ends the game.
    bool demoGames = false;
    std::chrono::milliseconds demoGameCommandDelay{3000};
};

// One packet the server received.
struct ReceivedPacket {
    int connection = 0; // connections are numbered from 1 in the order they were accepted
    std::string phone;  // the account the connection had logged in as, or empty
    fnd::Value packet;
};

class DevServer {
public:
    explicit DevServer(DevServerOptions options);
    ~DevServer();
    DevServer(const DevServer&) = delete;
    DevServer& operator=(const DevServer&) = delete;

    // Binds 127.0.0.1 and starts the server thread. False (and a logged line) when binding fails or
    // the server already runs.
    bool start();
    // Closes every connection and the listener and joins the server thread. Idempotent.
    void stop();
    // The bound port (valid after a successful start).
    uint16_t port() const { return listener_.port(); }

    // The methods below may be called from any thread except the server's own.

    // Sends `packet` to the sessionIndex-th log-in still connected (0 = the oldest). False when no
    // such session exists.
    bool push(size_t sessionIndex, const fnd::Value& packet);
    // Sends `packet` to the latest connected session logged in as `phone`. False when there is none.
    bool push(const std::string& phone, const fnd::Value& packet);
    // Closes every open connection; the server keeps listening for new ones.
    void closeAll();
    // The next reply the server would send is held back (the connection stays open and silent)
    // until releaseHeld().
    void stallNextReply();
    // Sends every reply held back by stallNextReply().
    void releaseHeld();
    // Connections still open, and those among them that are logged in.
    size_t openConnections();
    size_t loggedInSessions();
    // Whether `key` is the session key of a log-in whose connection is still open.
    bool hasLiveSessionKey(const std::string& key);

    // Every packet received so far, in order of arrival.
    std::vector<ReceivedPacket> received() const;
    // Waits until at least `count` packets were received or `timeout` passed; true in the first case.
    bool waitForReceived(size_t count, std::chrono::milliseconds timeout) const;

    // Called by a session for each decoded packet (server thread).
    void handlePacket(DevSession& session, const fnd::Value& packet);

private:
    void accept();
    void reply(DevSession& session, const fnd::Value& packet);
    void handleLogin(DevSession& session, const fnd::Value& packet);
    void handleResource(DevSession& session, const fnd::Value& packet);
    void handleDemoGame(DevSession& session, const fnd::Value& packet);
    std::string newSessionKey();
    // Runs `task` on the server thread and waits for it; runs nothing when the server is not running.
    void runOnServer(const std::function<void()>& task);
    std::shared_ptr<DevSession> findSession(const std::function<bool(const DevSession&)>& match, bool newest);

    DevServerOptions options_;
    LoopbackListener listener_;
    std::atomic<bool> running_{false};

    // Server thread only.
    std::vector<std::shared_ptr<DevSession>> sessions_; // in acceptance order
    std::vector<std::weak_ptr<DevSession>> logins_;     // in log-in order
    int nextConnection_ = 1;
    bool stallNext_ = false;
    uint64_t keySeed_ = 0;
    std::unique_ptr<DemoGameRoom> demoGames_;
    // Timers of packets sent later (the demo game's commands), cancelled by stop().
    std::vector<std::shared_ptr<asio::steady_timer>> timers_;

    mutable std::mutex receivedMutex_;
    mutable std::condition_variable receivedChanged_;
    std::vector<ReceivedPacket> received_;
};

} // namespace zelvan::devserver
