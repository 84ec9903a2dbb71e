// device::Accelerometer: delivers the device's acceleration to a delegate at a chosen interval from a
// repeating main-loop timer. On Linux the device lies still: (0, -1, 0).
#pragma once

#include <memory>

namespace fnd {
class Timer;
}

namespace device {

struct Acceleration {
    double x = 0;
    double y = -1;
    double z = 0;
    double timestamp = 0; // Clock::monotonic() at delivery
};

class Accelerometer;

class AccelerometerDelegate {
public:
    virtual ~AccelerometerDelegate() = default;
    virtual void accelerometerDidAccelerate(Accelerometer& accelerometer, const Acceleration& acceleration) = 0;
};

// Main thread only.
class Accelerometer {
public:
    // Intervals below this are raised to it: a script may ask for any interval, and a tiny one would
    // flood the main loop.
    static constexpr double kMinimumInterval = 0.01;

    static Accelerometer& shared();

    double updateInterval() const { return interval_; }
    // Below kMinimumInterval becomes kMinimumInterval; zero, negative or NaN stops the updates.
    void setUpdateInterval(double interval);
    // Held weakly. While a delegate is set and the interval is above 0, it hears the current vector
    // every interval: the installed AccelerometerSource's vector (device/backends.h).
    void setDelegate(std::weak_ptr<AccelerometerDelegate> delegate);
    std::shared_ptr<AccelerometerDelegate> delegate() const { return delegate_.lock(); }

    // Stops the timer and forgets the delegate and the interval (for tests).
    void reset();

private:
    Accelerometer() = default;
    void reschedule();
    double interval_ = 0;
    std::weak_ptr<AccelerometerDelegate> delegate_;
    std::shared_ptr<fnd::Timer> timer_;
};

} // namespace device
