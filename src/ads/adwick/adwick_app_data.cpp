// The bundle names the ad request sends.
#include "ads/adwick/adwick_app_data.h"

#include "platform/foundation/bundle.h"

namespace zelvan::adwick {

AdwickAppData::AdwickAppData() {
    fnd::Bundle& bundle = fnd::Bundle::main();
    auto text = [&bundle](std::string_view key) {
        fnd::Value v = bundle.objectForInfoDictionaryKey(key);
        return v.isString() ? *v.asString() : std::string();
    };
    bundleDisplayName_ = text("CFBundleDisplayName");
    bundleName_ = text("CFBundleName");
    bundleIdentifier_ = text("CFBundleIdentifier");
}

} // namespace zelvan::adwick
