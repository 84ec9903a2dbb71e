// zelvanAppDelegate: the one application delegate. It owns the game-server connection's network
// loop, the outgoing packet queue, the command map and the game loop; hands out the shared objects
// and the session state every subsystem reads; signs in; and starts and stops the application.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/alert_queue.h"
#include "core/app_registry.h"
#include "core/app_services.h"
#include "core/game_loop.h"
#include "core/zelvan_style.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "platform/ui/types.h"
#include "protocol/command_map.h"
#include "protocol/command_table.h"
#include "protocol/network_loop.h"
#include "protocol/packet_queue.h"
#include "protocol/zelvan_packet.h"

namespace ui {
class AlertView;
class TabBarController;
class View;
class Window;
} // namespace ui

namespace zelvan {

// Where the client connects and how the headless client tunes it.
struct AppConfig {
    static constexpr uint16_t kDefaultServerPort = 1237;

    std::string serverHost = "game.zelvan.net";
    uint16_t serverPort = kDefaultServerPort;
    std::string webHost = "www.zelvan.net";
    // Where the ad, offer, analytics and store networks are reached: each network's addresses are this URL
    // followed by "/<network>/..." (no trailing slash). Empty: none is given and those networks send nothing.
    std::string adsBase;
    // The idle time before a keep-alive goes out, in tenths of a second (`--idle-turns`).
    static constexpr double kIdleTurnSeconds = 0.1;
    int keepAliveTurns = static_cast<int>(PacketQueue::kKeepAliveSeconds / kIdleTurnSeconds);
};

class zelvanAppDelegate : public std::enable_shared_from_this<zelvanAppDelegate> {
public:
    // Log-in request constants: the two protocol numbers, the distribution channel and the language.
    static constexpr int kLoginProtocolVersion = 3;
    static constexpr int kLoginProtocolRevision = 1;
    static constexpr const char* kDistributionChannel = "linux";
    static constexpr const char* kLanguage = "en";
    // State files under Documents/<bundle id>/.
    static constexpr const char* kAccountFile = "zelvan_account";
    static constexpr const char* kRuleLogFile = "zelvan_chatroom_rulelog";
    static constexpr const char* kDisplayGuideFile = "zelvan_game_displayguide";
    // Tabs of the main tab bar.
    enum Tab { TabGames = 0, TabHome = 1, TabMessenger = 2, TabCircle = 3, TabMore = 4 };
    // Delay between launching and the second half of start-up.
    static constexpr double kLaunchLaterDelay = 0.01;
    static constexpr double kTabFadeDuration = 0.4;
    // Alerts of showAlert that may wait behind the one on screen.
    static constexpr size_t kWaitingMessages = 2;
    // The network kind networkStatus() reports for Wi-Fi (and for any reachable network here).
    static constexpr int kNetworkWiFi = 2;
    // Stage of the command-10 call signalling handled by the voice engine.
    static constexpr int kVoipCommand = cmd::kVoip;
    // Names of the advertising feature list walked at most (the rest is ignored, with one line).
    static constexpr size_t kMaxAdFeatures = 32;

    // The installed application delegate, or null; never creates one (only app/ and tests create and
    // install it). Libraries read the registry's strategies through it, so code running without a
    // delegate simply finds none.
    static std::shared_ptr<zelvanAppDelegate> current();
    // Replaces the application delegate (the headless client and tests install their own).
    static void setInstance(std::shared_ptr<zelvanAppDelegate> delegate);

    // A delegate over `registry`, which the composition root (or a test) has filled.
    static std::shared_ptr<zelvanAppDelegate> create(AppConfig config = {}, AppRegistry registry = {});
    ~zelvanAppDelegate();
    zelvanAppDelegate(const zelvanAppDelegate&) = delete;
    zelvanAppDelegate& operator=(const zelvanAppDelegate&) = delete;

    // --- Session state (any thread) ---
    int32_t userId() const;
    // The session key of the current log-in; nullopt before log-in.
    std::optional<std::string> sessionKey() const;
    // External IM network names received at log-in (an array; index i names network i).
    fnd::Value protocol() const;
    std::string displayName() const;
    int status() const;
    bool loggedout() const;
    bool locked() const;
    int networkStatus() const;
    bool gameAudioEnable() const;
    void setGameAudioEnable(bool enable);
    const std::string& zelvanWebHost() const { return config_.webHost; }
    // "http://<web host>/", the prefix of the pages.
    std::string pagePrefix() const;
    const AppConfig& config() const { return config_; }

    // --- Shared objects (created on first use; any thread unless noted) ---
    std::shared_ptr<MessengerService> im();
    std::shared_ptr<AvatarService> avatarManager();
    std::shared_ptr<GameCacheService> gameCache();
    std::shared_ptr<VoipService> zelvanVoip();
    std::shared_ptr<WebCacheService> zelvanWebCache();
    std::shared_ptr<AdViewService> adView();
    std::shared_ptr<PageService> homes();
    std::shared_ptr<PageService> moreController();
    std::shared_ptr<GamesTabService> newgamerooms();
    std::shared_ptr<MessageSoundService> msgPlayer();
    // The offer network's context; null when the registry has none.
    std::shared_ptr<orvane::OrvaneContext> orvane();
    std::shared_ptr<adwick::AdwickContext> adwick();
    // The Kavlo analytics client's context; null when the registry has none.
    std::shared_ptr<kavlo::KavloContext> kavlo();
    // The Tallio analytics client's context; null when the registry has none.
    std::shared_ptr<tallio::TallioContext> tallio();
    // The Marlin interstitial client's context; null when the registry has none.
    std::shared_ptr<marlin::MarlinContext> marlin();
    const std::shared_ptr<ZelvanStyle>& style() const;

    // --- Strategies and bridge targets of the registry (any thread) ---
    std::shared_ptr<PhotoSource> photoSource();
    std::shared_ptr<CardPictureRule> cardPictureRule();
    // Null when none is registered (callers fall back to the chat view's token layout).
    std::shared_ptr<MessageMeasurer> messageMeasurer();
    std::shared_ptr<ZLVWebDatabaseManager> webDatabases();
    // The factory of web dialogs' page controllers; empty when the registry has none.
    std::function<std::shared_ptr<WebDialogController>(zelvanAppDelegate&)> webDialogControllerFactory() const;
    // A copy of the bridge targets.
    BridgeTargets bridgeTargets() const;
    // Changes the bridge targets in place under the registry's lock: each module sets its own members,
    // e.g. installBridgeTargets([&](BridgeTargets& t) { t.avatarFinder = manager; }).
    void installBridgeTargets(const std::function<void(BridgeTargets&)>& edit);
    // The object of any slot of the registry, made by its factory on first use under the registry's
    // lock (see the lock order in docs/architecture.md), then kept; null for a slot without a factory. A
    // new service needs a slot and its factory in the composition root, nothing here:
    // delegate.service(&AppRegistry::mySlot). The slot's type may stay forward-declared.
    template <class T>
    std::shared_ptr<T> service(ServiceSlot<T> AppRegistry::*member) {
        std::lock_guard lock(servicesMutex_);
        ServiceSlot<T>& slot = registry_.*member;
        if (!slot.tried) {
            // Marked first: a factory that asks the delegate for its own object gets null, not a loop.
            slot.tried = true;
            if (slot.factory) {
                slot.made = slot.factory(*this);
            }
        }
        return slot.made;
    }
    // Makes `slot` hand out `object` from now on (a screen installing its own measurer, say).
    template <class T>
    void provide(ServiceSlot<T> AppRegistry::*slot, std::shared_ptr<T> object) {
        std::lock_guard lock(servicesMutex_);
        (registry_.*slot).made = std::move(object);
        (registry_.*slot).tried = true;
    }
    // Main thread; null before launch.
    std::shared_ptr<ui::TabBarController> tabBarController() const;
    std::shared_ptr<ui::Window> window() const;
    // Game id -> 1 for every game guide already shown (shared, mutable; main thread).
    fnd::Value displayGuide() const { return displayGuide_; }
    // Room id -> acceptance time of the chat-room rules the user accepted (shared, mutable; main thread).
    fnd::Value chatRoomRuleLogs() const { return chatRoomRuleLogs_; }

    // --- Packets and handlers (any thread) ---
    // Queues a packet array for the game server; returns at once.
    void send(const fnd::Value& packet);
    // Holds the packet back while there is no session and it requires log-in.
    void sendPacket(const ZelvanPacket& packet);
    void addCmdDelegate(int cmd, const std::shared_ptr<CommandHandler>& handler);
    void removeCmdDelegate(int cmd, const CommandHandler* handler);
    void removeCmdDelegate(const CommandHandler* handler);
    // Listeners of the game-server connection (held weakly): told connectionLost/connectionResumed.
    void addConnectionDelegate(const std::shared_ptr<ConnectionListener>& listener);
    void removeConnectionDelegate(const ConnectionListener* listener);
    // Passes one encoded voice chunk to the voice engine while it is ready to send; else drops it.
    void sendVoip(const fnd::Bytes& chunk);

    // --- User interface (any thread; the work runs on the main thread) ---
    // An alert with an OK button; one on screen at a time, with a short line behind it (AlertQueue).
    void showAlert(const std::optional<std::string>& title, const std::string& message);
    // The information box: one at a time, replaced by the next, removed by hideInfo().
    void showInfo(const std::string& title, const std::string& message);
    void hideInfo();
    // Main thread from here on.
    void switchTab(int index, ui::Animated animated);
    void hideKeyboard();
    void switchToFullScreen(const std::shared_ptr<ui::View>& view, int horizontal);
    void switchToNormalScreen(int horizontal);

    // --- Log-in ---
    // Queues the log-in request (command 0) for `phone` and `password` (any thread).
    void trylogin(const std::string& phone, const std::string& password);
    // The reply to the log-in request (main thread).
    void handleLoginResult(const fnd::Value& packet);
    // Told on the main thread after every successful log-in, once the session is stored (the
    // subsystems that act on a new session register here).
    void addLoginObserver(std::function<void(const LoginSession&)> observer);
    // The failure code of the last refused log-in, if the last reply was a refusal.
    std::optional<int> lastLoginFailure() const;
    // The account of the stored account file.
    struct Account {
        std::string phone;
        std::string password;
    };
    static std::optional<Account> storedAccount();

    // One decoded packet from the game server (network thread). One that nobody takes (an unknown
    // command, a packet the command map refuses) is reported to the network loop, whose limit on frames
    // without a packet closes a connection that floods them.
    void connectionDidReceiveData(const fnd::Value& packet);

    // --- Life cycle (main thread) ---
    // Builds the window and the tab bar and schedules applicationDidFinishLaunchingLater.
    void applicationDidFinishLaunching();
    // Loads the state files, signs in with the stored account and starts the two threads.
    void applicationDidFinishLaunchingLater();
    void applicationWillResignActive();
    void applicationDidBecomeActive();
    // Quits the running game, saves the state files and stops the threads (the worker pool's included).
    void applicationWillTerminate();

    // The parts the headless client and tests look into.
    NetworkLoop& networkLoop() { return *networkLoop_; }
    PacketQueue& packetQueue() { return queue_; }
    CommandMap& commandMap() { return commandMap_; }
    GameLoop& gameLoop() { return *gameLoop_; }

private:
    class OwnCommands;
    class ConnectionEvents;
    class RetryAlert;
    zelvanAppDelegate(AppConfig config, AppRegistry registry);
    void wireNetworkLoop();
    void buildCommandMap();
    // Shuts the registry's worker pool down when it was made.
    void shutDownWorkerPool();

    void loadStateFiles();
    void saveStateFiles();
    void buildWindow();
    void showRetryAlert();
    void showLoginRefusal(const std::string& reason);
    void handleOwnCommand(const fnd::Value& packet);
    // The feature list [109, name, ...] (main thread): starts each named feature once per user.
    void handleAdFeatures(const fnd::Value& packet);
    void deliverPacket(const fnd::Value& packet);
    void resumeAfterLoginReply();
    void logInAgain();
    std::vector<std::shared_ptr<ConnectionListener>> liveConnectionListeners();

    const AppConfig config_;
    PacketQueue queue_;
    CommandMap commandMap_;
    std::unique_ptr<NetworkLoop> networkLoop_;
    std::unique_ptr<GameLoop> gameLoop_;
    std::shared_ptr<OwnCommands> ownCommands_;
    std::shared_ptr<ConnectionEvents> connectionEvents_;

    // Guards the registry; recursive, so a factory may ask the delegate for another object.
    mutable std::recursive_mutex servicesMutex_;
    AppRegistry registry_;

    mutable std::mutex stateMutex_;
    LoginSession session_;
    bool loggedIn_ = false;
    std::optional<Account> pendingAccount_; // the credentials of the log-in in flight
    bool loginInFlight_ = false;            // a log-in request waits for its reply
    std::optional<int> lastLoginFailure_;
    std::vector<std::function<void(const LoginSession&)>> loginObservers_;
    bool locked_ = false;
    // Main thread: the user the started ad features belong to, and their names.
    std::optional<int32_t> adFeaturesUser_;
    std::set<std::string> startedAdFeatures_;
    bool gameAudioEnable_ = true;

    mutable std::mutex listenersMutex_;
    std::vector<std::weak_ptr<ConnectionListener>> connectionListeners_;

    // Network thread only. While the main thread handles a log-in reply, the packets behind it wait
    // here, so that what the server sends right after signing someone in reaches the session it
    // belongs to instead of being dropped as arriving "logged out".
    bool loginReplyPending_ = false;
    std::deque<fnd::Value> afterLoginReply_;
    static constexpr size_t kMaxPacketsAfterLoginReply = 10000;

    // Main thread only.
    fnd::Value displayGuide_;
    fnd::Value chatRoomRuleLogs_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ui::TabBarController> tabBarController_;
    std::shared_ptr<ui::AlertView> infoAlert_;
    std::shared_ptr<ui::AlertView> loginAlert_; // the refused log-in's reason, while on screen
    AlertQueue messageAlerts_{"message", kWaitingMessages};
    std::shared_ptr<RetryAlert> retryAlert_;
    std::shared_ptr<ui::View> fullScreenView_;
    bool launched_ = false;
    bool threadsStarted_ = false;
};

} // namespace zelvan
