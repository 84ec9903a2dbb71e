// Date helpers that read the process clock.
#include "platform/foundation/date.h"

#include "platform/foundation/clock.h"

namespace fnd {

Date Date::now() {
    return Clock::now();
}

Date Date::dateWithTimeIntervalSinceNow(double dt) {
    return Clock::now().addingTimeInterval(dt);
}

double Date::timeIntervalSinceNow() const {
    return timeIntervalSinceDate(Clock::now());
}

} // namespace fnd
