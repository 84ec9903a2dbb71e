// Composition root: the web cache as the delegate's web cache and the photo viewer's source, the page
// controller of web dialogs, the web databases following the connection and the signed-in user, the
// messenger's card pictures behind the widget kit, the avatar manager behind them and the pages, and
// the messenger controller with the pages' chat opener, the avatar shop's item bar, which loads
// through the web cache, the game resource cache with its version store behind the pages, the game
// lobby's chips exchange panel and invitation dialog, the Games tab controller with the natives' host
// of its games, the More tab's page controller, the message alert sound, the reachability monitor, the
// shared worker pool, and the ad, offer, analytics and store networks, each installed by its wiring file
// (app/wiring/) with its endpoint under --ads-base.
#include "app/services.h"

#include <memory>

#include "app/wiring/networks.h"
#include "games/cache/zelvan_game_cache.h"
#include "games/cache/zlv_game_version.h"
#include "games/room/app_game_host.h"
#include "games/room/game_lobby_panels.h"
#include "games/room/game_room_web_controller.h"
#include "games/screen/message_sound.h"
#include "messaging/avatars/messenger_card_pictures.h"
#include "messaging/avatars/z_avatar_item_bar.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/lists/im_controller.h"
#include "messaging/voice/zelvan_voip.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"
#include "platform/foundation/worker_pool.h"
#include "reachability/reachability.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan::app {

AppRegistry makeRegistry(std::string_view adsBase) {
    AppRegistry registry;
    registry.zelvanWebCache.factory = [](zelvanAppDelegate& delegate) {
        return ZelvanWebCache::makeForDelegate(delegate);
    };
    // The web cache is also where the photo viewer's pictures come from.
    registry.photoSource.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<PhotoSource> {
        return std::dynamic_pointer_cast<ZelvanWebCache>(delegate.zelvanWebCache());
    };
    registry.homes.factory = [](zelvanAppDelegate&) { return ZAdvancedWebViewController::initWithUrl("static_home"); };
    registry.moreController.factory = [](zelvanAppDelegate&) {
        return ZAdvancedWebViewController::initWithUrl("static_more");
    };
    registry.webDatabases.factory = [](zelvanAppDelegate&) { return std::make_shared<ZLVWebDatabaseManager>(); };
    registry.webDialogController = [](zelvanAppDelegate&) -> std::shared_ptr<WebDialogController> {
        return ZAdvancedWebViewController::create();
    };
    auto cardPictures = std::make_shared<MessengerCardPictures>();
    registry.cardPictureRule.factory = ServiceSlot<CardPictureRule>::fixed(cardPictures);
    // Made on the main thread at launch (its request timer runs on the main run loop); it follows the
    // connection to ask again for answers lost with it, supplies the card pictures' heads and group
    // pictures, and is the pages' avatar finder.
    registry.avatarManager.factory = [cardPictures](zelvanAppDelegate& delegate) -> std::shared_ptr<AvatarService> {
        auto manager = ZelvanAvatarManager::makeForDelegate(delegate);
        manager->initCache();
        delegate.addConnectionDelegate(manager);
        delegate.installBridgeTargets([&](BridgeTargets& targets) { targets.avatarFinder = manager; });
        cardPictures->setAvatarHeads(manager);
        return manager;
    };
    // Made when the command map is built at launch; it is also the pages' game version store and
    // cache reset.
    registry.gameCache.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<GameCacheService> {
        auto cache = ZelvanGameCache::makeForDelegate(delegate);
        if (!cache->initCache()) {
            ZLOG(Error, "game cache init failed");
        }
        delegate.installBridgeTargets([&](BridgeTargets& targets) {
            targets.gameVersion = cache->getVersion();
            targets.gameCache = cache;
        });
        return cache;
    };
    // Made on the main thread when the window is built; it follows the connection, and the games it
    // opens reach the delegate, the game cache, the controller itself and the photo album through
    // their host.
    registry.newgamerooms.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<GamesTabService> {
        auto controller = GameRoomWebController::create(delegate.shared_from_this());
        auto cache = std::dynamic_pointer_cast<ZelvanGameCache>(delegate.gameCache());
        controller->setGameHost(std::make_shared<AppGameHost>(delegate.weak_from_this(), cache, controller));
        delegate.addConnectionDelegate(controller);
        return controller;
    };
    // Made on the main thread when the window is built; it keeps the contact lists and opens the
    // pages' chats and chat group member screens.
    registry.im.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<MessengerService> {
        auto controller = IMController::create(delegate.shared_from_this());
        std::weak_ptr<zelvanAppDelegate> weak = delegate.weak_from_this();
        controller->setFeatureVisible([weak](const std::string& name) {
            auto strong = weak.lock();
            auto databases = strong ? strong->webDatabases() : nullptr;
            return databases && databases->featureVisible(name) != 0;
        });
        delegate.installBridgeTargets([&](BridgeTargets& targets) {
            targets.chatOpener = controller;
            targets.chatGroupManager = controller;
        });
        return controller;
    };
    // Made in the delegate's start-up; the network loop polls it and the delegate hands it command 10.
    registry.zelvanVoip.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<VoipService> {
        return ZelvanVoip::makeForDelegate(delegate);
    };
    // The message alert over the bundle's "msg.wav"; none when the bundle has no such sound.
    registry.msgPlayer.factory = [](zelvanAppDelegate&) -> std::shared_ptr<MessageSoundService> {
        return MessageSound::fromBundle(fnd::Bundle::main());
    };
    // The one reachability monitor the networks share.
    registry.reachability.factory = [](zelvanAppDelegate&) { return std::make_shared<Reachability>(); };
    // The worker threads the networks' short blocking work shares ("worker 1" ...).
    registry.workerPool.factory = [](zelvanAppDelegate&) {
        return std::make_shared<fnd::WorkerPool>("worker", fnd::WorkerPool::kDefaultThreads);
    };
    // The networks, each under its endpoint of the --ads-base URL.
    if (adsBase.empty()) {
        ZLOG(Info, "no --ads-base given: the ad, offer, analytics and store networks are not configured and send "
                   "nothing");
    }
    installOrvane(registry, NetworkEndpoint(adsBase, "/orvane"));
    installSelvo(registry, NetworkEndpoint(adsBase, "/selvo"));
    installKavlo(registry, NetworkEndpoint(adsBase, "/kavlo"));
    installAdwick(registry, NetworkEndpoint(adsBase, "/adwick"));
    installBrightpoint(registry, NetworkEndpoint(adsBase, "/brightpoint"));
    installTallio(registry, NetworkEndpoint(adsBase, "/tallio"));
    installMarlin(registry, NetworkEndpoint(adsBase, "/marlin"));
    installMediation(registry, NetworkEndpoint(adsBase, ""));
    return registry;
}

void connectServices(zelvanAppDelegate& delegate) {
    if (auto databases = delegate.webDatabases()) {
        delegate.addConnectionDelegate(databases->connectionListener());
        delegate.addLoginObserver([databases](const LoginSession& session) { databases->setUserId(session.userId); });
    }
    // A page's showAvatarItemBar makes a bar that loads through the delegate's web cache; the lobby
    // page's openChipsExchange and openGameInvite open their panels over the page.
    std::weak_ptr<zelvanAppDelegate> weak = delegate.weak_from_this();
    auto lobbyPanels = GameLobbyPanels::create(weak);
    delegate.installBridgeTargets([&](BridgeTargets& targets) {
        // A page's showOffers with type 2 opens the Brightpoint offer wall.
        targets.offerWall = std::make_shared<brightpoint::BPOfferWallOpener>();
        targets.chipsExchange = lobbyPanels;
        targets.gameInvite = lobbyPanels;
        targets.avatarItemBarFactory = [weak](const gfx::Rect& frame) -> std::shared_ptr<AvatarItemBarTarget> {
            auto strong = weak.lock();
            auto cache = strong ? std::dynamic_pointer_cast<ZelvanWebCache>(strong->zelvanWebCache()) : nullptr;
            if (!cache) {
                return nullptr;
            }
            return ZAvatarItemBar::create(frame, cache);
        };
    });
}

} // namespace zelvan::app
