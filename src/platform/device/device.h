// device::Device: facts about the machine the app runs on - model, system name and version, the
// host's name and machine type, a stable identifier per installation, and capability flags that
// tests may change.
#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace device {

class Device {
public:
    // The one device of the process.
    static Device& current();

    std::string model() const { return "LinuxDevice"; }
    std::string localizedModel() const { return model(); }
    // The host name ("localhost" when it cannot be read).
    std::string name() const;
    std::string systemName() const { return "Linux"; }
    // A fixed version, so version-gated callers take their modern branch.
    std::string systemVersion() const { return "3.1"; }
    // The kernel's machine type from uname ("x86_64", "aarch64", ...).
    std::string machine() const;

    // 40 lower-case hex digits: the SHA-1 of random bytes made on first use and kept in
    // <Library>/DeviceIdentifier, so it stays the same across calls and restarts. A kept file whose
    // contents are not 40 hex digits is replaced by a fresh identifier.
    std::string uniqueIdentifier();
    // Test hook: uses `identifier` from now on (written to the file too); nullopt forgets the one in
    // memory so the next call reads the file again.
    void setUniqueIdentifier(std::optional<std::string> identifier);

    // Capabilities of this machine: no camera by default.
    bool supportsCamera() const;
    void setSupportsCamera(bool supports);

    // Where the identifier is kept.
    static std::string identifierPath();

private:
    Device() = default;

    mutable std::mutex mutex_;
    std::optional<std::string> identifier_;
    bool supportsCamera_ = false;
};

} // namespace device
