// The once-per-installation launch report and its user-default record.
#include "ads/selvo/cache/sv_register_app_launch_operation.h"

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_url_builder.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/user_defaults.h"

namespace zelvan::selvo {

SVRegisterAppLaunchOperation::SVRegisterAppLaunchOperation(SelvoContext& context, const fnd::Value& userInfo)
    : context_(context), userInfo_(userInfo) {}

std::string SVRegisterAppLaunchOperation::registerKey() {
    return fnd::format("%@_SVRegister",
                       fnd::Bundle::main().objectForInfoDictionaryKey("CFBundleDisplayName").stringValue());
}

bool SVRegisterAppLaunchOperation::alreadyRegistered() {
    return fnd::UserDefaults::standard().boolForKey(registerKey());
}

void SVRegisterAppLaunchOperation::registerAppInUserPreferences() {
    auto& defaults = fnd::UserDefaults::standard();
    defaults.setBool(true, registerKey());
    defaults.synchronize();
}

void SVRegisterAppLaunchOperation::main() {
    SVLog(&context_, "SVRegisterAppLaunch Operation Starting");
    processActionURLRequest();
    SVLog(&context_, "Operation Done");
}

void SVRegisterAppLaunchOperation::processActionURLRequest() {
    SVLog(&context_, "Reporting action");
    auto url = SVURLBuilder(context_).urlForReportingAction(userInfo_);
    if (!url) {
        SVLogError(&context_, "Error creating ad request url");
        return;
    }
    auto manager = SVCacheManager::forContext(context_);
    if (!manager) {
        return;
    }
    auto data = manager->downloadURL(url, &userInfo_);
    if (isCancelled()) {
        return;
    }
    if (data) {
        SVLog(&context_, "Successfully processed request, response=%@", fnd::logPreview(*data));
        registerAppInUserPreferences();
    } else {
        SVLog(&context_, "Error retrieving ad from server: %@", data.error().localizedDescription());
    }
}

} // namespace zelvan::selvo
