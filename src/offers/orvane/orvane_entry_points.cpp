// The offer network's class-level entry points: the operations that find the installed context themselves,
// the only callers of context() in this library. Without a context they return null (or the default).
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "platform/foundation/paths.h"

namespace zelvan::orvane {

std::shared_ptr<ORVShadow> ORVShadow::sharedInstance() {
    auto ctx = context();
    return ctx ? ctx->shadow() : nullptr;
}

std::shared_ptr<ORVModelController> ORVModelController::sharedInstance() {
    auto ctx = context();
    return ctx ? ctx->modelController() : nullptr;
}

std::shared_ptr<ORVWebServiceInterface> ORVWebServiceInterface::sharedInstance() {
    auto ctx = context();
    return ctx ? ctx->webServiceInterface() : nullptr;
}

std::shared_ptr<SqliteController> SqliteController::sharedInstance() {
    auto ctx = context();
    return ctx ? ctx->sqliteController() : nullptr;
}

std::shared_ptr<ORVParser> ORVParser::sharedParserInstance() {
    auto ctx = context();
    return ctx ? ctx->parser() : nullptr;
}

std::shared_ptr<OrvaneConnect> OrvaneConnect::sharedOrvaneConnect() {
    auto ctx = context();
    return ctx ? ctx->facade() : nullptr;
}

std::shared_ptr<OrvaneConnect>
OrvaneConnect::requestOrvaneConnectWithDelegate(const std::shared_ptr<OrvaneConnectDelegate>& delegate) {
    auto ctx = context();
    if (!ctx) {
        return nullptr;
    }
    if (auto facade = ctx->facade()) {
        if (delegate) {
            facade->delegate_ = delegate;
        }
        return facade;
    }
    auto facade = ctx->makeFacade();
    if (!facade) {
        return nullptr;
    }
    facade->delegate_ = delegate;
    ctx->setFacade(facade);
    if (facade->shadow_) {
        facade->shadow_->requestConnect();
    }
    return facade;
}

std::shared_ptr<ORVFiltersValueInfo> OrvaneConnect::getFiltersValueInfo() {
    auto ctx = context();
    return ctx ? ctx->filtersValueInfo() : nullptr;
}

gfx::ImagePtr ORVSettings::initWithImageName(std::string_view fileName) {
    auto ctx = context();
    if (!ctx) {
        return nullptr;
    }
    auto path = fnd::containedPath(ctx->skinFolder(), fileName);
    return path ? gfx::Image::imageWithContentsOfFile(*path) : nullptr;
}

int32_t ORVUtil::getUserDefinedColorCode() {
    auto ctx = context();
    return ctx ? ctx->userColorCode() : OrvaneContext::kDefaultUserColorCode;
}

} // namespace zelvan::orvane
