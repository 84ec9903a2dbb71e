// Makes the offer network's context and its client objects, each given what it uses.
#include "offers/orvane/orvane_wiring.h"

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/sqlite_controller.h"

namespace zelvan::orvane {

std::shared_ptr<OrvaneContext> makeOrvane(const NetworkEndpoint& endpoint, std::string skinFolder,
                                          std::string goodsStorePath) {
    ORVLog::setLogThreshold(ORVLog::kDefaultThreshold);
    auto context = std::make_shared<OrvaneContext>(endpoint, std::move(skinFolder));
    OrvaneContext& values = *context;
    OrvaneContext::Objects objects;
    objects.modelController = std::make_shared<ORVModelController>();
    objects.sqliteController = std::make_shared<SqliteController>(
        goodsStorePath.empty() ? SqliteController::defaultPath() : std::move(goodsStorePath));
    auto prompt = std::make_shared<LocalPurchasedItems>(values, objects.modelController, objects.sqliteController);
    objects.webServiceInterface =
        std::make_shared<ORVWebServiceInterface>(values, objects.modelController, objects.sqliteController, prompt);
    objects.shadow = std::make_shared<ORVShadow>(values, objects.modelController, objects.sqliteController,
                                                 objects.webServiceInterface);
    objects.webServiceInterface->setShadow(objects.shadow);
    objects.filtersValueInfo = std::make_shared<ORVFiltersValueInfo>();
    // The facade is made by the first connect request (OrvaneConnect::requestOrvaneConnectWithDelegate).
    objects.makeFacade = [&values, shadow = objects.shadow] { return std::make_shared<OrvaneConnect>(values, shadow); };
    context->setObjects(std::move(objects));
    return context;
}

} // namespace zelvan::orvane
