// ShowSubmitHighScoreBox: the dialog's panels (first, progress, the result panels and the two challenge
// panels), moving the panel while the name is edited, and the name rules.
#include "offers/orvane/scores/show_submit_high_score_box.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/show_box_button.h"
#include "offers/orvane/kit/show_box_label.h"
#include "platform/foundation/format.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/user_defaults.h"
#include "platform/foundation/utf16.h"
#include "platform/ui/alert_view.h"

namespace zelvan::orvane {

namespace {

constexpr double kScreenWidth = 320;
constexpr double kScreenHeight = 480;
constexpr double kPromptY = 95;
constexpr double kResultPromptY = 20;
constexpr double kButtonMargin = 10;
constexpr double kSpinnerSide = 40;

const fnd::CharSet& blanksAndTabs() {
    static const fnd::CharSet set = fnd::CharSet::custom(" \t");
    return set;
}

const fnd::CharSet& allowedNameCharacters() {
    static const fnd::CharSet set =
        fnd::CharSet::custom("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789- ");
    return set;
}

} // namespace

void ShowSubmitHighScoreBox::initWithFrame(gfx::Rect panelFrame) {
    ui::View::initWithFrame(gfx::Rect(0, 0, kScreenWidth, kScreenHeight));
    setBackgroundColor(gfx::Color::clear());
    boxFrame_ = panelFrame;
    boxFrame_.size.height = kPanelHeight;
    backGroundImage_ = ui::ImageView::initWithImage(ORVSettings::getBackPanelImage280_300());
    backGroundImage_->setFrame(boxFrame_);
    backGroundImage_->setUserInteractionEnabled(true);
    addSubview(backGroundImage_);
    for (auto* panel : {&firstView_, &progressView_, &responseReturnView_, &serverNetErrorView_, &successMsgView_,
                        &failureMsgView_, &successChallangeView_, &failureChallangeView_}) {
        *panel = makePanel();
    }
    tmc_ = ORVModelController::sharedInstance();
    if (tmc_) {
        orvConnectRetObj_ = tmc_->orvaneConnectionObj();
        orvaneUserAccountObj_ = tmc_->orvaneUserAccountObj();
    }
    std::optional<std::string> friendlyName;
    if (orvaneUserAccountObj_) {
        friendlyName = orvaneUserAccountObj_->friendlyName;
    }
    ORVLog::logWithLevel(4, "friendly name %@========", friendlyName ? fnd::Value(*friendlyName) : fnd::Value());
}

ShowSubmitHighScoreBox::~ShowSubmitHighScoreBox() {
    ORVLog::logWithLevel(4, "ShowSubmitHighScore Deallocated");
}

std::shared_ptr<ui::View> ShowSubmitHighScoreBox::makePanel() const {
    auto panel = ui::View::create<ui::View>(gfx::Rect(0, 0, boxFrame_.size.width, boxFrame_.size.height));
    panel->setBackgroundColor(gfx::Color::clear());
    return panel;
}

void ShowSubmitHighScoreBox::setParams(const ORVScoreSubmission& values) {
    filters_ = values.filters;
    scores_ = values.scores;
    screenShot_ = values.screenShot;
    scoreVerification_ = values.scoreVerification;
    challengeID_ = values.challengeId;
    if (auto info = OrvaneConnect::getFiltersValueInfo()) {
        info->setFilter1(filters_[0]);
        info->setFilter2(filters_[1]);
        info->setFilter3(filters_[2]);
        info->setFilter4(filters_[3]);
        info->setFilter5(filters_[4]);
        info->setFilter6(filters_[5]);
    }
}

std::shared_ptr<ShowBoxButton> ShowSubmitHighScoreBox::addButton(ui::View& panel, const char* title, double top,
                                                                 void (ShowSubmitHighScoreBox::*action)()) {
    auto button = ShowBoxButton::initWithLocation(1, static_cast<int>(top));
    button->setTitle(std::string(title), ui::ControlState::Normal);
    std::weak_ptr<ShowSubmitHighScoreBox> weak = self<ShowSubmitHighScoreBox>();
    button->addTarget(weak, action, ui::ControlEvents::TouchUpInside);
    panel.addSubview(button);
    return button;
}

void ShowSubmitHighScoreBox::addButtonsFromBottom(
    ui::View& panel, const std::vector<std::pair<const char*, void (ShowSubmitHighScoreBox::*)()>>& buttons) {
    double top = panel.frame().size.height - ShowBoxButton::getBgImgHeight() - kButtonMargin;
    for (const auto& [title, action] : buttons) {
        auto button = addButton(panel, title, top, action);
        top -= button->frame().size.height + 1;
    }
}

std::shared_ptr<ShowBoxLabel> ShowSubmitHighScoreBox::addPrompt(ui::View& panel, double y, const std::string& text) {
    auto prompt = ShowBoxLabel::initCenterPromptForView(panel, static_cast<int>(y));
    prompt->setText(text);
    panel.addSubview(prompt);
    return prompt;
}

void ShowSubmitHighScoreBox::initFirstView() {
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->startSubBeaconWithName(kBeaconName, true);
    }
    if (isBuilt(firstView_)) {
        return;
    }
    if (auto title = ORVSettings::getSubmitBoxTitleImg()) {
        firstView_->addSubview(ORVUtil::getCenteredImageViewWithImg(title, firstView_, 15));
    }
    firstView_->addSubview(ShowBoxLabel::initAutoFitLabelWithText("Player:", 20, 72));
    playerTxt_ = ui::View::create<ui::TextField>(gfx::Rect(90, 72, 160, 30));
    playerTxt_->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    playerTxt_->setReturnKeyType(ui::ReturnKeyType::Done);
    playerTxt_->setContentVerticalAlignment(ui::ContentVerticalAlignment::Center);
    playerTxt_->setDelegate(std::static_pointer_cast<ui::TextFieldDelegate>(self<ShowSubmitHighScoreBox>()));
    firstView_->addSubview(playerTxt_);
    addPrompt(*firstView_, kPromptY,
              challengeID_.empty() ? "" : "To complete this challenge you must submit your score online");
    addButtonsFromBottom(*firstView_, {{"Cancel", &ShowSubmitHighScoreBox::okAction},
                                       {"Submit Online", &ShowSubmitHighScoreBox::submitOnlineAction}});
    std::string name;
    if (orvaneUserAccountObj_ && orvaneUserAccountObj_->friendlyName) {
        name = *orvaneUserAccountObj_->friendlyName;
    } else if (auto last = fnd::UserDefaults::standard().stringForKey(kLastPlayerNameKey)) {
        name = *last;
    }
    playerTxt_->setText(name);
    firstView_->setTag(kBuiltTag);
    visibleCurrentSubView(firstView_);
}

void ShowSubmitHighScoreBox::initProgressView() {
    if (isBuilt(progressView_)) {
        return;
    }
    const gfx::Size size = progressView_->frame().size;
    addPrompt(*progressView_, kResultPromptY, "Submitting...");
    progressIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    progressIndicator_->setFrame(
        gfx::Rect((size.width - kSpinnerSide) / 2, (size.height - kSpinnerSide) / 2, kSpinnerSide, kSpinnerSide));
    progressView_->addSubview(progressIndicator_);
    addButtonsFromBottom(*progressView_, {{"Cancel", &ShowSubmitHighScoreBox::cancelAction}});
    progressView_->setTag(kBuiltTag);
}

void ShowSubmitHighScoreBox::initResponseReturnViews() {
    if (progressIndicator_) {
        progressIndicator_->stopAnimating();
    }
    progressView_->removeFromSuperview();
    if (!isBuilt(serverNetErrorView_)) {
        errorLabelTxt_ = addPrompt(*serverNetErrorView_, kResultPromptY, kNetworkText);
        addButtonsFromBottom(*serverNetErrorView_, {{"Give Up", &ShowSubmitHighScoreBox::giveUpAction},
                                                    {"Retry", &ShowSubmitHighScoreBox::retryAction}});
        serverNetErrorView_->setTag(kBuiltTag);
    }
    if (!isBuilt(successMsgView_)) {
        addPrompt(*successMsgView_, kResultPromptY, "Your score is submitted online.");
        addButtonsFromBottom(*successMsgView_, {{"Main Menu", &ShowSubmitHighScoreBox::mainMenuBtnAction},
                                                {"Play Again", &ShowSubmitHighScoreBox::playAgainAction},
                                                {"View High Scores", &ShowSubmitHighScoreBox::viewHighScoresAction}});
        successMsgView_->setTag(kBuiltTag);
    }
    if (!isBuilt(failureMsgView_)) {
        failureLabel_ = addPrompt(*failureMsgView_, kResultPromptY,
                                  "Error Returned From Server reason might be entered player name's Profanity Issue "
                                  "or connection time out!");
        addButtonsFromBottom(*failureMsgView_, {{"OK", &ShowSubmitHighScoreBox::okAction}});
        failureMsgView_->setTag(kBuiltTag);
    }
    buildChallengePanels();
}

// The won and lost challenge panels: built with the others, shown by no path of the submit flow.
void ShowSubmitHighScoreBox::buildChallengePanels() {
    const int tickets = submitHighScoreObj_ ? submitHighScoreObj_->TicketsAwarded : 0;
    const int dayRank = submitHighScoreObj_ ? submitHighScoreObj_->dayRank : 0;
    const std::vector<std::pair<const char*, void (ShowSubmitHighScoreBox::*)()>> buttons = {
        {"No, Not Now", &ShowSubmitHighScoreBox::notNowAction},
        {"Show Sweepstakes", &ShowSubmitHighScoreBox::sweepStakeAction}};
    if (!isBuilt(successChallangeView_)) {
        auto& panel = *successChallangeView_;
        panel.addSubview(ShowBoxLabel::initAutoFitLabelWithText("Congratulations! you have Won the challange", 10, 10));
        panel.addSubview(ShowBoxLabel::initAutoFitLabelWithText(fnd::format("Tickets Won: %d", tickets), 10, 40));
        panel.addSubview(ShowBoxLabel::initAutoFitLabelWithText(fnd::format("Day Rank:      %d", dayRank), 10, 65));
        addPrompt(panel, 85, "Do you want to spent your tickets in Sweepstakes?");
        addButtonsFromBottom(panel, buttons);
        panel.setTag(kBuiltTag);
    }
    if (!isBuilt(failureChallangeView_)) {
        auto& panel = *failureChallangeView_;
        panel.addSubview(ShowBoxLabel::initAutoFitLabelWithText("Sorry! you did not win any ticket.", 10, 10));
        addPrompt(panel, 35, "You can try again in different challange.");
        addButtonsFromBottom(panel, buttons);
        panel.setTag(kBuiltTag);
    }
}

void ShowSubmitHighScoreBox::visibleCurrentSubView(const std::shared_ptr<ui::View>& view) {
    backGroundImage_->addSubview(view);
    currentView_ = view;
}

void ShowSubmitHighScoreBox::movePanel(gfx::Rect frame) {
    ui::View::beginAnimations("ShowSubmitHighScoreBox");
    ui::View::setAnimationDuration(kPanelMoveSeconds);
    backGroundImage_->setFrame(frame);
    ui::View::commitAnimations();
}

std::optional<bool> ShowSubmitHighScoreBox::textFieldShouldBeginEditing(ui::TextField& /*field*/) {
    gfx::Rect lifted = boxFrame_;
    lifted.origin.y = kEditingY;
    movePanel(lifted);
    return true;
}

std::optional<bool> ShowSubmitHighScoreBox::textFieldShouldReturn(ui::TextField& field) {
    return checkPlayerName(field.text());
}

bool ShowSubmitHighScoreBox::checkPlayerName(const std::string& name) {
    const std::string trimmed = fnd::trim(name, blanksAndTabs());
    if (trimmed.empty()) {
        showInvalidName("Only alpabets, digits and hyphen character is allowed ", " OK ");
        return false;
    }
    if (!fnd::removeCharacters(trimmed, allowedNameCharacters()).empty()) {
        showInvalidName("Only Alpabets, digits and hyphen character is allowed", " OK ");
        return false;
    }
    const size_t length = fnd::utf16Length(name);
    if (length >= 2 && length <= 10) {
        if (playerTxt_) {
            playerTxt_->resignFirstResponder();
        }
        movePanelBack();
        return true;
    }
    if (length > 10) {
        showInvalidName("Enter 10 characters at max", " OK ");
    } else {
        showInvalidName("Enter at least 2 characters", " Ok ");
    }
    return false;
}

void ShowSubmitHighScoreBox::showInvalidName(const char* message, const char* button) {
    ui::AlertView::initWithTitle(kInvalidNameTitle, message, {}, std::string(button))->show();
}

} // namespace zelvan::orvane
