// The delegate's game resource cache: its folder, the bundle, the delegate's send, and a version store
// whose download runs use the delegate's command map, connection, web cache and Games tab.
#include <memory>

#include "core/zelvan_app_delegate.h"
#include "games/cache/zelvan_game_cache.h"
#include "games/cache/zlv_game_download_view.h"
#include "games/cache/zlv_game_version.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {

namespace {

GameDownloadEnvironment downloadEnvironment(zelvanAppDelegate& delegate, std::weak_ptr<ZelvanGameCache> cache) {
    std::weak_ptr<zelvanAppDelegate> weak = delegate.weak_from_this();
    GameDownloadEnvironment environment;
    environment.sendPacket = [weak](const ZelvanPacket& packet) {
        if (auto app = weak.lock()) {
            app->sendPacket(packet);
        }
    };
    environment.addCmdDelegate = [weak](int cmd, const std::shared_ptr<CommandHandler>& handler) {
        if (auto app = weak.lock()) {
            app->addCmdDelegate(cmd, handler);
        }
    };
    environment.removeCmdDelegate = [weak](const CommandHandler* handler) {
        if (auto app = weak.lock()) {
            app->removeCmdDelegate(handler);
        }
    };
    environment.addConnectionDelegate = [weak](const std::shared_ptr<ConnectionListener>& listener) {
        if (auto app = weak.lock()) {
            app->addConnectionDelegate(listener);
        }
    };
    environment.removeConnectionDelegate = [weak](const ConnectionListener* listener) {
        if (auto app = weak.lock()) {
            app->removeConnectionDelegate(listener);
        }
    };
    environment.webHost = delegate.zelvanWebHost();
    environment.gameCache = std::move(cache);
    environment.webCache = std::dynamic_pointer_cast<ZelvanWebCache>(delegate.zelvanWebCache());
    environment.gamesTab = [weak]() -> std::shared_ptr<ZAdvancedWebViewController> {
        auto app = weak.lock();
        return app ? std::dynamic_pointer_cast<ZAdvancedWebViewController>(app->newgamerooms()) : nullptr;
    };
    environment.showInfo = [weak](const std::string& message) {
        if (auto app = weak.lock()) {
            app->showInfo("", message);
        }
    };
    return environment;
}

} // namespace

std::shared_ptr<ZelvanGameCache> ZelvanGameCache::makeForDelegate(zelvanAppDelegate& delegate) {
    auto store = std::make_shared<ZLVGameVersion>();
    std::weak_ptr<zelvanAppDelegate> weakApp = delegate.weak_from_this();
    GameCacheEnvironment environment{defaultCachePath(), fnd::Bundle::main().resourcePath(),
                                     [weakApp](const ZelvanPacket& packet) {
                                         if (auto app = weakApp.lock()) {
                                             app->sendPacket(packet);
                                         }
                                     }};
    auto cache = std::make_shared<ZelvanGameCache>(std::move(environment), store);
    std::weak_ptr<ZelvanGameCache> weakCache = cache;
    store->setRunFactory(
        [weakApp, weakCache](std::weak_ptr<ZLVGameVersion> owner) -> std::shared_ptr<ZLVGameDownloadView> {
            auto app = weakApp.lock();
            if (!app) {
                return nullptr;
            }
            return std::make_shared<ZLVGameDownloadView>(downloadEnvironment(*app, weakCache), std::move(owner));
        });
    return cache;
}

} // namespace zelvan
