// Wiring of the headless client: the web cache as the delegate's web cache and the photo viewer's
// source, the web databases following the connection and the signed-in user, and the messenger's
// card pictures behind the widget kit, and page controllers behind the web dialogs.
#include "app/services.h"

#include "messaging/messenger_card_pictures.h"
#include "ui/z_simple_photo_view.h"
#include "ui/zelvan_widget.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan::app {

AppServiceFactories serviceFactories() {
    AppServiceFactories factories;
    factories.zelvanWebCache = [] {
        auto cache = ZelvanWebCache::makeForDelegate(*zelvanAppDelegate::instance());
        ZSimplePhotoView::setPhotoSource(cache);
        return cache;
    };
    factories.homes = [] { return ZAdvancedWebViewController::initWithUrl("static_home"); };
    return factories;
}

void connectServices(zelvanAppDelegate& delegate) {
    auto databases = ZLVWebDatabaseManager::sharedInstance();
    delegate.addConnectionDelegate(databases->connectionListener());
    delegate.addLoginObserver([databases](const LoginSession& session) { databases->setUserId(session.userId); });
    ZelvanWidget::setCardPictureRule(std::make_shared<MessengerCardPictures>());
    registerWebPageControllers();
}

} // namespace zelvan::app
