// The lobby's panel openers: placing the chips panel and the invitation dialog over the calling page,
// and handing the units chosen back to the page.
#include "games/room/game_lobby_panels.h"

#include <cmath>

#include "games/room/zlv_game_invite_dialog.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/ui/view.h"
#include "protocol/tracer.h"
#include "web/web_page_host.h"

namespace zelvan {

void GameLobbyPanels::openChipsExchange(int32_t zelvans, const std::string& callback,
                                        const std::shared_ptr<WebPageHost>& page) {
    auto view = page ? page->webView() : nullptr;
    if (!view) {
        ZTRACE_WARN("GameLobbyPanels: no page view to show the chips exchange panel in");
        return;
    }
    if (panel_) {
        ZTRACE_WARN("GameLobbyPanels: a chips exchange panel was still open; it is replaced");
        closePanel();
    }
    panel_ = ExchangeChipsView::initWithZelvan(zelvans);
    const gfx::Rect box = view->bounds();
    panel_->setFrame(gfx::Rect(std::round(box.midX() - ExchangeChipsView::kWidth / 2),
                               std::round(box.midY() - ExchangeChipsView::kHeight / 2), ExchangeChipsView::kWidth,
                               ExchangeChipsView::kHeight));
    panel_->setExchangeChipsViewDelegate(weak_from_this());
    panelPage_ = page;
    callback_ = callback;
    view->addSubview(panel_);
}

void GameLobbyPanels::openGameInvite(int32_t gameId, const std::shared_ptr<WebPageHost>& page) {
    auto view = page ? page->webView() : nullptr;
    if (!view) {
        ZTRACE_WARN("GameLobbyPanels: no page view to show the game invitation dialog in");
        return;
    }
    auto dialog = ui::View::create<ZLVGameInviteDialog>(gfx::Rect(), appDelegate_);
    dialog->refreshWithCtx(fnd::Value::dictionary({{"game", gameId}}));
    dialog->showInView(view, ui::Animated::Yes);
}

void GameLobbyPanels::exchangeZelvan(int32_t zelvans) {
    auto page = panelPage_.lock();
    const std::string callback = callback_;
    closePanel();
    if (callback.empty() || !page) {
        ZLOG(Info, "GameLobbyPanels: %d units chosen for chips; no page callback to tell", static_cast<int>(zelvans));
        return;
    }
    page->callJS(fnd::format("%@(%d)", callback, static_cast<int>(zelvans)));
}

void GameLobbyPanels::cancelExchange() {
    closePanel();
}

void GameLobbyPanels::closePanel() {
    if (panel_) {
        panel_->setExchangeChipsViewDelegate({});
        panel_->removeFromSuperview();
    }
    panel_.reset();
    panelPage_.reset();
    callback_.clear();
}

} // namespace zelvan
