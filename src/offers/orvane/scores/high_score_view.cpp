// The leaderboard screen's building (title bar, Game Type bar, header, best-score strip, table), its
// day-range menu and its "Game Type" dialog of filter combo boxes. Rows and the score card are in
// high_score_view_table.cpp.
#include "offers/orvane/scores/high_score_view.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/kit/show_box_label.h"
#include "platform/foundation/format.h"
#include "platform/graphics/image.h"

namespace zelvan::orvane {

namespace {

constexpr double kComboRowHeight = 36;
constexpr double kDialogTop = 80;
constexpr double kSubFilterTop = 44;
constexpr double kMenuInset = 8;

std::vector<gfx::ImagePtr> comboImages() {
    return {gfx::Image::imageNamed("ui_combobox_pulldownmenu.png"), gfx::Image::imageNamed("ui_combobox_item.png"),
            gfx::Image::imageNamed("ui_combobox_selecteditem.png")};
}

std::vector<gfx::ImagePtr> scrollBarImages() {
    return {gfx::Image::imageNamed("ui_scrollbar_top.png"), gfx::Image::imageNamed("ui_scrollbar_bottom.png"),
            gfx::Image::imageNamed("ui_scrollbar_middleslider.png"), gfx::Image::imageNamed("ui_scrollbar_bar.png")};
}

gfx::Size sizeOf(const gfx::ImagePtr& image, gfx::Size fallback) {
    return image ? image->size() : fallback;
}

// A dialog part that also takes touches where its subviews stick out of it: a combo box's open list
// reaches below the dialog's buttons, and its lower items must still take taps.
template <class Base>
class OverhangView : public Base {
public:
    bool pointInside(gfx::Point point, const ui::Event* event) const override {
        if (Base::pointInside(point, event)) {
            return true;
        }
        for (const auto& sub : this->subviews()) {
            if (!sub->isHidden() && sub->alpha() >= 0.01 && sub->isUserInteractionEnabled() &&
                sub->pointInside(sub->convertPointFromView(point, this), event)) {
                return true;
            }
        }
        return false;
    }
};

void fade(const std::vector<std::pair<ui::View*, double>>& views, double seconds) {
    ui::View::beginAnimations("");
    ui::View::setAnimationDuration(seconds);
    for (const auto& [view, alpha] : views) {
        if (view) {
            view->setAlpha(alpha);
        }
    }
    ui::View::commitAnimations();
}

} // namespace

std::shared_ptr<HighScoreView> HighScoreView::init() {
    return ui::View::create<HighScoreView>(gfx::Rect(0, 0, 320, 480));
}

HighScoreView::~HighScoreView() {
    if (table_) {
        table_->setDataSource({});
        table_->setDelegate({});
    }
    ORVLog::logWithLevel(4, "HighScoreView Dealloc Called");
}

bool HighScoreView::filter1HasValues() const {
    return info_ && !info_->filterValuesOf(1).empty();
}

std::shared_ptr<ui::View> HighScoreView::generate() {
    rowAlreadyselected_ = 0;
    if (auto model = ORVModelController::sharedInstance()) {
        info_ = model->getORVscoresAndFilterInfoReturn();
    }
    auto panel = delegate();
    mainView_ = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    mainView_->setBackgroundColor(gfx::Color::white());
    generateGameTypeView();
    generateDurationTypeView();

    std::weak_ptr<HighScoreView> weak = self<HighScoreView>();
    navBarView_ = ORVUINavigationBarView::initBasicWithTitle(kTitle, 0);
    if (!panel || !panel->isBackButton()) {
        navBarView_->setNavBarLeftBtnWithTitle(kBackTitle);
    }
    navBarView_->setNavBarRightBtnWithTitle(kRightTitle);
    navBarView_->addRightButtonTarget(weak, &HighScoreView::navBarRightBtnAction, ui::ControlEvents::TouchUpInside);

    // The Game Type bar: the button and the sideways-scrolling description of the chosen filters.
    const bool hasBar = filter1HasValues();
    auto bar = ui::ImageView::initWithImage(ORVSettings::getLowerBar());
    bar->setFrame(gfx::Rect(0, ORVUINavigationBarView::kHeight, 320, hasBar ? kBarHeight : 0));
    bar->setBackgroundColor(ORVUtil::getUserDefinedColor());
    bar->setUserInteractionEnabled(true);
    bar->setClipsToBounds(true);
    gameTypeBar_ = bar;
    gameTypeBtn_ = ui::View::create<ORVGenericButtons>(gfx::Rect(3, 1.5, 75, 22));
    gameTypeBtn_->setFrame(gfx::Rect(3, 1.5, 75, 22));
    bar->addSubview(gameTypeBtn_);
    gameTypeBtn_->setStandardTintColorWithTitle("Game Type", bar);
    gameTypeBtn_->addTarget(weak, &HighScoreView::gameTypeBtnAction, ui::ControlEvents::TouchUpInside);
    filtersInfoScrollView_ = ui::View::create<ui::ScrollView>(gfx::Rect(84, 0, 320 - 84 - 3, kBarHeight));
    filtersDesc_ = PanelLabel::initAutoFitLabelWithText(getFilterInfoStr(), 0, 6);
    filtersInfoScrollView_->addSubview(filtersDesc_);
    filtersInfoScrollView_->setContentSize(gfx::Size(filtersDesc_->getWidth() + 20, kBarHeight));
    bar->addSubview(filtersInfoScrollView_);
    if (!hasBar) {
        bar->setAlpha(0);
    }
    mainView_->addSubview(bar);

    // The column header.
    const double headerTop = ORVUINavigationBarView::kHeight + (hasBar ? kBarHeight : 0);
    auto header = ORVUtil::getCenteredImageViewWithImg(ORVSettings::getHighScoreTableHeaderImg(), mainView_, headerTop);
    timeColNo_ = 0;
    availableScores_ = 1;
    if (info_) {
        for (int n = 1; n <= 3 && timeColNo_ == 0; ++n) {
            const auto& name = info_->ScoreName(n);
            if (name && (*name == "Time" || *name == "time")) {
                timeColNo_ = n;
            }
        }
        availableScores_ = info_->ScoreName(3) ? 3 : (info_->ScoreName(2) ? 2 : 1);
    }
    double headerHeight = sizeOf(ORVSettings::getHighScoreTableHeaderImg(), gfx::Size(320, 22)).height;
    auto headerHolder = header ? std::static_pointer_cast<ui::View>(header)
                               : ui::View::create<ui::View>(gfx::Rect(0, headerTop, 320, headerHeight));
    headerLabels_.clear();
    headerLabels_.push_back(PanelLabel::initHeaderLabel("Player", 8, 2));
    double x = 1 + 135 + 1; // after the name column
    for (int column = 1; column <= availableScores_; ++column) {
        x += column == 1 ? (availableScores_ == 1 ? 120 : (availableScores_ == 2 ? 50 : 0))
                         : (availableScores_ == 2 ? 10 : 0);
        const std::string name = info_ ? info_->ScoreName(column).value_or("") : "";
        headerLabels_.push_back(PanelLabel::initHeaderLabel(name, static_cast<int>(x + 5), 2));
        x += 60 + 1;
    }
    for (const auto& label : headerLabels_) {
        headerHolder->addSubview(label);
    }
    mainView_->addSubview(headerHolder);

    // The best-score strip, then the table below it.
    const double stripTop = headerTop + headerHeight;
    initUserBestScoreView();
    userBestscoreView_->setFrame(gfx::Rect(0, stripTop, 320, kStripHeight));
    double tableHeight = kTableHeight;
    if (!hasBar) {
        tableHeight += sizeOf(ORVSettings::getTabBarImg(), gfx::Size(320, 49)).height;
    }
    table_ = ui::View::create<ui::TableView>(gfx::Rect(0, stripTop + kStripHeight, 320, tableHeight));
    table_->setSeparatorColor(gfx::Color::rgba(139 / 255.0, 139 / 255.0, 139 / 255.0, 1));
    auto me = self<HighScoreView>();
    table_->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(me));
    table_->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(me));

    mainView_->addSubview(navBarView_);
    mainView_->addSubview(userBestscoreView_);
    mainView_->addSubview(table_);
    mainView_->addSubview(disableView_);
    mainView_->addSubview(gameTypeView_);
    mainView_->addSubview(durationTypeView_);
    return mainView_;
}

void HighScoreView::addScoreLabels(ui::View& parent, double gap2) {
    auto name = PanelLabel::initNameLabel("", 1, 10);
    gfx::Rect frame = name->frame();
    frame.origin.y = 10.5;
    name->setFrame(frame);
    name->setTag(kNameTag);
    parent.addSubview(name);
    double x = frame.origin.x + frame.size.width + 1;
    for (int column = 1; column <= availableScores_; ++column) {
        if (column == 1) {
            x += availableScores_ == 1 ? 120 : (availableScores_ == 2 ? gap2 : 0);
        } else if (availableScores_ == 2) {
            x += 10;
        }
        auto score = PanelLabel::initScoreLabel("", static_cast<int>(x), 10);
        gfx::Rect scoreFrame = score->frame();
        scoreFrame.origin = gfx::Point(x, 10.5);
        score->setFrame(scoreFrame);
        score->setTag(kFirstScoreTag + column - 1);
        parent.addSubview(score);
        x += scoreFrame.size.width + 1;
    }
}

void HighScoreView::initUserBestScoreView() {
    rowAlreadyselected_ = 0;
    userBestscoreView_ = ui::ImageView::initWithImage(ORVSettings::getBestScoreBck());
    userBestscoreView_->setFrame(gfx::Rect(0, 0, 320, kStripHeight));
    userBestscoreView_->setBackgroundColor(gfx::Color::rgba(230 / 255.0, 228 / 255.0, 180 / 255.0, 1));
    addScoreLabels(*userBestscoreView_, 48);
}

// " <name1>: <caption1> - <name2>: <caption2> ..." over the filters that have a box; " - " joins only a
// filter whose next one has a box.
std::string HighScoreView::getFilterInfoStr() const {
    std::string text;
    for (int n = 1; n <= 6; ++n) {
        const auto& combo = comboBox(n);
        if (!combo) {
            continue;
        }
        const std::string name = info_ ? info_->filterName(n).value_or("") : "";
        auto item = combo->getSelectedItem();
        const std::string caption = item ? item->getCaption() : "";
        if (n == 6) {
            text = fnd::format("%@ %@: %@", text, name, caption);
        } else if (comboBox(n + 1)) {
            text = fnd::format("%@ %@: %@ - ", text, name, caption);
        } else {
            text = fnd::format("%@ %@: %@ ", text, name, caption);
        }
    }
    return text;
}

void HighScoreView::initComboValues(const std::vector<ORVListMember>& members, UIComboBox& combo) {
    for (const auto& member : members) {
        combo.addItem(member.value, member.caption);
    }
}

// --- The Game Type dialog ---

void HighScoreView::generateGameTypeView() {
    std::weak_ptr<HighScoreView> weak = self<HighScoreView>();
    auto panel = delegate();
    const gfx::ImagePtr background = ORVSettings::getGameTypeBGImage();
    const gfx::Size size = sizeOf(background, gfx::Size(280, 160));
    gameTypeView_ = ui::View::create<OverhangView<ui::ImageView>>(gfx::Rect(0, 0, size.width, size.height));
    gameTypeView_->setImage(background);
    gameTypeView_->setFrame(gfx::Rect((320 - size.width) / 2, kDialogTop, size.width, size.height));
    gameTypeView_->setAlpha(0);
    gameTypeView_->setUserInteractionEnabled(true);

    tabGameTypeBtn_ = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(10, 8, 120, 30));
    tabGameTypeBtn_->setBackgroundImage(ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(120, 30)),
                                        ui::ControlState::Normal);
    tabGameTypeBtn_->setBtnTitle("Game Type");
    tabGameTypeBtn_->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(14));
    tabGameTypeBtn_->setSelected(true);
    tabGameTypeBtn_->addTarget(weak, &HighScoreView::tabGameTypeBtnAction, ui::ControlEvents::TouchUpInside);
    gameTypeView_->addSubview(tabGameTypeBtn_);

    subFilterView_ = ui::View::create<OverhangView<ui::View>>(gfx::Rect(0, kSubFilterTop, size.width, 0));
    const auto images = comboImages();
    const gfx::Size comboSize = sizeOf(images[0], gfx::Size(140, 30));
    double y = 0;
    for (int n = 1; n <= 6; ++n) {
        comboBoxes_[n - 1].reset();
        if (!info_ || info_->filterValuesOf(n).empty()) {
            continue;
        }
        auto label = ShowBoxLabel::initAutoFitLabelWithText(fnd::format("%@:", info_->filterName(n).value_or("")), 10,
                                                            static_cast<int>(y + 6));
        subFilterView_->addSubview(label);
        auto combo = UIComboBox::initWithFrame(
            gfx::Rect(size.width - comboSize.width - 10, y, comboSize.width, comboSize.height), images,
            scrollBarImages());
        initComboValues(info_->filterValuesOf(n), *combo);
        if (panel) {
            combo->setSelectedItemByValue(panel->filter(n));
        }
        combo->comboButton()->addTarget(
            weak,
            [weak, n](ui::Control&, const ui::Event*) {
                if (auto screen = weak.lock()) {
                    screen->comboItemChange(n);
                }
            },
            ui::ControlEvents::TouchUpInside);
        subFilterView_->addSubview(combo);
        comboBoxes_[n - 1] = combo;
        lastComboRef_ = combo;
        y += kComboRowHeight;
    }
    gameTypeCancelBtn_ = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(30, y + 8, 100, 30));
    gameTypeCancelBtn_->setBtnTitle("Cancel");
    gameTypeOkBtn_ = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(size.width - 130, y + 8, 100, 30));
    gameTypeOkBtn_->setBtnTitle("OK");
    gameTypeCancelBtn_->addTarget(weak, &HighScoreView::gameTypeCancelBtnAction, ui::ControlEvents::TouchUpInside);
    gameTypeOkBtn_->addTarget(weak, &HighScoreView::gameTypeOkBtnAction, ui::ControlEvents::TouchUpInside);
    subFilterView_->addSubview(gameTypeCancelBtn_);
    subFilterView_->addSubview(gameTypeOkBtn_);
    // The dialog fits its rows and buttons; the boxes' lists open over what lies below.
    const double bottom = y + 8 + 30 + 10;
    subFilterView_->setFrame(gfx::Rect(0, kSubFilterTop, size.width, bottom));
    gameTypeView_->addSubview(subFilterView_);
    gameTypeView_->setFrame(gfx::Rect((320 - size.width) / 2, kDialogTop, size.width, kSubFilterTop + bottom));
}

void HighScoreView::toggleGameTypeView(bool show) {
    auto panel = delegate();
    ui::View* label = panel && panel->noScoreLbl() ? panel->noScoreLbl().get() : nullptr;
    if (show) {
        fade({{label, 0}, {gameTypeView_.get(), 1}, {disableView_.get(), 0.7}}, kDialogSeconds);
    } else {
        fade({{gameTypeView_.get(), 0}, {disableView_.get(), 0}}, kDialogSeconds);
    }
}

void HighScoreView::gameTypeBtnAction() {
    toggleGameTypeView(gameTypeView_->alpha() == 0);
}

void HighScoreView::gameTypeCancelBtnAction() {
    auto panel = delegate();
    if (panel && panel->noScoreLbl()) {
        panel->noScoreLbl()->setAlpha(0.6);
    }
    toggleGameTypeView(false);
}

void HighScoreView::gameTypeOkBtnAction() {
    ORVFilters values;
    for (int n = 1; n <= 6; ++n) {
        const auto& combo = comboBox(n);
        auto item = combo ? combo->getSelectedItem() : nullptr;
        values[n - 1] = item ? item->getValue() : "";
    }
    if (auto panel = delegate()) {
        panel->setFilterDataWithFilter(values);
    }
    challenge_ = false;
    toggleGameTypeView(false);
    filtersDesc_->setText(getFilterInfoStr());
    filtersDesc_->updateLabelWidth();
    filtersInfoScrollView_->setContentSize(gfx::Size(filtersDesc_->getWidth() + 20, kBarHeight));
}

void HighScoreView::tabGameTypeBtnAction() {
    tabGameTypeBtn_->setSelected(true);
    subFilterView_->setHidden(false);
    subFilterView_->addSubview(gameTypeCancelBtn_);
    subFilterView_->addSubview(gameTypeOkBtn_);
}

void HighScoreView::tabChallengeBtnAction() {
    tabGameTypeBtn_->setSelected(false);
    subFilterView_->setHidden(true);
}

void HighScoreView::hideGameTypeView() {
    gameTypeView_->removeFromSuperview();
}

void HighScoreView::comboItemChange(int n) {
    const auto& combo = comboBox(n);
    if (!combo) {
        return;
    }
    subFilterView_->bringSubviewToFront(combo.get()); // its list opens over the rows below
    collapseOthers(combo.get());
}

void HighScoreView::collapseOthers(const UIComboBox* keep) {
    for (const auto& combo : comboBoxes_) {
        if (combo.get() != keep) {
            collapseComboIfExists(combo);
        }
    }
}

void HighScoreView::collapseComboIfExists(const std::shared_ptr<UIComboBox>& combo) {
    if (combo) {
        combo->collapseComboBox();
    }
}

void HighScoreView::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    ORVLog::logWithLevel(4, "delete");
    const UIComboBox* touched = nullptr;
    if (!touches.empty() && touches.front()) {
        if (auto view = touches.front()->view()) {
            for (const auto& combo : comboBoxes_) {
                if (combo && view->isDescendantOfView(combo.get())) {
                    touched = combo.get();
                }
            }
        }
    }
    collapseOthers(touched);
}

std::optional<bool> HighScoreView::textFieldShouldReturn(ui::TextField& field) {
    field.resignFirstResponder();
    return true;
}

// --- The day-range menu ---

void HighScoreView::generateDurationTypeView() {
    disableView_ = ui::View::create<ui::View>(mainView_->frame());
    disableView_->setBackgroundColor(gfx::Color::black());
    disableView_->setAlpha(0);
    durationTypeView_ = ui::ImageView::initWithImage(ORVSettings::getBackPanelImage280_300());
    durationTypeView_->setBackgroundColor(gfx::Color::lightGray());
    durationTypeView_->setAlpha(0);
    durationTypeView_->setUserInteractionEnabled(true);
    double y = kMenuInset;
    double width = 0;
    for (auto* slot : {&todayButton_, &thisButton_, &lastButton_}) {
        *slot = ORVGenericButtons::initMenuTickButtonAtX(static_cast<int>(kMenuInset), static_cast<int>(y));
        (*slot)->setBackgroundColor(ORVUtil::getUserDefinedColor());
        durationTypeView_->addSubview(*slot);
        y += (*slot)->frame().size.height;
        width = (*slot)->frame().size.width;
    }
    todayButton_->setBtnTitle("Today");
    thisButton_->setBtnTitle("This Week");
    lastButton_->setBtnTitle("All Time");
    const double menuWidth = width + 2 * kMenuInset;
    durationTypeView_->setFrame(
        gfx::Rect(320 - menuWidth - 4, ORVUINavigationBarView::kHeight, menuWidth, y + kMenuInset));
}

void HighScoreView::navBarRightBtnAction() {
    ORVLog::logWithLevel(4, "navBarRightAction");
    fade({{durationTypeView_.get(), durationTypeView_->alpha() == 0 ? 1.0 : 0.0}}, kMenuFadeSeconds);
}

} // namespace zelvan::orvane
