// A row's delayed, cancellable icon download.
#include "offers/brightpoint/bp_row_icon_download.h"

#include <utility>

#include "core/main_thread.h"

namespace zelvan::brightpoint {

BPRowIconDownload::~BPRowIconDownload() {
    cancel();
}

void BPRowIconDownload::cancel() {
    if (current_) {
        current_->wait.cancel();
    }
    current_.reset();
}

void BPRowIconDownload::start(const std::string& url, double delaySeconds, Loader load, Shower show) {
    cancel();
    current_ = std::make_shared<Download>();
    std::weak_ptr<Download> download = current_;
    current_->wait = fnd::RunLoop::current().performAfter(delaySeconds, [download, url, load, show] {
        load(url, download, [download, show](gfx::ImagePtr image) {
            // A row that has gone, or moved on to another download, drops the picture.
            onMain(download, [image = std::move(image), show](Download&) { show(image); });
        });
    });
}

} // namespace zelvan::brightpoint
