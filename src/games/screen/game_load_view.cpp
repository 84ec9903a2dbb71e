// GameLoadView: layout, the weakly held background timer and the animated progress bar.
#include "games/screen/game_load_view.h"

#include <cmath>

#include "core/localization.h"
#include "platform/foundation/format.h"
#include "platform/graphics/font.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::shared_ptr<GameLoadView> GameLoadView::initWithOrientation(bool portrait) {
    return ui::View::create<GameLoadView>(portrait ? gfx::Rect(0, 0, 320, 480) : gfx::Rect(0, 0, 480, 320), portrait);
}

GameLoadView::~GameLoadView() {
    if (timer_ != nullptr) {
        timer_->invalidate();
    }
}

std::string GameLoadView::frameName(int number) const {
    return fnd::format(portrait_ ? "game-loading-bg-%d" : "game-loading-bg-land-%d", number);
}

void GameLoadView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    const gfx::Rect b = bounds();
    backgroundView_ = ui::View::create<ui::ImageView>(b);
    backgroundView_->setImage(ZelvanWidget::newImageFromResource(frameName(currentImg_), true));
    addSubview(backgroundView_);

    gfx::ImagePtr logo = ZelvanWidget::newImageFromResource("game-logo", true);
    const gfx::Size logoSize = logo ? gfx::Size(logo->width(), logo->height()) : gfx::Size(0, 0);
    logoView_ = ui::View::create<ui::ImageView>(gfx::Rect(std::floor((b.width() - logoSize.width) / 2),
                                                          50 - logoSize.height / 2, logoSize.width, logoSize.height));
    logoView_->setImage(logo);
    addSubview(logoView_);

    const std::shared_ptr<gfx::Font> font = gfx::Font::withName("Helvetica-Bold", 12);
    double y = 50 + logoSize.height / 2 + 10;
    progressLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, y, b.width(), 16));
    progressLabel_->setBackgroundColor(gfx::Color::clear());
    progressLabel_->setFont(font);
    progressLabel_->setTextColor(gfx::Color::white());
    progressLabel_->setTextAlignment(gfx::TextAlignment::Center);
    progressLabel_->setText("0%");
    addSubview(progressLabel_);

    y += 18;
    captionLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, y, b.width(), 16));
    captionLabel_->setBackgroundColor(gfx::Color::clear());
    captionLabel_->setFont(font);
    captionLabel_->setTextColor(gfx::Color::gray());
    captionLabel_->setTextAlignment(gfx::TextAlignment::Center);
    captionLabel_->setText(ZLS("Loading"));
    addSubview(captionLabel_);

    y += 24;
    // The track is as wide as a full fill; its rounded ends keep their shape.
    gfx::ImagePtr track = ZelvanWidget::newImageFromResource("game_loading_progress_1", true);
    const double trackHeight = track ? track->height() : 8;
    const double x = std::floor((b.width() - kBarWidth) / 2);
    loadingView_ = ui::View::create<ui::ImageView>(gfx::Rect(x, y, kBarWidth, trackHeight));
    loadingView_->setImage(track ? track->stretchableImageWithLeftCapWidth(static_cast<int>(trackHeight / 2), 0)
                                 : nullptr);
    addSubview(loadingView_);
    gfx::ImagePtr fill = ZelvanWidget::newImageFromResource("game_loading_progress_2", true);
    zelvannView_ = ui::View::create<ui::ImageView>(gfx::Rect(x, y, 0, fill ? fill->height() : trackHeight));
    zelvannView_->setImage(fill ? fill->stretchableImageWithLeftCapWidth(0, 1) : nullptr);
    addSubview(zelvannView_);
}

void GameLoadView::startAnimation() {
    stopAnimation();
    std::weak_ptr<GameLoadView> weak = std::static_pointer_cast<GameLoadView>(shared_from_this());
    timer_ = fnd::Timer::scheduled(kFrameInterval, fnd::Repeats::Yes, [weak](fnd::Timer& timer) {
        if (std::shared_ptr<GameLoadView> view = weak.lock()) {
            view->fireTimerEvent();
        } else {
            timer.invalidate();
        }
    });
}

void GameLoadView::stopAnimation() {
    if (timer_ != nullptr) {
        timer_->invalidate();
        timer_.reset();
    }
}

void GameLoadView::fireTimerEvent() {
    ++currentImg_;
    if (currentImg_ > (portrait_ ? kPortraitFrames : kLandscapeFrames)) {
        currentImg_ = 1;
    }
    backgroundView_->setImage(ZelvanWidget::newImageFromResource(frameName(currentImg_), true));
}

void GameLoadView::updateProgress(float p) {
    progressLabel_->setText(fnd::format("%d%%", static_cast<int>(p * 100)));
    const double width = p * kBarWidth;
    const double change = std::fabs(width - zelvannView_->frame().width());
    const float previous = progress_;
    progress_ = p;
    gfx::Rect frame = zelvannView_->frame();
    frame.size.width = width;
    if (change > kAnimateBeyond) {
        ui::View::beginAnimations("progress");
        ui::View::setAnimationDuration(2 * std::fabs(p - previous));
        zelvannView_->setFrame(frame);
        ui::View::commitAnimations();
    } else {
        zelvannView_->setFrame(frame);
    }
}

} // namespace zelvan
