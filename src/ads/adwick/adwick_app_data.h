// AdwickAppData: the host application's bundle names, read once from the main bundle's information
// dictionary for the ad request's parameters.
#pragma once

#include <memory>
#include <string>

namespace zelvan::adwick {

class AdwickAppData {
public:
    AdwickAppData();
    // The context's instance; null without a context (an entry point, in adwick_entry_points.cpp).
    static std::shared_ptr<AdwickAppData> sharedAppData();

    const std::string& bundleDisplayName() const { return bundleDisplayName_; }
    const std::string& bundleName() const { return bundleName_; }
    const std::string& bundleIdentifier() const { return bundleIdentifier_; }

private:
    std::string bundleDisplayName_;
    std::string bundleName_;
    std::string bundleIdentifier_;
};

} // namespace zelvan::adwick
