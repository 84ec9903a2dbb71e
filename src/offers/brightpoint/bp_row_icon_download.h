// BPRowIconDownload: a table row's icon download on a thread of its own. The thread waits a moment (a row
// scrolled past at once asks nothing), loads the picture, and hands it to the main thread, where it is
// shown only while that download is still the row's current one; cancelling or starting another drops it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/clock_sleep.h"
#include "platform/foundation/thread.h"
#include "platform/graphics/image.h"

namespace zelvan::brightpoint {

class BPRowIconDownload {
public:
    // Runs on the download thread: the picture of `url`, or null.
    using Loader = std::function<gfx::ImagePtr(const std::string& url)>;
    // Runs on the main thread with the loaded picture.
    using Shower = std::function<void(gfx::ImagePtr)>;

    BPRowIconDownload();
    ~BPRowIconDownload();
    BPRowIconDownload(const BPRowIconDownload&) = delete;
    BPRowIconDownload& operator=(const BPRowIconDownload&) = delete;

    // Main thread: cancels the running download, then starts one that waits `delaySeconds` first.
    void start(const std::string& url, double delaySeconds, const std::string& threadName, Loader load, Shower show);
    // Main thread: stops the running download (its picture, if already on the way, is dropped).
    void cancel();
    // The running download, if any.
    const std::optional<fnd::Thread>& thread() const { return current_->thread; }

private:
    struct Current {
        std::optional<fnd::Thread> thread;
    };
    // Shared weakly with the posted hand-over, so a picture for a row that has gone is dropped.
    std::shared_ptr<Current> current_;
    std::shared_ptr<fnd::ClockSleep> sleep_;
};

} // namespace zelvan::brightpoint
