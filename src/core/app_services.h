// The shared objects the application delegate hands out, as the interfaces the core needs of them.
// The messenger, the games, the voice engine, the web platform and the ads implement them in their
// own libraries and register a factory with the delegate, which creates each object on first use.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "protocol/command_handler.h"
#include "protocol/network_loop.h"

namespace ui {
class ViewController;
} // namespace ui

namespace zelvan {

// What a successful log-in told the client.
struct LoginSession {
    std::string sessionKey;
    fnd::Value protocol; // array of external IM network names
    std::string displayName;
    int status = 0;
    int32_t userId = 0;
};

// One of the messenger's product friends, as the other product folders see it.
struct FriendInfo {
    int32_t userid = 0;
    int32_t state = 0; // 0 = offline; any other value = online
    bool supportOfflineGame = false;
    std::string name; // the display name
};

// The messenger controller: owns the messenger's command numbers and data.
class MessengerService : public CommandHandler {
public:
    // The product friends in list order, copied under the messenger's lock (main thread).
    virtual std::vector<FriendInfo> zelvanFriendInfos() { return {}; }
    // The revision of the messenger's stored data, sent with every log-in.
    virtual int dataRevision() { return 0; }
    // Loads the stored data (main thread, with the other state files, before the stored account
    // signs in so the log-in carries the stored revision).
    virtual void loadState() {}
    // The user signed in (main thread): load or reset the stored data for this user.
    virtual void didLogIn(const LoginSession& /*session*/) {}
    // Saves the messenger's state (main thread, at stop).
    virtual void saveState() {}
    // The controller the messenger tab shows as its root; null leaves the tab empty.
    virtual std::shared_ptr<ui::ViewController> rootViewController() { return nullptr; }
};

// The avatar manager: owns the avatar command numbers.
class AvatarService : public CommandHandler {};

// The game resource cache, polled by the game thread.
class GameCacheService : public CommandHandler {
public:
    virtual void expireRequested() {}
    virtual void clearRequest() {}
};

// The Games tab controller: owns the game-room command numbers and runs the playing game.
class GamesTabService : public CommandHandler {
public:
    // Whether a game is running; the game thread ticks it while it is.
    virtual bool playingGame() = 0;
    virtual void executeScript() = 0;
    virtual void gc(int full) = 0;
    // The application stops: the running game's script gets its "quit" entry point.
    virtual void quitGame() {}
    // The controller the Games tab shows as its root; null leaves the tab empty.
    virtual std::shared_ptr<ui::ViewController> rootViewController() { return nullptr; }
};

// The voice call engine: polled by the network thread, fed by the audio input thread, and told
// about call signalling (command 10).
class VoipService : public VoiceEngineHooks {
public:
    virtual bool readyToSendVoice() = 0;
    virtual void sendData(const fnd::Bytes& chunk) = 0;
    virtual void handleVoip(const fnd::Value& packet) = 0;
};

// The web resource cache and fetch queue: owns command 400 (resources fetched over the game
// connection) and starts its queued fetches on the network thread after every turn.
class WebCacheService : public CommandHandler {
public:
    virtual void startQueuedFetches() {}
    // The game connection dropped (network thread): fetches waiting for its replies end now.
    virtual void gameConnectionLost() {}
};

// The shared advertisement view.
class AdViewService {
public:
    virtual ~AdViewService() = default;
    virtual void setDisplayMode(int mode) = 0;
};

// A tab's page controller (the home and More tabs).
class PageService {
public:
    virtual ~PageService() = default;
    virtual void openUrl(const std::string& url) = 0;
    // The controller the tab shows as its root.
    virtual std::shared_ptr<ui::ViewController> pageViewController() = 0;
};

// The message alert sound.
class MessageSoundService {
public:
    virtual ~MessageSoundService() = default;
    virtual void play() = 0;
};

} // namespace zelvan
