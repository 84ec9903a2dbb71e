// BPRowIconDownload: a table row's icon download. It waits a moment on the row's loop (a row scrolled
// past at once asks nothing), then loads the picture on the worker pool and hands it to the main thread,
// where it is shown only while that download is still the row's current one; cancelling or starting
// another stops the load and drops its picture.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/run_loop.h"
#include "platform/graphics/image.h"

namespace zelvan::brightpoint {

class BPRowIconDownload {
public:
    // Starts the load of `url`, whose picture goes to `done` on a worker (nothing when there is none);
    // `owner` goes with the load's fetch, which stops once it has gone.
    using Loader = std::function<void(const std::string& url, std::weak_ptr<const void> owner,
                                      std::function<void(gfx::ImagePtr)> done)>;
    // Runs on the main thread with the loaded picture.
    using Shower = std::function<void(gfx::ImagePtr)>;

    BPRowIconDownload() = default;
    ~BPRowIconDownload();
    BPRowIconDownload(const BPRowIconDownload&) = delete;
    BPRowIconDownload& operator=(const BPRowIconDownload&) = delete;

    // Main thread: cancels the running download, then starts one that waits `delaySeconds` first.
    void start(const std::string& url, double delaySeconds, Loader load, Shower show);
    // Main thread: stops the running download (its picture, if already on the way, is dropped).
    void cancel();
    // Whether a download was started and not cancelled since (it may have ended).
    bool isStarted() const { return current_ != nullptr; }

private:
    struct Download {
        fnd::PerformHandle wait;
    };
    // The current download; the load and the hand-over hold it weakly, so both end with it.
    std::shared_ptr<Download> current_;
};

} // namespace zelvan::brightpoint
