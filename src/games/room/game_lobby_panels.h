// GameLobbyPanels: the bridge targets that open the game lobby's two native panels over a page - the
// chips exchange panel and the game invitation dialog. The exchange itself stays with the page: the
// panel only tells the page's callback how many units the player chose.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "core/bridge_targets.h"
#include "games/room/exchange_chips_view.h"

namespace zelvan {

class ZLVGameInviteDialog;
class zelvanAppDelegate;

class GameLobbyPanels : public ChipsExchangeOpener,
                        public GameInviteOpener,
                        public ExchangeChipsViewDelegate,
                        public std::enable_shared_from_this<GameLobbyPanels> {
public:
    // The invitation dialogs reach `delegate`, held weakly.
    static std::shared_ptr<GameLobbyPanels> create(std::weak_ptr<zelvanAppDelegate> delegate) {
        return std::make_shared<GameLobbyPanels>(std::move(delegate));
    }
    explicit GameLobbyPanels(std::weak_ptr<zelvanAppDelegate> delegate) : appDelegate_(std::move(delegate)) {}

    // Shows a panel for `zelvans` units centred over the page's view, replacing one still open. The
    // units confirmed go to `callback` in the page (as its one number argument) when one is named.
    void openChipsExchange(int32_t zelvans, const std::string& callback,
                           const std::shared_ptr<WebPageHost>& page) override;
    // Shows an invitation dialog over the page's view with the context {"game": gameId}.
    void openGameInvite(int32_t gameId, const std::shared_ptr<WebPageHost>& page) override;

    // Either answer removes the panel.
    void exchangeZelvan(int32_t zelvans) override;
    void cancelExchange() override;

    // The panel on screen, or null.
    std::shared_ptr<ExchangeChipsView> chipsPanel() const { return panel_; }

private:
    void closePanel();

    std::weak_ptr<zelvanAppDelegate> appDelegate_;
    std::shared_ptr<ExchangeChipsView> panel_;
    std::weak_ptr<WebPageHost> panelPage_;
    std::string callback_;
};

} // namespace zelvan
