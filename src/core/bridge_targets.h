// The native services the pages' bridge object reaches: one small interface per service, gathered in
// BridgeTargets, which the application registry holds and the modules that implement them fill.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace ui {
class View;
} // namespace ui

namespace zelvan {

class WebPageHost;

// A game screen whose script engine a page shown over it may call. The bridge finds it as the page
// controller's parent controller, so the game screen controller implements this next to being a
// ui::ViewController.
class GameScreenTarget {
public:
    virtual ~GameScreenTarget() = default;
    // Runs the engine's entry point `name` with `args` (the decoded argument value, or null for
    // none). Called on the main thread; the engine's own lock serialises it with the game thread.
    virtual void engineCall(const std::string& name, const fnd::Value& args) = 0;
};

// The avatar shop's native item strip that a page places over itself.
class AvatarItemBarTarget {
public:
    virtual ~AvatarItemBarTarget() = default;
    // The strip as a view, to be added to the page's view.
    virtual std::shared_ptr<ui::View> view() = 0;
    // The page's view, which the strip calls back with script (held weakly by the strip).
    virtual void setWebView(const std::shared_ptr<ui::View>& webView) = 0;
    // Loads the item list named by the page's context dictionary, relative to the page's URL.
    virtual void refreshWithCtx(const fnd::Value& ctx, const std::string& baseURL) = 0;
    virtual void selectButton(int32_t index, bool select) = 0;
    virtual void scrollToItem(int32_t index, bool animated) = 0;
    virtual void flashScrollIndicators() = 0;
};

// Makes a strip with the given frame (what initWithFrame does); null when it cannot.
using AvatarItemBarFactory = std::function<std::shared_ptr<AvatarItemBarTarget>(const gfx::Rect& frame)>;

// Hears that a user's picture of one kind changed. Called on the main thread.
class AvatarUpdateListener {
public:
    virtual ~AvatarUpdateListener() = default;
    virtual void avatarUpdated(int32_t userId, int32_t type, int32_t version) = 0;
};

// The avatar manager as the pages see it.
class AvatarFinder {
public:
    virtual ~AvatarFinder() = default;
    // The file holding the user's picture of `type` (1 home picture, 2 head, 3 full avatar, 4 chat
    // group), grey when asked; nullopt when there is none to show.
    virtual std::optional<std::string> findAvatarPath(int32_t userId, int32_t type, bool grayscale) = 0;
    // The user's head picture (the default head while none is stored), grey when asked; null when
    // not even the default can be read.
    virtual gfx::ImagePtr newImageAvatarHead(int32_t userId, bool grayscale) = 0;
    // Adds a listener, held weakly: one that goes is dropped without being removed.
    virtual void addDelegate(const std::shared_ptr<AvatarUpdateListener>& listener) = 0;
    // Removes a listener added before; one never added is ignored.
    virtual void removeDelegate(const std::shared_ptr<AvatarUpdateListener>& listener) = 0;
};

// The per-game resource version store and its download run.
class GameVersionTarget {
public:
    virtual ~GameVersionTarget() = default;
    // The resource version completed for the game and language, -1 when none.
    virtual int32_t getLocaleVersion(int32_t gameId, const std::string& language) = 0;
    // Starts bringing the game's resources up to date; false when a run is already under way.
    virtual bool startDownload(int32_t gameId, const std::string& language, const std::string& name) = 0;
    virtual bool hasDownloadView() = 0;
    // Shows the running download's progress bar.
    virtual void showDownloadView() = 0;
};

// Opens the panel that turns the service's currency into game chips, over `page`. `callback` is the
// page's function that hears the units chosen ("" when the page named none; the bridge has checked it
// is a plain function name).
class ChipsExchangeOpener {
public:
    virtual ~ChipsExchangeOpener() = default;
    virtual void openChipsExchange(int32_t zelvans, const std::string& callback,
                                   const std::shared_ptr<WebPageHost>& page) = 0;
};

// Opens the dialog that invites a friend to the game, over `page`.
class GameInviteOpener {
public:
    virtual ~GameInviteOpener() = default;
    virtual void openGameInvite(int32_t gameId, const std::shared_ptr<WebPageHost>& page) = 0;
};

// The game resource cache's reset.
class GameCacheTarget {
public:
    virtual ~GameCacheTarget() = default;
    virtual void clearCache() = 0;
};

// The messenger: brings a card's chat to the front. `cardInfo` is the dictionary the page gave.
class ChatOpener {
public:
    virtual ~ChatOpener() = default;
    virtual void showChatWithCard(const fnd::Value& cardInfo) = 0;
};

// The messenger: shows the member management screen of one of the user's chat groups.
class ChatGroupManagerOpener {
public:
    virtual ~ChatGroupManagerOpener() = default;
    virtual void manageChatGroup(int32_t groupId) = 0;
};

// The offer wall: opens the offers of one kind (2: the tabbed offer wall); other kinds are refused.
class OfferWallOpener {
public:
    virtual ~OfferWallOpener() = default;
    virtual void showOffers(int32_t type) = 0;
};

// Every target the bridge reaches; an empty member means its module has not installed it yet. The
// application delegate keeps one set in its registry (installBridgeTargets / bridgeTargets).
struct BridgeTargets {
    AvatarItemBarFactory avatarItemBarFactory;
    std::shared_ptr<AvatarFinder> avatarFinder;
    std::shared_ptr<GameVersionTarget> gameVersion;
    std::shared_ptr<ChipsExchangeOpener> chipsExchange;
    std::shared_ptr<GameInviteOpener> gameInvite;
    std::shared_ptr<GameCacheTarget> gameCache;
    std::shared_ptr<ChatOpener> chatOpener;
    std::shared_ptr<ChatGroupManagerOpener> chatGroupManager;
    std::shared_ptr<OfferWallOpener> offerWall;
};

} // namespace zelvan
