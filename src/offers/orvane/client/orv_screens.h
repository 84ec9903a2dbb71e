// The offer network's screens as the client core sees them: the store view it opens, the download handler
// of bought items, and the maker of the store, leaderboard and submit-score screens, installed on the
// context by the composition root (none until then: the openers log one line and open nothing).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "offers/orvane/client/orv_goods_records.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

// The store of virtual goods. The facade sets the opening tab (1 "My Items", 2 after a bought-goods
// update, other "Available Items") and the row to scroll to, then calls myLoadView. When it leaves its
// superview after having had one it counts as closed, and whoever watches it (the facade) is told once.
class ORVStoreView : public ui::View {
public:
    int tabIndex() const { return tabIndex_; }
    virtual void setTabIndex(int tab) { tabIndex_ = tab; }
    int scrollToRow() const { return scrollToRow_; }
    virtual void setScrollToRow(int row) { scrollToRow_ = row; }
    // Builds the screen for tabIndex.
    virtual void myLoadView() = 0;

    bool closed() const { return closed_; }
    void setOnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }
    // Subclasses that override this call it.
    void didMoveToSuperview() override;

private:
    int tabIndex_ = 0;
    int scrollToRow_ = 0;
    bool placed_ = false;
    bool closed_ = false;
    std::function<void()> onClose_;
};

// The registry of running downloads of bought items, reached through ORVShadow::vgController.
class ORVFileDownloadHandler {
public:
    virtual ~ORVFileDownloadHandler() = default;
    // Starts the download of the item unless it is stored or already running.
    virtual void downloadItem(const ORVAllVGStoreItemClass& item) = 0;
    // The running download's progress strip, the "Download Complete" strip of a stored item, or null.
    virtual std::shared_ptr<ui::View> getVGPurchasedItemDownloadProgressView(const std::string& storeItemId) = 0;
    // Drops every download that shows its retry button (the store view calls this when it closes).
    virtual void removeDownloadErrorObjects() = 0;
};

// Makes the offer network's screens.
class ORVScreens {
public:
    virtual ~ORVScreens() = default;
    // A new store view (GetVirtualGoods) with the frame.
    virtual std::shared_ptr<ORVStoreView> makeVirtualGoods(gfx::Rect frame) = 0;
    // A new leaderboard panel (HighScoreFilterPanel) with the frame and the six filters.
    virtual std::shared_ptr<ui::View> makeHighScoreFilterPanel(gfx::Rect frame, const ORVFilters& filters) = 0;
    // A new submit-score dialog (ShowSubmitHighScoreBox) for the panel frame, given the score's values
    // (its player name is left empty: the dialog asks for it).
    virtual std::shared_ptr<ui::View> makeSubmitHighScoreBox(gfx::Rect frame, const ORVScoreSubmission& values) = 0;
    // The one download handler of bought items.
    virtual std::shared_ptr<ORVFileDownloadHandler> makeFileDownloadHandler() = 0;
};

} // namespace zelvan::orvane
