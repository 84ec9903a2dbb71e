// The offer network's store of virtual goods for the demo driver: opened through the facade, read back for
// the summary.
#include "app/demo/orvane_store_demo.h"

#include "core/zelvan_app_delegate.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/goods/get_virtual_goods.h"
#include "platform/foundation/format.h"

namespace zelvan::app {

bool boughtGoodsChecked(zelvanAppDelegate& delegate) {
    auto context = delegate.orvane();
    if (!context || !context->facade()) {
        return false;
    }
    return context->modelController()->getPurchasedVGStoreItemsArray().has_value() ||
           context->shadow()->connectState() == orvane::ORVShadow::ConnectState::Failed;
}

std::shared_ptr<ui::View> openGoodsStore(zelvanAppDelegate& delegate, ui::View& window) {
    auto context = delegate.orvane();
    auto facade = context ? context->facade() : nullptr;
    if (!facade) {
        return nullptr;
    }
    auto store = facade->getVirtualGoods();
    if (store) {
        window.addSubview(store);
    }
    return store;
}

bool goodsStoreListed(const std::shared_ptr<ui::View>& store) {
    auto goods = std::dynamic_pointer_cast<orvane::GetVirtualGoods>(store);
    return goods && !goods->allVGStoreItemsArray().empty() && goods->loadingImagePage() &&
           goods->loadingImagePage()->isHidden() &&
           goods->downloadStatusArray().size() == goods->purchasedVGStoreItemsArray().size() &&
           !goods->purchasedVGStoreItemsArray().empty();
}

std::vector<std::string> goodsStoreReport(const std::shared_ptr<ui::View>& store) {
    auto goods = std::dynamic_pointer_cast<orvane::GetVirtualGoods>(store);
    if (!goods) {
        return {};
    }
    auto service = orvane::ORVWebServiceInterface::sharedInstance();
    const int more = service ? service->getMoreDataValueForAllItems() : 0;
    int downloaded = 0;
    for (int status : goods->downloadStatusArray()) {
        downloaded += status;
    }
    return {fnd::format("GetAllVGStoreItems answered: %d items, %d more",
                        static_cast<int>(goods->allVGStoreItemsArray().size()), more),
            fnd::format("GetPurchasedVGStoreItems answered: %d bought, %d on the device",
                        static_cast<int>(goods->purchasedVGStoreItemsArray().size()), downloaded),
            "balance: " + (goods->lowerBarCurrencyLabel() ? goods->lowerBarCurrencyLabel()->text() : std::string())};
}

} // namespace zelvan::app
