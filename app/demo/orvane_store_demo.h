// The offer network's store of virtual goods as the demo driver opens it through the facade, and its lines
// of the demo summary.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ui {
class View;
}

namespace zelvan {
class zelvanAppDelegate;
}

namespace zelvan::app {

// Whether the offer network's start-up look at the bought goods is over: its reply is cached (a prompt to
// download a bought item then shows when the device lacks one) or the connect failed.
bool boughtGoodsChecked(zelvanAppDelegate& delegate);
// Opens the store through the facade on "Available Items" in `window`; null without a facade or screens
// (main thread).
std::shared_ptr<ui::View> openGoodsStore(zelvanAppDelegate& delegate, ui::View& window);
// Whether both of the store's lists have arrived and the available one holds items.
bool goodsStoreListed(const std::shared_ptr<ui::View>& store);
// The store's lines of the demo summary: what its GetAllVGStoreItems and GetPurchasedVGStoreItems answered.
std::vector<std::string> goodsStoreReport(const std::shared_ptr<ui::View>& store);

} // namespace zelvan::app
