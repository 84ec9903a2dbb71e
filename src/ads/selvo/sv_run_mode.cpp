// Run mode and verbose-log switch over the context.
#include "ads/selvo/sv_run_mode.h"

#include "ads/selvo/selvo_context.h"

namespace zelvan::selvo {

void SVSetTestMode(SelvoContext& context, int on) {
    context.setRunMode(on == 1 ? SelvoContext::kRunModeTest : SelvoContext::kRunModeProduction);
}

int SVRunMode(const SelvoContext& context) {
    return context.runMode();
}

void SVSetLogging(SelvoContext& context, bool on) {
    context.setVerbose(on);
}

bool SVIsLoggingOn(const SelvoContext& context) {
    return context.verbose();
}

} // namespace zelvan::selvo
