// AppRegistry: the one registry of the application. It holds the factories of the shared services the
// delegate hands out, the targets the pages' bridge reaches and the strategies through which one
// library plugs its behaviour into another. The composition root in app/ fills it; the application
// delegate owns it; tests build their own.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/app_services.h"
#include "core/bridge_targets.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan {

class zelvanAppDelegate;
class CardPictureRule;
class MessageMeasurer;
class PhotoSource;
class WebDialogController;
class ZLVWebDatabaseManager;
class Reachability;
namespace orvane {
class OrvaneContext;
}
namespace selvo {
class SelvoContext;
}
namespace adwick {
class AdwickContext;
}
namespace brightpoint {
class BrightpointContext;
}
namespace kavlo {
class KavloContext;
}
namespace tallio {
class TallioContext;
}
namespace mediation {
class MediationContext;
}
namespace marlin {
class MarlinContext;
}

// One shared object: made by its factory, which is handed the delegate, the first time it is asked
// for, then kept. A slot without a factory gives null.
template <class T>
struct ServiceSlot {
    using Factory = std::function<std::shared_ptr<T>(zelvanAppDelegate&)>;

    Factory factory;
    // What the factory made (or what was provided later); the delegate fills these under its lock.
    std::shared_ptr<T> made;
    bool tried = false;

    // A factory that hands out an object made beforehand.
    static Factory fixed(std::shared_ptr<T> object) {
        return [object = std::move(object)](zelvanAppDelegate&) { return object; };
    }
};

struct AppRegistry {
    // --- The shared objects of the delegate's getters ---
    ServiceSlot<MessengerService> im;
    ServiceSlot<AvatarService> avatarManager;
    ServiceSlot<GameCacheService> gameCache;
    ServiceSlot<VoipService> zelvanVoip;
    ServiceSlot<WebCacheService> zelvanWebCache;
    ServiceSlot<AdViewService> adView;
    ServiceSlot<PageService> homes;
    ServiceSlot<PageService> moreController;
    ServiceSlot<GamesTabService> newgamerooms;
    ServiceSlot<MessageSoundService> msgPlayer;
    // The scoped web databases of the pages.
    ServiceSlot<ZLVWebDatabaseManager> webDatabases;
    // The offer network's shared context (its parser, skin, log threshold, colour and addresses).
    ServiceSlot<orvane::OrvaneContext> orvane;
    // The Selvo ad client's shared context (its verbose flag, error sink and the reachability monitor).
    ServiceSlot<selvo::SelvoContext> selvo;
    // The product's one network-reachability monitor (the Selvo and Marlin clients ask it).
    ServiceSlot<Reachability> reachability;
    // The worker threads short blocking work shares; the delegate shuts the pool down (joining its
    // threads) when the application terminates and when the delegate goes.
    ServiceSlot<fnd::WorkerPool> workerPool;
    // The Adwick banner client's shared context (its services, user agent and addresses).
    ServiceSlot<adwick::AdwickContext> adwick;
    // The Brightpoint offer wall's shared context (its icon cache).
    ServiceSlot<brightpoint::BrightpointContext> brightpoint;
    // The Kavlo analytics client's shared context (its event queue, JSON writer and reachability front).
    ServiceSlot<kavlo::KavloContext> kavlo;
    // The Tallio analytics client's process-wide state (its session, key, addresses and report sender).
    ServiceSlot<tallio::TallioContext> tallio;
    // The banner mediation's shared context (its controller registry, network starters and settings).
    ServiceSlot<mediation::MediationContext> mediation;
    // The Marlin interstitial client's process-wide state (its entry points' values, controller, addresses).
    ServiceSlot<marlin::MarlinContext> marlin;

    // --- Strategies ---
    // Where the photo viewer gets its pictures (the web resource cache).
    ServiceSlot<PhotoSource> photoSource;
    // Which status picture a card shows (the messenger's rule).
    ServiceSlot<CardPictureRule> cardPictureRule;
    // How much room a chat line takes (null: the chat view's token layout).
    ServiceSlot<MessageMeasurer> messageMeasurer;
    // The page controller of every new web dialog (null or empty: a plain web view).
    std::function<std::shared_ptr<WebDialogController>(zelvanAppDelegate&)> webDialogController;

    // --- Advertising features the game server turns on (command 109) ---
    // Name -> what starts it, once per signed-in user, on the main thread.
    using AdFeatureStarter = std::function<void(zelvanAppDelegate&, const LoginSession&)>;
    std::map<std::string, AdFeatureStarter> adFeatureStarters;

    // --- The native targets of the pages' bridge object ---
    BridgeTargets bridgeTargets;
};

} // namespace zelvan
