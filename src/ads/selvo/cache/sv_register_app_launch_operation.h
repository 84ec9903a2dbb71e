// SVRegisterAppLaunchOperation: reports the host application's launch to the ad server ("logAction?")
// until one report succeeds; the success is kept in the user default "<display name>_SVRegister", and
// callers create the operation only while alreadyRegistered() is NO.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/operation_queue.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;

class SVRegisterAppLaunchOperation : public fnd::Operation {
public:
    // `context` outlives the queue the operation runs on.
    SVRegisterAppLaunchOperation(SelvoContext& context, const fnd::Value& userInfo);

    std::string className() const override { return "SVRegisterAppLaunchOperation"; }
    void main() override;
    void processActionURLRequest();

    // Whether a launch report has already succeeded on this installation.
    static bool alreadyRegistered();
    static void registerAppInUserPreferences();
    // "%@_SVRegister" with the application's display name.
    static std::string registerKey();

private:
    SelvoContext& context_;
    const fnd::Value userInfo_;
};

} // namespace zelvan::selvo
