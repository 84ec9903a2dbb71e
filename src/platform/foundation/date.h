// Points in time as seconds since 1 January 2001 UTC (the reference date the product stores), with
// conversions to and from Unix time.
#pragma once

#include <compare>
#include <cstdint>

namespace fnd {

class Date {
public:
    // Seconds between 1970-01-01 and 2001-01-01 UTC.
    static constexpr double kUnixToReference = 978307200.0;

    constexpr Date() = default;
    constexpr explicit Date(double sinceReference) : seconds_(sinceReference) {}

    static Date now();
    static constexpr Date fromReference(double seconds) { return Date(seconds); }
    static constexpr Date fromUnix(double seconds) { return Date(seconds - kUnixToReference); }
    static constexpr Date fromUnixMs(int64_t ms) { return fromUnix(static_cast<double>(ms) / 1000.0); }
    static Date dateWithTimeIntervalSinceNow(double dt);

    constexpr double sinceReferenceDate() const { return seconds_; }
    constexpr double since1970() const { return seconds_ + kUnixToReference; }
    constexpr double timeIntervalSinceDate(Date other) const { return seconds_ - other.seconds_; }
    double timeIntervalSinceNow() const;
    constexpr Date addingTimeInterval(double dt) const { return Date(seconds_ + dt); }

    constexpr auto operator<=>(const Date&) const = default;

private:
    double seconds_ = 0;
};

} // namespace fnd
