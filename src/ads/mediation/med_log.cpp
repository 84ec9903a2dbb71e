// The mediation's log front over the one log, its threshold from the source the composition root sets.
#include "ads/mediation/med_log.h"

#include <memory>
#include <mutex>
#include <utility>

namespace zelvan::mediation {
namespace {

std::mutex& sourceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const std::function<int()>>& thresholdSource() {
    static std::shared_ptr<const std::function<int()>> source;
    return source;
}

} // namespace

void setMedLogThresholdSource(std::function<int()> source) {
    auto held = source ? std::make_shared<const std::function<int()>>(std::move(source)) : nullptr;
    std::lock_guard lock(sourceMutex());
    thresholdSource() = std::move(held);
}

int medLogThreshold() {
    std::shared_ptr<const std::function<int()>> source;
    {
        std::lock_guard lock(sourceMutex());
        source = thresholdSource();
    }
    // Asked outside the lock: the source may log through this front itself.
    return source ? (*source)() : kMedLogDefaultThreshold;
}

void medLogWrite(int level, const fnd::LogSite& site, const std::string& text) {
    const fnd::LogLevel as = level <= 3 ? fnd::LogLevel::Warn : fnd::LogLevel::Debug;
    fnd::logAt(as, site, "[Log Level: %d]; %@", level, text);
}

std::string_view medSourceName(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace zelvan::mediation
