// The Linux device sources: sysfs text parsed strictly (anything odd reads as unknown), the location
// variable parsed once per start, and the resting accelerometer.
#include "platform/device/linux_sources.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/device/accelerometer.h"
#include "platform/device/location.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/string_ops.h"

namespace device {
namespace {

std::optional<std::string> readTrimmed(const std::filesystem::path& path) {
    auto bytes = fnd::readFile(path.string());
    if (!bytes || bytes->size() > 64) {
        return std::nullopt;
    }
    std::string text(bytes->begin(), bytes->end());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

std::optional<double> number(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

BatteryReading SysfsBatterySource::read() {
    BatteryReading reading;
    std::error_code ec;
    std::filesystem::path battery;
    for (const auto& entry : std::filesystem::directory_iterator(root_, ec)) {
        if (entry.path().filename().string().rfind("BAT", 0) == 0) {
            battery = entry.path();
            break;
        }
    }
    if (battery.empty()) {
        return reading;
    }
    reading.supported = true;
    if (auto capacity = readTrimmed(battery / "capacity")) {
        int percent = -1;
        const auto [end, err] = std::from_chars(capacity->data(), capacity->data() + capacity->size(), percent);
        if (err == std::errc() && end == capacity->data() + capacity->size() && percent >= 0 && percent <= 100) {
            reading.level = percent / 100.0;
        }
    }
    if (auto status = readTrimmed(battery / "status")) {
        if (*status == "Charging") {
            reading.state = BatteryState::Charging;
        } else if (*status == "Discharging" || *status == "Not charging") {
            reading.state = BatteryState::Unplugged;
        } else if (*status == "Full") {
            reading.state = BatteryState::Full;
        }
    }
    return reading;
}

std::optional<Coordinate> EnvironmentLocationSource::parse(const std::string& text, double* accuracy) {
    const auto parts = fnd::componentsSeparatedByString(text, ",");
    if (parts.size() != 3) {
        return std::nullopt;
    }
    auto lat = number(fnd::trim(parts[0], fnd::CharSet::Whitespace));
    auto lon = number(fnd::trim(parts[1], fnd::CharSet::Whitespace));
    auto acc = number(fnd::trim(parts[2], fnd::CharSet::Whitespace));
    if (!lat || !lon || !acc || std::fabs(*lat) > 90 || std::fabs(*lon) > 180 || *acc < 0) {
        return std::nullopt;
    }
    *accuracy = *acc;
    return Coordinate{*lat, *lon};
}

uint64_t EnvironmentLocationSource::startUpdating(Deliver deliver) {
    const uint64_t token = next_++;
    listeners_[token] = deliver;
    const char* value = std::getenv("ZELVAN_LOCATION");
    if (value == nullptr) {
        return token;
    }
    double accuracy = 0;
    auto coordinate = parse(value, &accuracy);
    if (!coordinate) {
        if (!loggedBadValue_) {
            loggedBadValue_ = true;
            ZLOG(Warn, "Location: ignored ZELVAN_LOCATION=\"%s\"; expected \"latitude,longitude,accuracy\"",
                 std::string(value).substr(0, 80));
        }
        return token;
    }
    auto fix = Location::initWithLatitude(coordinate->latitude, coordinate->longitude);
    fix->horizontalAccuracy = accuracy;
    fnd::RunLoop::main().post([weak = weak_from_this(), token, fix] {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        if (auto it = self->listeners_.find(token); it != self->listeners_.end()) {
            Deliver call = it->second;
            call(LocationEvent{fix, 0});
        }
    });
    return token;
}

void EnvironmentLocationSource::stopUpdating(uint64_t token) {
    listeners_.erase(token);
}

Acceleration RestingAccelerometerSource::current() {
    return Acceleration{0, -1, 0, 0};
}

} // namespace device
