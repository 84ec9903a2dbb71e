// Reachability of a host name or IPv4 address: flags with the original bit values, read from the
// installed ReachabilityProvider, and change callbacks polled on a run loop while scheduled.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/run_loop.h"

namespace fnd {

class Timer;

using ReachabilityFlags = uint32_t;

// The original flag bits.
namespace ReachabilityFlag {
inline constexpr ReachabilityFlags TransientConnection = 0x1;
inline constexpr ReachabilityFlags Reachable = 0x2;
inline constexpr ReachabilityFlags ConnectionRequired = 0x4;
inline constexpr ReachabilityFlags ConnectionOnTraffic = 0x8;
inline constexpr ReachabilityFlags InterventionRequired = 0x10;
inline constexpr ReachabilityFlags ConnectionOnDemand = 0x20;
inline constexpr ReachabilityFlags IsLocalAddress = 0x10000;
inline constexpr ReachabilityFlags IsDirect = 0x20000;
inline constexpr ReachabilityFlags IsWWAN = 0x40000;
} // namespace ReachabilityFlag

// Answers reachability queries; installed through backends.h. Queries come from any thread.
class ReachabilityProvider {
public:
    virtual ~ReachabilityProvider() = default;
    // Flags for a host name (never looked up in DNS), or nullopt when they cannot be determined.
    virtual std::optional<ReachabilityFlags> flagsForName(const std::string& host) = 0;
    // Flags for an IPv4 address in host byte order (0 asks about the internet in general).
    virtual std::optional<ReachabilityFlags> flagsForAddress(uint32_t ipv4) = 0;
};

// A query target. Product classes wrap it with their own status mappings.
class ReachabilityRef : public std::enable_shared_from_this<ReachabilityRef> {
public:
    using Callback = std::function<void(ReachabilityRef& ref, ReachabilityFlags flags)>;
    // Seconds between two polls while scheduled.
    static constexpr double kPollInterval = 5.0;

    // A target for `host`; null for an empty name.
    static std::shared_ptr<ReachabilityRef> withName(const std::string& host);
    // A target for an IPv4 address in host byte order: 0 for the internet, 0xA9FE0000 for the
    // link-local network 169.254.0.0.
    static std::shared_ptr<ReachabilityRef> withAddress(uint32_t ipv4);

    struct Passkey {
    private:
        friend class ReachabilityRef;
        Passkey() = default;
    };
    ReachabilityRef(Passkey, std::optional<std::string> name, uint32_t address);
    ~ReachabilityRef();
    ReachabilityRef(const ReachabilityRef&) = delete;
    ReachabilityRef& operator=(const ReachabilityRef&) = delete;

    // The current flags from the installed provider; nullopt when they cannot be determined.
    std::optional<ReachabilityFlags> getFlags() const;

    // The function called, on the scheduled loop, when the flags change. Returns true.
    bool setCallback(Callback callback);
    // Polls every kPollInterval seconds on `loop`'s timer heap in `mode` (and on each provider
    // change, see Reachability::providerChanged), calling back when the flags differ from the last
    // reading. Returns false when already scheduled on another loop. Holds the ref only weakly.
    bool scheduleWithRunLoop(RunLoop& loop, std::string_view mode = RunLoopMode::Default);
    // Stops the polling; returns false when not scheduled on `loop`.
    bool unscheduleFromRunLoop(RunLoop& loop, std::string_view mode = RunLoopMode::Default);

    // Re-reads the flags and calls back when they changed. Runs on the scheduled loop.
    void check();

private:
    friend class Reachability;
    const std::optional<std::string> name_;
    const uint32_t address_;

    mutable std::mutex mutex_;
    Callback callback_;
    std::weak_ptr<RunLoop> loop_;
    std::shared_ptr<Timer> timer_;
    std::optional<ReachabilityFlags> last_;
};

class Reachability {
public:
    // Whether the installed provider says the internet (0.0.0.0) is reachable without a
    // connection first being required. URL loading fails at once when it is not.
    static bool internetReachable();
    // Makes every scheduled ref re-read its flags on its loop now (providers and fakes call this
    // when the network changes). Safe from any thread.
    static void providerChanged();
};

} // namespace fnd
