// The facade's openers of the store, the leaderboard panel and the submit-score dialog.
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "platform/ui/screen.h"

namespace zelvan::orvane {

std::shared_ptr<ORVScreens> OrvaneConnect::installedScreens() const {
    auto screens = context_.screens();
    if (!screens) {
        ORVLog::logWithLevel(3, "OrvaneConnect: no screens are installed, so none opens");
    }
    return screens;
}

std::shared_ptr<ORVStoreView> OrvaneConnect::openStore(int tab, std::optional<int> row) {
    storeView_->reset();
    auto screens = installedScreens();
    if (!screens) {
        return nullptr;
    }
    // The application frame: the whole screen, or the 460 points under the status bar while it shows.
    auto store = screens->makeVirtualGoods(ui::Screen::main().applicationFrame());
    if (!store) {
        return nullptr;
    }
    store->setTabIndex(tab);
    if (row) {
        store->setScrollToRow(*row);
    }
    // A closed store is never handed out (or shown) again.
    std::weak_ptr<std::weak_ptr<ORVStoreView>> slot = storeView_;
    ORVStoreView* closing = store.get();
    store->setOnClose([slot, closing] {
        auto held = slot.lock();
        if (held && held->lock().get() == closing) {
            held->reset();
        }
    });
    *storeView_ = store;
    store->myLoadView();
    ORVUtil::animateORVView(store, transitionEffect_, getTransitionDelay());
    return store;
}

std::shared_ptr<ORVStoreView> OrvaneConnect::GetVirtualGoodsWithTab(int tab) {
    return openStore(tab, std::nullopt);
}

std::shared_ptr<ORVStoreView> OrvaneConnect::GetVirtualGoodsWithTab(int tab, int row) {
    return openStore(tab, row);
}

std::shared_ptr<ORVStoreView> OrvaneConnect::getVirtualGoods() {
    return openStore(0, std::nullopt);
}

std::shared_ptr<ui::View> OrvaneConnect::getHighScoresByFilter(const ORVFilters& filters) {
    currentView_.reset();
    auto screens = installedScreens();
    if (!screens) {
        return nullptr;
    }
    currentView_ = screens->makeHighScoreFilterPanel(gfx::Rect(0, 0, 320, 480), filters);
    if (currentView_) {
        ORVUtil::animateORVView(currentView_, transitionEffect_, getTransitionDelay());
    }
    return currentView_;
}

std::shared_ptr<ui::View> OrvaneConnect::showSubmitHighScoresBox(const ORVScoreSubmission& values) {
    auto screens = installedScreens();
    if (!screens) {
        return nullptr;
    }
    auto box = screens->makeSubmitHighScoreBox(gfx::Rect(20, 90, 280, 300), values);
    if (!box) {
        return nullptr;
    }
    currentView_ = box;
    if (auto superview = getApplicationSuperView()) {
        superview->addSubview(box);
    }
    ORVUtil::animateORVView(box, transitionEffect_, getTransitionDelay());
    return box;
}

} // namespace zelvan::orvane
