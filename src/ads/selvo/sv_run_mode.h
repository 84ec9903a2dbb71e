// The Selvo client's run mode and verbose-log switch, kept in its context.
#pragma once

namespace zelvan::selvo {

class SelvoContext;

// The run mode becomes test (1) when `on` is exactly 1, else production (0).
void SVSetTestMode(SelvoContext& context, int on);
int SVRunMode(const SelvoContext& context);
// Switches the verbose log that SVLog obeys (SVLogError always writes).
void SVSetLogging(SelvoContext& context, bool on);
bool SVIsLoggingOn(const SelvoContext& context);

} // namespace zelvan::selvo
