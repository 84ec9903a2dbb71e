// The application delegate's construction, session state, shared objects, packet sending and the
// registries of command handlers and connection listeners.
#include "core/zelvan_app_delegate.h"

#include <algorithm>

#include "core/app_delegate_parts.h"
#include "core/main_thread.h"
#include "platform/foundation/format.h"
#include "platform/foundation/reachability.h"
#include "platform/foundation/worker_pool.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

std::mutex& instanceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<zelvanAppDelegate>& instanceSlot() {
    static std::shared_ptr<zelvanAppDelegate> slot;
    return slot;
}

} // namespace

std::shared_ptr<zelvanAppDelegate> zelvanAppDelegate::current() {
    std::lock_guard lock(instanceMutex());
    return instanceSlot();
}

void zelvanAppDelegate::setInstance(std::shared_ptr<zelvanAppDelegate> delegate) {
    std::shared_ptr<zelvanAppDelegate> previous;
    {
        std::lock_guard lock(instanceMutex());
        previous = std::exchange(instanceSlot(), std::move(delegate));
    }
    // The previous delegate (and its threads) ends here, outside the lock.
}

std::shared_ptr<zelvanAppDelegate> zelvanAppDelegate::create(AppConfig config, AppRegistry registry) {
    // Its destructor joins the threads that call back into it, so the delegate always ends on the
    // main thread, even when a worker thread happens to drop the last reference.
    std::shared_ptr<zelvanAppDelegate> delegate(
        new zelvanAppDelegate(std::move(config), std::move(registry)),
        [](zelvanAppDelegate* released) { onMainInline([released] { delete released; }); });
    delegate->wireNetworkLoop();
    return delegate;
}

zelvanAppDelegate::zelvanAppDelegate(AppConfig config, AppRegistry registry)
    : config_(std::move(config)), registry_(std::move(registry)) {
    queue_.setKeepAliveSeconds(config_.keepAliveTurns * AppConfig::kIdleTurnSeconds);
    networkLoop_ = std::make_unique<NetworkLoop>(queue_, config_.serverHost, config_.serverPort);
    gameLoop_ = std::make_unique<GameLoop>([this] { return newgamerooms(); }, [this] { return gameCache(); },
                                           [this] { return locked(); });
    displayGuide_ = fnd::Value::dictionary();
    chatRoomRuleLogs_ = fnd::Value::dictionary();
}

zelvanAppDelegate::~zelvanAppDelegate() {
    // The threads call back into this object; they end before any member goes.
    gameLoop_->stop();
    networkLoop_->stop();
    shutDownWorkerPool();
}

void zelvanAppDelegate::shutDownWorkerPool() {
    std::shared_ptr<fnd::WorkerPool> pool;
    {
        std::lock_guard lock(servicesMutex_);
        pool = registry_.workerPool.made; // a pool nobody asked for was never made, and has no threads
    }
    if (pool) {
        pool->shutdown();
    }
}

void zelvanAppDelegate::wireNetworkLoop() {
    ownCommands_ = std::make_shared<OwnCommands>(*this);
    connectionEvents_ = std::make_shared<ConnectionEvents>(*this);
    std::weak_ptr<zelvanAppDelegate> weak = weak_from_this();
    networkLoop_->setConnectionListener(connectionEvents_);
    networkLoop_->setPacketHandler([this](const fnd::Value& packet) { connectionDidReceiveData(packet); });
    networkLoop_->setLogInHandler([this] { logInAgain(); });
    networkLoop_->setSliceHandler([this] {
        if (auto cache = zelvanWebCache()) {
            cache->startQueuedFetches();
        }
    });
    networkLoop_->setRetryAlertHandler([weak] { onMain(weak, &zelvanAppDelegate::showRetryAlert); });
}

void zelvanAppDelegate::buildCommandMap() {
    // The map exists from here on, so a registration made before the first packet is kept. The
    // fixed owners are filled as far as their objects exist.
    commandMap_.setFallback(ownCommands_);
    commandMap_.setOwner(CommandMap::Owner::Messenger, im());
    commandMap_.setOwner(CommandMap::Owner::AvatarManager, avatarManager());
    commandMap_.setOwner(CommandMap::Owner::GamesTab, newgamerooms());
    commandMap_.setOwner(CommandMap::Owner::GameCache, gameCache());
    commandMap_.setOwner(CommandMap::Owner::WebCache, zelvanWebCache());
}

// --- Session state ---

int32_t zelvanAppDelegate::userId() const {
    std::lock_guard lock(stateMutex_);
    return session_.userId;
}

std::optional<std::string> zelvanAppDelegate::sessionKey() const {
    std::lock_guard lock(stateMutex_);
    if (!loggedIn_) {
        return std::nullopt;
    }
    return session_.sessionKey;
}

fnd::Value zelvanAppDelegate::protocol() const {
    std::lock_guard lock(stateMutex_);
    return session_.protocol.isArray() ? session_.protocol : fnd::Value::array();
}

std::string zelvanAppDelegate::displayName() const {
    std::lock_guard lock(stateMutex_);
    return session_.displayName;
}

int zelvanAppDelegate::status() const {
    std::lock_guard lock(stateMutex_);
    return session_.status;
}

bool zelvanAppDelegate::loggedout() const {
    std::lock_guard lock(stateMutex_);
    return !loggedIn_;
}

bool zelvanAppDelegate::locked() const {
    std::lock_guard lock(stateMutex_);
    return locked_;
}

int zelvanAppDelegate::networkStatus() const {
    return fnd::Reachability::internetReachable() ? kNetworkWiFi : 0;
}

bool zelvanAppDelegate::gameAudioEnable() const {
    std::lock_guard lock(stateMutex_);
    return gameAudioEnable_;
}

void zelvanAppDelegate::setGameAudioEnable(bool enable) {
    std::lock_guard lock(stateMutex_);
    gameAudioEnable_ = enable;
}

std::string zelvanAppDelegate::pagePrefix() const {
    return fnd::format("http://%@/", config_.webHost);
}

std::optional<int> zelvanAppDelegate::lastLoginFailure() const {
    std::lock_guard lock(stateMutex_);
    return lastLoginFailure_;
}

// --- Shared objects ---

std::shared_ptr<MessengerService> zelvanAppDelegate::im() {
    return service(&AppRegistry::im);
}
std::shared_ptr<AvatarService> zelvanAppDelegate::avatarManager() {
    return service(&AppRegistry::avatarManager);
}
std::shared_ptr<GameCacheService> zelvanAppDelegate::gameCache() {
    return service(&AppRegistry::gameCache);
}
std::shared_ptr<VoipService> zelvanAppDelegate::zelvanVoip() {
    return service(&AppRegistry::zelvanVoip);
}
std::shared_ptr<WebCacheService> zelvanAppDelegate::zelvanWebCache() {
    return service(&AppRegistry::zelvanWebCache);
}
std::shared_ptr<AdViewService> zelvanAppDelegate::adView() {
    return service(&AppRegistry::adView);
}
std::shared_ptr<PageService> zelvanAppDelegate::homes() {
    return service(&AppRegistry::homes);
}
std::shared_ptr<PageService> zelvanAppDelegate::moreController() {
    return service(&AppRegistry::moreController);
}
std::shared_ptr<GamesTabService> zelvanAppDelegate::newgamerooms() {
    return service(&AppRegistry::newgamerooms);
}
std::shared_ptr<MessageSoundService> zelvanAppDelegate::msgPlayer() {
    return service(&AppRegistry::msgPlayer);
}

std::shared_ptr<orvane::OrvaneContext> zelvanAppDelegate::orvane() {
    return service(&AppRegistry::orvane);
}

std::shared_ptr<adwick::AdwickContext> zelvanAppDelegate::adwick() {
    return service(&AppRegistry::adwick);
}
std::shared_ptr<tallio::TallioContext> zelvanAppDelegate::tallio() {
    return service(&AppRegistry::tallio);
}

std::shared_ptr<marlin::MarlinContext> zelvanAppDelegate::marlin() {
    return service(&AppRegistry::marlin);
}

std::shared_ptr<kavlo::KavloContext> zelvanAppDelegate::kavlo() {
    return service(&AppRegistry::kavlo);
}

const std::shared_ptr<ZelvanStyle>& zelvanAppDelegate::style() const {
    return ZelvanStyle::shared();
}

// --- Strategies and bridge targets ---

std::shared_ptr<PhotoSource> zelvanAppDelegate::photoSource() {
    return service(&AppRegistry::photoSource);
}
std::shared_ptr<CardPictureRule> zelvanAppDelegate::cardPictureRule() {
    return service(&AppRegistry::cardPictureRule);
}
std::shared_ptr<MessageMeasurer> zelvanAppDelegate::messageMeasurer() {
    return service(&AppRegistry::messageMeasurer);
}
std::shared_ptr<ZLVWebDatabaseManager> zelvanAppDelegate::webDatabases() {
    return service(&AppRegistry::webDatabases);
}

std::function<std::shared_ptr<WebDialogController>(zelvanAppDelegate&)>
zelvanAppDelegate::webDialogControllerFactory() const {
    std::lock_guard lock(servicesMutex_);
    return registry_.webDialogController;
}

BridgeTargets zelvanAppDelegate::bridgeTargets() const {
    std::lock_guard lock(servicesMutex_);
    return registry_.bridgeTargets;
}

void zelvanAppDelegate::installBridgeTargets(const std::function<void(BridgeTargets&)>& edit) {
    if (!edit) {
        return;
    }
    std::lock_guard lock(servicesMutex_);
    edit(registry_.bridgeTargets);
}

// --- Packets and handlers ---

void zelvanAppDelegate::send(const fnd::Value& packet) {
    queue_.send(packet);
}

void zelvanAppDelegate::sendPacket(const ZelvanPacket& packet) {
    queue_.sendPacket(packet);
}

void zelvanAppDelegate::addCmdDelegate(int cmd, const std::shared_ptr<CommandHandler>& handler) {
    commandMap_.addCmdDelegate(cmd, handler);
}

void zelvanAppDelegate::removeCmdDelegate(int cmd, const CommandHandler* handler) {
    commandMap_.removeCmdDelegate(cmd, handler);
}

void zelvanAppDelegate::removeCmdDelegate(const CommandHandler* handler) {
    commandMap_.removeCmdDelegate(handler);
}

void zelvanAppDelegate::addConnectionDelegate(const std::shared_ptr<ConnectionListener>& listener) {
    if (!listener) {
        return;
    }
    std::lock_guard lock(listenersMutex_);
    auto& list = connectionListeners_;
    std::erase_if(list, [](const auto& weak) { return weak.expired(); });
    bool known = std::any_of(list.begin(), list.end(), [&](const auto& weak) { return weak.lock() == listener; });
    if (!known) {
        list.push_back(listener);
    }
}

void zelvanAppDelegate::removeConnectionDelegate(const ConnectionListener* listener) {
    std::lock_guard lock(listenersMutex_);
    std::erase_if(connectionListeners_, [&](const auto& weak) {
        auto live = weak.lock();
        return !live || live.get() == listener;
    });
}

std::vector<std::shared_ptr<ConnectionListener>> zelvanAppDelegate::liveConnectionListeners() {
    std::lock_guard lock(listenersMutex_);
    std::vector<std::shared_ptr<ConnectionListener>> live;
    for (const auto& weak : connectionListeners_) {
        if (auto listener = weak.lock()) {
            live.push_back(std::move(listener));
        }
    }
    return live;
}

void zelvanAppDelegate::sendVoip(const fnd::Bytes& chunk) {
    auto voip = zelvanVoip();
    if (voip && voip->readyToSendVoice()) {
        voip->sendData(chunk);
    }
}

} // namespace zelvan
