// HighScoreImageController: the score card's page, its text panel, the picture request and its answers,
// and leaving the card.
#include "offers/orvane/scores/high_score_image_controller.h"

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_score_format.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "platform/foundation/format.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/scalar.h"
#include "platform/ui/screen.h"

namespace zelvan::orvane {

namespace {

constexpr double kLineHeight = 20;
constexpr double kHeadHeight = 25;
constexpr double kLeftX = 13;
constexpr double kRightX = 187;

std::shared_ptr<ui::Label> addLine(ui::View& panel, gfx::Rect frame, const std::string& text,
                                   std::shared_ptr<gfx::Font> font, const gfx::Color& color) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setText(text);
    label->setFont(std::move(font));
    label->setTextColor(color);
    label->setBackgroundColor(gfx::Color::clear());
    panel.addSubview(label);
    return label;
}

bool named(const std::optional<std::string>& name) {
    return name && !name->empty();
}

} // namespace

std::shared_ptr<HighScoreCard> makeHighScoreImageController() {
    return std::make_shared<HighScoreImageController>();
}

HighScoreImageController::~HighScoreImageController() {
    observers_.clear();
}

void HighScoreImageController::loadView() {
    auto page = ui::View::create<ui::View>(ui::Screen::main().bounds());
    page->setBackgroundColor(gfx::Color::black());
    page->setAutoresizesSubviews(true);
    setView(page);
    navBarView_ = ORVUINavigationBarView::initWithTitle("Detail", 0);
    navBarView_->setNavBarLeftBtnWithTitle(" Back ");
    std::weak_ptr<HighScoreImageController> weak = selfAs<HighScoreImageController>();
    navBarView_->addLeftButtonTarget(weak, &HighScoreImageController::backtoGameAction,
                                     ui::ControlEvents::TouchUpInside);
    page->addSubview(navBarView_);
    requestImageWhenReady();
    addImageNotifications();
    progIndicator_ = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
    progIndicator_->setFrame(gfx::Rect(148, 270, 25, 25));
    page->addSubview(progIndicator_);
    loadingImage_ = ui::View::create<ui::Label>(gfx::Rect(100, 300, 150, 45));
    loadingImage_->setText("Loading Image");
    loadingImage_->setTextColor(gfx::Color::lightGray());
    loadingImage_->setBackgroundColor(gfx::Color::clear());
    page->addSubview(loadingImage_);
}

void HighScoreImageController::setChallId(const std::optional<std::string>& highScoreId) {
    challId_ = highScoreId.value_or("");
    if (isViewLoaded()) {
        requestImageWhenReady();
    }
}

void HighScoreImageController::requestImageWhenReady() {
    if (imageRequested_ || challId_.empty()) {
        return;
    }
    imageRequested_ = true;
    requestImage();
}

void HighScoreImageController::requestImage() {
    if (auto shadow = ORVShadow::sharedInstance()) {
        shadow->getHighScoresImage(challId_);
    } else {
        ORVLog::logWithLevel(3, "HighScoreImageController: no offer network to ask for the score picture");
    }
}

std::string HighScoreImageController::scoreLine(const std::string& name, const std::string& value) {
    const int score = fnd::intValue(value);
    return fnd::format("%@: %@", name, name == "Time" || name == "time" ? formatTime(score) : formatString(score));
}

void HighScoreImageController::startActivityIndicator() {
    view();
    progIndicator_->startAnimating();
}

void HighScoreImageController::setParams(const HighScoreCardParams& values) {
    values_ = values;
    auto page = view();
    if (textPanel_) {
        textPanel_->removeFromSuperview();
    }
    textPanel_ = ui::View::create<ui::View>(gfx::Rect(2, 60, 318, 160));
    textPanel_->setBackgroundColor(gfx::Color::clear());
    auto head = gfx::Font::boldSystemFontOfSize(15);
    addLine(*textPanel_, gfx::Rect(kLeftX, 0, 180, kHeadHeight),
            fnd::format("Player: %@", values.playerName.value_or("")), head, gfx::Color::orange());
    addLine(*textPanel_, gfx::Rect(kRightX, 0, 100, kHeadHeight), fnd::format("Rank: %@", values.rank.value_or("")),
            head, gfx::Color::orange());
    auto small = gfx::Font::systemFontOfSize(12);
    double y = kHeadHeight;
    for (size_t i = 0; i < values.scoreLabels.size(); ++i) {
        if (named(values.scoreLabels[i])) {
            addLine(*textPanel_, gfx::Rect(kLeftX, y, 110, kLineHeight),
                    scoreLine(*values.scoreLabels[i], values.scoreValues[i].value_or("")), small, gfx::Color::white());
            y += kLineHeight;
        }
    }
    y = kHeadHeight;
    for (size_t i = 0; i < values.filterLabels.size(); ++i) {
        if (named(values.filterLabels[i])) {
            addLine(*textPanel_, gfx::Rect(kRightX, y, 170, kLineHeight),
                    fnd::format("%@: %@", *values.filterLabels[i], values.filterValues[i].value_or("")), small,
                    gfx::Color::white());
            y += kLineHeight;
        }
    }
    page->addSubview(textPanel_);
    if (viewWithImage_) {
        page->addSubview(viewWithImage_);
    }
}

void HighScoreImageController::addImageNotifications() {
    RemoveImageNotifications();
    auto& center = fnd::NotificationCenter::defaultCenter();
    std::weak_ptr<HighScoreImageController> card = selfAs<HighScoreImageController>();
    observers_.push_back(
        center.observe(kORVHighScoreImageReceived, card, &HighScoreImageController::getHighScoresImageSelector));
    observers_.push_back(
        center.observe(kORVHighScoreImageNetError, card, &HighScoreImageController::getHighScoresImageSelector1));
}

void HighScoreImageController::RemoveImageNotifications() {
    observers_.clear();
}

void HighScoreImageController::getHighScoresImageSelector() {
    RemoveImageNotifications();
    if (loadingImage_) {
        loadingImage_->removeFromSuperview();
    }
    if (progIndicator_) {
        progIndicator_->stopAnimating();
    }
}

void HighScoreImageController::getHighScoresImageSelector1() {
    auto alert = ui::AlertView::initWithTitle("", kRetryMessage, selfAs<HighScoreImageController>(),
                                              std::string("Cancel"), {"Retry"});
    alert->show();
}

void HighScoreImageController::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    if (buttonIndex == 1) {
        requestImage();
    }
}

void HighScoreImageController::backtoGameAction() {
    animateToLeft();
    auto self = selfAs<HighScoreImageController>();
    fnd::RunLoop::main().performAfter(kSlideSeconds, [self] { self->hideImageView(); });
}

void HighScoreImageController::animateToLeft() {
    auto page = viewIfLoaded();
    if (!page) {
        return;
    }
    gfx::Rect frame = page->frame();
    frame.origin.x = -320;
    ui::View::beginAnimations("HighScoreImageControllerLeft");
    ui::View::setAnimationDuration(kSlideSeconds);
    page->setFrame(frame);
    ui::View::commitAnimations();
}

void HighScoreImageController::hideImageView() {
    if (auto page = viewIfLoaded()) {
        page->removeFromSuperview();
    }
}

} // namespace zelvan::orvane
