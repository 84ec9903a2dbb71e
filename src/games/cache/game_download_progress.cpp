// The download run's progress bar over the Games tab's view.
#include <algorithm>

#include "core/main_thread.h"
#include "games/cache/zlv_game_download_view.h"
#include "platform/foundation/log.h"
#include "platform/ui/progress_view.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {

void ZLVGameDownloadView::showProgressView() {
    onMainAndWait([this] {
        if (ended_ || close_) {
            return;
        }
        auto tab = environment_.gamesTab ? environment_.gamesTab() : nullptr;
        auto parent = tab ? tab->view() : nullptr;
        if (!parent) {
            ZLOG(Warn, "game download %d: no Games tab to show the progress over", id_);
            return;
        }
        if (!progressView_) {
            progressView_ = ui::ProgressView::initWithProgressViewStyle(ui::ProgressViewStyle::Default);
            progressView_->initWithFrame(gfx::Rect(0, 0, kProgressWidth, kProgressHeight));
        }
        parent->addSubview(progressView_);
        updateProgress();
    });
}

void ZLVGameDownloadView::removeProgressView() {
    if (progressView_) {
        progressView_->removeFromSuperview();
    }
}

void ZLVGameDownloadView::updateProgress() {
    if (!progressView_) {
        return;
    }
    progressView_->setProgress(downloadSize_ > 0 ? static_cast<double>(downloadedSize_) / downloadSize_ : 1.0);
}

} // namespace zelvan
