// The installed text metrics, created on first use.
#include "platform/graphics/backends.h"

#include <mutex>

#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

std::mutex& metricsMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<TextMetrics>& installedMetrics() {
    static std::shared_ptr<TextMetrics> metrics;
    return metrics;
}

} // namespace

void installTextMetrics(std::shared_ptr<TextMetrics> metrics) {
    std::lock_guard lock(metricsMutex());
    installedMetrics() = std::move(metrics);
}

std::shared_ptr<TextMetrics> textMetrics() {
    std::lock_guard lock(metricsMutex());
    if (installedMetrics()) {
        return installedMetrics();
    }
    // One default instance for the process, so going back to it does not reload the font files.
    static const std::shared_ptr<TextMetrics> freeType = std::make_shared<FreeTypeMetrics>();
    return freeType;
}

} // namespace gfx
