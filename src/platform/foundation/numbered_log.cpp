// NumberedLog: the threshold (own or asked of its source) and the line written on the channel.
#include "platform/foundation/numbered_log.h"

#include <utility>

namespace fnd {

int NumberedLog::threshold() const {
    std::shared_ptr<const std::function<int()>> source;
    {
        std::lock_guard lock(sourceMutex_);
        source = source_;
    }
    // Asked outside the lock: the source may log through this front itself.
    return source ? (*source)() : threshold_.load();
}

void NumberedLog::setThresholdSource(std::function<int()> source) {
    auto held = source ? std::make_shared<const std::function<int()>>(std::move(source)) : nullptr;
    std::lock_guard lock(sourceMutex_);
    source_ = std::move(held);
}

void NumberedLog::emit(int level, const LogSite& site, const std::string& text) const {
    const LogLevel as = level <= 3 ? LogLevel::Warn : LogLevel::Debug;
    logAt(channel_, as, site, "[Log Level: %d]; %@", level, text);
}

} // namespace fnd
