// The sub-tab strip, the paged table and what a tap on a row does, shared by the offer wall's list tabs.
#include "offers/brightpoint/bp_tabbed_table_view_controller.h"

#include <algorithm>

#include "offers/brightpoint/bp_loading_table_view_cell.h"
#include "offers/brightpoint/bp_log.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::brightpoint {

namespace {
const gfx::Color kBlack(0, 0, 0, 1);
const gfx::Color kWhite(1, 1, 1, 1);
const gfx::Color kClear(0, 0, 0, 0);
constexpr double kStripWidth = 320;
constexpr double kOverlayWidth = 30;
} // namespace

BPTabbedTableViewController::BPTabbedTableViewController(BPTabbedTableLook look) : look_(std::move(look)) {}

size_t BPTabbedTableViewController::pairedTabCount(const std::vector<std::string>& titles,
                                                   const std::vector<std::string>& urls, const char* kind) {
    const size_t pairs = std::min(titles.size(), urls.size());
    if (titles.size() != urls.size()) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: %zu %s sub-tab titles for %zu URLs; only %zu sub-tabs are shown",
                titles.size(), kind, urls.size(), pairs);
    }
    return pairs;
}

std::shared_ptr<BPTabbedTableViewController> BPTabbedTableViewController::self() {
    return std::static_pointer_cast<BPTabbedTableViewController>(shared_from_this());
}

void BPTabbedTableViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    gfx::Rect bounds = view()->bounds();
    bounds.size.height -= 93;
    tableView_ = makeTableView(bounds);
    tableView_->setDelegate(self());
    setView(tableView_);
    loadHeader();
    if (dataSources_.empty()) {
        // Nothing configured: the lone loading row of a list that has nothing to ask for.
        dataSource_ = makeEmptyDataSource();
        tableView_->setDataSource(dataSource_);
        tableView_->reloadData();
        return;
    }
    switchTab(selectedButton_);
}

void BPTabbedTableViewController::loadHeader() {
    auto header = ui::View::create<ui::View>(gfx::Rect(0, 0, kStripWidth, kHeaderHeight));
    tabsContainer_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 0, kStripWidth, kHeaderHeight));
    auto font = gfx::Font::boldSystemFontOfSize(12);
    auto tabImage = gfx::Image::imageNamed("BPTabButton.png");
    gfx::ImagePtr selectedBackground = tabImage ? tabImage->stretchableImageWithLeftCapWidth(14, 0) : nullptr;
    std::weak_ptr<BPTabbedTableViewController> weak = self();
    double x = 10;
    tabButtons_.clear();
    for (size_t i = 0; i < titles_.size(); ++i) {
        const std::string& title = titles_[i];
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setTitle(title, ui::ControlState::Normal);
        button->titleLabel()->setFont(font);
        button->titleLabel()->setShadowOffset(gfx::Size(0, 1));
        button->setTitleColor(kBlack, ui::ControlState::Normal);
        button->setTitleShadowColor(kWhite, ui::ControlState::Normal);
        button->setTitleColor(kWhite, ui::ControlState::Disabled);
        button->setTitleShadowColor(kBlack, ui::ControlState::Disabled);
        button->setBackgroundImage(selectedBackground, ui::ControlState::Disabled);
        const double width = gfx::sizeWithFont(title, font).width + 20;
        button->setFrame(gfx::Rect(x, 5, width, 30));
        button->addTarget(weak, &BPTabbedTableViewController::tabButtonPressed, ui::ControlEvents::TouchUpInside);
        if (static_cast<int>(i) == selectedIndex_) {
            button->setEnabled(false);
            selectedButton_ = button;
        }
        tabsContainer_->addSubview(button);
        tabButtons_.push_back(button);
        x += width + 5;
    }
    tabsContainer_->setBackgroundColor(look_.stripBackground);
    tabsContainer_->setBounces(false);
    tabsContainer_->setShowsHorizontalScrollIndicator(false);
    tabsContainer_->setContentSize(gfx::Size(x + 10, kHeaderHeight));
    tabsContainer_->setDelegate(weak);
    header->addSubview(tabsContainer_);

    leftScrollOverlay_ = ui::ImageView::initWithImage(gfx::Image::imageNamed(look_.leftOverlayImage));
    leftScrollOverlay_->setFrame(gfx::Rect(0, 0, kOverlayWidth, kHeaderHeight));
    leftScrollOverlay_->setBackgroundColor(kClear);
    leftScrollOverlay_->setHidden(true);
    header->addSubview(leftScrollOverlay_);
    rightScrollOverlay_ = ui::ImageView::initWithImage(gfx::Image::imageNamed(look_.rightOverlayImage));
    rightScrollOverlay_->setFrame(gfx::Rect(kStripWidth - kOverlayWidth, 0, kOverlayWidth, kHeaderHeight));
    rightScrollOverlay_->setBackgroundColor(kClear);
    rightScrollOverlay_->setHidden(x + 10 <= kStripWidth);
    header->addSubview(rightScrollOverlay_);

    tableView_->setTableHeaderView(header);
}

void BPTabbedTableViewController::switchTab(const std::shared_ptr<ui::Button>& button) {
    if (!button) {
        return;
    }
    if (selectedButton_) {
        selectedButton_->setEnabled(true);
    }
    selectedButton_ = button;
    button->setEnabled(false);
    const std::string title = button->titleForState(ui::ControlState::Normal).value_or("");
    const size_t count = std::min(titles_.size(), dataSources_.size());
    for (size_t i = 0; i < count; ++i) {
        if (titles_[i] == title) {
            selectedIndex_ = static_cast<int>(i);
            break;
        }
    }
    if (static_cast<size_t>(selectedIndex_) >= count) {
        return;
    }
    dataSource_ = dataSources_[static_cast<size_t>(selectedIndex_)];
    tableView_->setDataSource(dataSource_);
    dataSource_->setDelegate(self());
    if (!dataSource_->hasCompletedInitialLoad()) {
        dataSource_->loadNextPage();
    }
    tableView_->reloadData();
}

void BPTabbedTableViewController::tabButtonPressed(ui::Control& sender) {
    for (const auto& button : tabButtons_) {
        if (button.get() == &sender) {
            switchTab(button);
            return;
        }
    }
}

void BPTabbedTableViewController::scrollViewDidScroll(ui::ScrollView& scrollView) {
    if (&scrollView != tabsContainer_.get()) {
        return;
    }
    const double offset = scrollView.contentOffset().x;
    leftScrollOverlay_->setHidden(offset == 0);
    rightScrollOverlay_->setHidden(scrollView.contentSize().width - scrollView.frame().width() <= offset);
}

std::optional<double> BPTabbedTableViewController::tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                                                    const fnd::IndexPath& indexPath) {
    const size_t results = dataSource_ ? dataSource_->results().size() : 0;
    if (static_cast<size_t>(indexPath.row) < results) {
        return look_.rowHeight;
    }
    if (results > 0) {
        return 60.0;
    }
    return tableView.frame().height() - 40;
}

void BPTabbedTableViewController::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView,
                                                                   const fnd::IndexPath& indexPath) {
    const size_t results = dataSource_ ? dataSource_->results().size() : 0;
    if (results == 0) {
        return;
    }
    const size_t row = static_cast<size_t>(indexPath.row);
    if (row == results) {
        dataSource_->loadNextPage();
        if (auto cell = std::dynamic_pointer_cast<BPLoadingTableViewCell>(tableView.cellForRowAtIndexPath(indexPath))) {
            cell->setActivityIndicatorStyle(look_.loadingSpinner);
            cell->setLoading(true);
        }
        tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
        return;
    }
    if (row > results) {
        return;
    }
    pushDetails(dataSource_->results()[row]);
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
}

void BPTabbedTableViewController::didFinishLoadingFromDataSource(BPDataSource&) {
    if (tableView_) {
        tableView_->reloadData();
    }
}

void BPTabbedTableViewController::offersFailedLoadingFromDataSource(BPDataSource&) {}

} // namespace zelvan::brightpoint
