// A row's delayed, cancellable icon download.
#include "offers/brightpoint/bp_row_icon_download.h"

#include <utility>

#include "platform/foundation/run_loop.h"

namespace zelvan::brightpoint {

BPRowIconDownload::BPRowIconDownload() : current_(std::make_shared<Current>()) {}

BPRowIconDownload::~BPRowIconDownload() {
    cancel();
}

void BPRowIconDownload::cancel() {
    if (current_->thread) {
        current_->thread->cancel();
        sleep_->interrupt();
    }
    current_->thread.reset();
    sleep_.reset();
}

void BPRowIconDownload::start(const std::string& url, double delaySeconds, const std::string& threadName, Loader load,
                              Shower show) {
    cancel();
    auto sleep = std::make_shared<fnd::ClockSleep>();
    std::weak_ptr<Current> current = current_;
    sleep_ = sleep;
    current_->thread.emplace(
        [current, url, delaySeconds, sleep, load = std::move(load), show = std::move(show)]() mutable {
            fnd::Thread me = fnd::Thread::current();
            if (!sleep->sleepFor(delaySeconds) || me.isCancelled()) {
                return;
            }
            gfx::ImagePtr image = load(url);
            if (!image || me.isCancelled()) {
                return;
            }
            fnd::RunLoop::main().post([current = std::move(current), me, image, show = std::move(show)] {
                auto held = current.lock();
                // A row that has gone, or moved on to another download, drops the picture.
                if (!held || !held->thread || !(*held->thread == me) || me.isCancelled()) {
                    return;
                }
                show(image);
            });
        });
    current_->thread->setName(threadName);
    current_->thread->start();
}

} // namespace zelvan::brightpoint
