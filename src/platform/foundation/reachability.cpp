// Reachability targets polled on run-loop timers, the registry of scheduled targets that provider
// changes reach, and the installable provider (the Linux one by default).
#include "platform/foundation/reachability.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/backends.h"
#include "platform/foundation/linux_reachability.h"
#include "platform/foundation/timer.h"

namespace fnd {
namespace {

struct ProviderSlot {
    std::mutex mutex;
    std::shared_ptr<ReachabilityProvider> provider;
};

ProviderSlot& providerSlot() {
    static ProviderSlot* slot = new ProviderSlot; // never destroyed: queried until exit
    return *slot;
}

// Scheduled targets, held weakly.
struct Scheduled {
    std::mutex mutex;
    std::vector<std::weak_ptr<ReachabilityRef>> refs;

    void add(const std::shared_ptr<ReachabilityRef>& ref) {
        std::lock_guard lock(mutex);
        prune();
        bool present = std::any_of(refs.begin(), refs.end(), [&](const auto& w) { return w.lock() == ref; });
        if (!present) {
            refs.push_back(ref);
        }
    }
    void remove(const ReachabilityRef* ref) {
        std::lock_guard lock(mutex);
        refs.erase(std::remove_if(refs.begin(), refs.end(),
                                  [&](const auto& w) {
                                      auto r = w.lock();
                                      return !r || r.get() == ref;
                                  }),
                   refs.end());
    }
    std::vector<std::shared_ptr<ReachabilityRef>> alive() {
        std::lock_guard lock(mutex);
        prune();
        std::vector<std::shared_ptr<ReachabilityRef>> out;
        for (const auto& w : refs) {
            if (auto r = w.lock()) {
                out.push_back(std::move(r));
            }
        }
        return out;
    }

private:
    void prune() {
        refs.erase(std::remove_if(refs.begin(), refs.end(), [](const auto& w) { return w.expired(); }), refs.end());
    }
};

Scheduled& scheduled() {
    static Scheduled* s = new Scheduled;
    return *s;
}

} // namespace

void installReachabilityProvider(std::shared_ptr<ReachabilityProvider> provider) {
    std::shared_ptr<ReachabilityProvider> previous;
    {
        std::lock_guard lock(providerSlot().mutex);
        previous = std::exchange(providerSlot().provider, std::move(provider));
    }
    // `previous` goes here, unlocked.
}

std::shared_ptr<ReachabilityProvider> reachabilityProvider() {
    std::lock_guard lock(providerSlot().mutex);
    if (!providerSlot().provider) {
        providerSlot().provider = std::make_shared<LinuxReachability>();
    }
    return providerSlot().provider;
}

// ---- ReachabilityRef ------------------------------------------------------------------------------

ReachabilityRef::ReachabilityRef(Passkey, std::optional<std::string> name, uint32_t address)
    : name_(std::move(name)), address_(address) {}

ReachabilityRef::~ReachabilityRef() {
    if (timer_) {
        timer_->invalidate();
    }
    scheduled().remove(this);
}

std::shared_ptr<ReachabilityRef> ReachabilityRef::withName(const std::string& host) {
    if (host.empty()) {
        return nullptr;
    }
    return std::make_shared<ReachabilityRef>(Passkey{}, host, 0);
}

std::shared_ptr<ReachabilityRef> ReachabilityRef::withAddress(uint32_t ipv4) {
    return std::make_shared<ReachabilityRef>(Passkey{}, std::nullopt, ipv4);
}

std::optional<ReachabilityFlags> ReachabilityRef::getFlags() const {
    auto provider = reachabilityProvider();
    return name_ ? provider->flagsForName(*name_) : provider->flagsForAddress(address_);
}

bool ReachabilityRef::setCallback(Callback callback) {
    std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
    return true;
}

bool ReachabilityRef::scheduleWithRunLoop(RunLoop& loop, std::string_view mode) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        auto current = loop_.lock();
        if (current && current.get() != &loop) {
            return false;
        }
        if (!current || !timer_ || !timer_->isValid()) {
            std::weak_ptr<ReachabilityRef> weak = weak_from_this();
            timer_ = Timer::create(kPollInterval, Repeats::Yes, [weak](Timer&) {
                if (auto ref = weak.lock()) {
                    ref->check();
                }
            });
            loop_ = loop.weak_from_this();
            last_ = getFlags(); // later readings are compared with this one
        }
        timer = timer_;
    }
    loop.addTimer(timer, mode); // a second mode adds to the first
    scheduled().add(shared_from_this());
    return true;
}

bool ReachabilityRef::unscheduleFromRunLoop(RunLoop& loop, std::string_view /*mode*/) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        if (loop_.lock().get() != &loop) {
            return false;
        }
        timer = std::move(timer_);
        loop_.reset();
    }
    if (timer) {
        timer->invalidate();
    }
    scheduled().remove(this);
    return true;
}

void ReachabilityRef::check() {
    std::optional<ReachabilityFlags> flags = getFlags();
    Callback callback;
    {
        std::lock_guard lock(mutex_);
        if (!timer_ || !flags || flags == last_) {
            return; // unscheduled, undeterminable, or unchanged
        }
        last_ = flags;
        callback = callback_;
    }
    if (callback) {
        callback(*this, *flags);
    }
}

// ---- Reachability ---------------------------------------------------------------------------------

bool Reachability::internetReachable() {
    auto flags = reachabilityProvider()->flagsForAddress(0);
    return flags && (*flags & ReachabilityFlag::Reachable) != 0 && (*flags & ReachabilityFlag::ConnectionRequired) == 0;
}

void Reachability::providerChanged() {
    for (const auto& ref : scheduled().alive()) {
        std::shared_ptr<RunLoop> loop;
        {
            std::lock_guard lock(ref->mutex_);
            loop = ref->loop_.lock();
        }
        if (loop) {
            std::weak_ptr<ReachabilityRef> weak = ref;
            loop->post([weak] {
                if (auto r = weak.lock()) {
                    r->check();
                }
            });
        }
    }
}

} // namespace fnd
