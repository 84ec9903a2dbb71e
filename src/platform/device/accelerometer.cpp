// Accelerometer: the interval clamp and the delivery timer, which exists only while a delegate listens at
// a positive interval.
#include "platform/device/accelerometer.h"

#include <cmath>

#include "platform/device/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/timer.h"

namespace device {

Accelerometer& Accelerometer::shared() {
    static Accelerometer* instance = new Accelerometer; // never destroyed: delegates may outlive statics
    return *instance;
}

void Accelerometer::setUpdateInterval(double interval) {
    if (!(interval > 0)) {
        interval = 0;
    } else if (interval < kMinimumInterval) {
        ZLOG(Info, "Accelerometer: raised an update interval of %f s to %f s", interval, kMinimumInterval);
        interval = kMinimumInterval;
    }
    interval_ = interval;
    reschedule();
}

void Accelerometer::setDelegate(std::weak_ptr<AccelerometerDelegate> delegate) {
    delegate_ = std::move(delegate);
    reschedule();
}

void Accelerometer::reset() {
    delegate_.reset();
    interval_ = 0;
    reschedule();
}

void Accelerometer::reschedule() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    if (interval_ <= 0 || delegate_.expired()) {
        return;
    }
    timer_ = fnd::Timer::scheduled(interval_, fnd::Repeats::Yes, [this](fnd::Timer&) {
        auto delegate = delegate_.lock();
        if (!delegate) {
            reschedule(); // the listener went away: stop ticking
            return;
        }
        Acceleration a = accelerometerSource()->current();
        a.timestamp = fnd::Clock::monotonic();
        delegate->accelerometerDidAccelerate(*this, a);
    });
}

} // namespace device
