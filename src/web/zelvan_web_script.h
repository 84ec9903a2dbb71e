// ZelvanWebScript: the native object a page controller binds into its pages as "Zelvan". It checks
// what the page passes and hands each call to the game screen, the avatar manager and item strip,
// the game version store, the game panels, the game cache or the messenger.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/bridge_targets.h"
#include "platform/foundation/value.h"
#include "platform/ui/script_host.h"
#include "web/web_page_host.h"

namespace zelvan {

// Methods a page calls (arguments in order; integers may come as whole doubles, flags as booleans or
// numbers; a call with arguments of the wrong kind or range is logged and does nothing):
//   gameScriptCall(name, argsJson)            the game screen's engine entry point `name` with the
//                                             JSON array `argsJson` (null: no arguments); only when
//                                             the page's parent controller is a game screen
//   showAvatarItemBar(x, y, width, height)    creates the avatar item strip over the page (replacing
//                                             an earlier one) and loads it from the page's context;
//                                             true when a strip was made
//   avatarBarSelectButton(index, select)      marks or unmarks the strip's item `index`
//   avatarBarScrollToItem(index, animated)    scrolls the strip's item `index` into view
//   avatarBarFlashScrollIndicators()          flashes the strip's scroll indicators
//   findAvatar(userId, type, grayscale)       the file path of the picture, or null; afterwards the
//                                             page hears of new versions of that picture through
//                                             its function avatarUpdated (below)
//   gameVersion(gameId, language)             the game's stored resource version, -1 when none
//   startGameDownload(gameId, language, name) starts updating the game's resources; false when a
//                                             download already runs
//   isGameDownloading()                       whether a download runs
//   showGameDownload()                        shows the running download's progress bar
//   openChipsExchange(zelvans[, callback])    opens the chips exchange panel for the units held; the
//                                             named page function hears the units the player chose
//   openGameInvite(gameId)                    opens the game invitation dialog
//   clearCache()                              empties the game resource cache
//   showChat(cardInfo)                        opens the chat of a card (a dictionary, or its JSON)
//   manageChatGroup(groupId)                  opens the member management screen of one of the
//                                             user's chat groups in the messenger
//   showOffers(options)                       opens the offers of options.type (a dictionary, or its
//                                             JSON): 2 is the offer wall
//
// Script the bridge runs in the page, only when the page defines the function:
//   avatarUpdated(userId, type, version, path) for each picture the page looked up with findAvatar
//   (grey and colour alike) that changed; `path` is the new file path (a string literal) or null.
//
// Page calls arrive on the main thread, and every target is called on it. Avatar updates that come
// from another thread are moved to the main thread before the page is told.
class ZelvanWebScript : public ui::ScriptObject,
                        public AvatarUpdateListener,
                        public std::enable_shared_from_this<ZelvanWebScript> {
public:
    static std::shared_ptr<ZelvanWebScript> create(std::weak_ptr<WebPageHost> host);

    // The strip made by the last showAvatarItemBar, or null.
    std::shared_ptr<AvatarItemBarTarget> avatarItemBar() const { return avatarItemBar_; }

    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;

private:
    explicit ZelvanWebScript(std::weak_ptr<WebPageHost> host);
    void addPageMethods();

    fnd::Value gameScriptCall(const std::vector<fnd::Value>& args);
    fnd::Value showAvatarItemBar(const std::vector<fnd::Value>& args);
    fnd::Value findAvatar(const std::vector<fnd::Value>& args);
    fnd::Value showChat(const std::vector<fnd::Value>& args);
    fnd::Value showOffers(const std::vector<fnd::Value>& args);
    void tellAvatarUpdated(int32_t userId, int32_t type, int32_t version);
    // The strip, or null with a log line naming `method`.
    std::shared_ptr<AvatarItemBarTarget> requireAvatarItemBar(const char* method) const;

    std::weak_ptr<WebPageHost> host_;
    std::shared_ptr<AvatarItemBarTarget> avatarItemBar_;
    // (user id, type, grey) of the pictures the page looked up, up to kMaxWatchedAvatars, so a page
    // cannot grow it without bound.
    static constexpr size_t kMaxWatchedAvatars = 4096;
    std::set<std::tuple<int32_t, int32_t, bool>> watchedAvatars_;
    bool warnedWatchLimit_ = false;
    bool listening_ = false;
};

} // namespace zelvan
