// The device part of the request user info and the client's agent string.
#include "ads/selvo/sv_device_info.h"

#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/format.h"
#include "platform/foundation/locale.h"

namespace zelvan::selvo {

std::string SVAgentString() {
    auto& device = device::Device::current();
    const fnd::Bundle& bundle = fnd::Bundle::main();
    std::string version = bundle.objectForInfoDictionaryKey("CFBundleShortVersionString").stringValue();
    if (version.empty()) {
        version = bundle.objectForInfoDictionaryKey("CFBundleVersion").stringValue();
    }
    return fnd::format("%@; %@ %@; %@ %@/%@ %@", device.model(), device.systemName(), device.systemVersion(),
                       fnd::Locale::current().identifier(),
                       bundle.objectForInfoDictionaryKey("CFBundleDisplayName").stringValue(), version,
                       std::string(SVSDKAgent));
}

fnd::Value SVBuildDeviceInfo() {
    auto& device = device::Device::current();
    fnd::Value value = fnd::Value::dictionary();
    auto& info = *value.asDictionary();
    info.setObject(device.uniqueIdentifier(), SVAdRequestDeviceIDKey);
    info.setObject(device.systemName(), SVAdRequestSystemNameKey);
    info.setObject(device.systemVersion(), SVAdRequestSystemVersionKey);
    info.setObject(device.model(), SVAdRequestSystemModelKey);
    if (std::string agent = SVAgentString(); !agent.empty()) {
        info.setObject(agent, SVAdRequestUserAgentKey);
    }
    return value;
}

} // namespace zelvan::selvo
