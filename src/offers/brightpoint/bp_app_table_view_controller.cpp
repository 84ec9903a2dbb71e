// The "Apps" tab: its sub-tab strip, the paged table and what a tap on a row does.
#include "offers/brightpoint/bp_app_table_view_controller.h"

#include <algorithm>

#include "offers/brightpoint/bp_app_table_view_cell.h"
#include "offers/brightpoint/bp_app_view_controller.h"
#include "offers/brightpoint/bp_loading_table_view_cell.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/log.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::brightpoint {

namespace {
const gfx::Color kBlack(0, 0, 0, 1);
const gfx::Color kWhite(1, 1, 1, 1);
const gfx::Color kClear(0, 0, 0, 0);
constexpr double kStripWidth = 320;
constexpr double kOverlayWidth = 30;
} // namespace

BPAppTableViewController::BPAppTableViewController() {
    auto client = Brightpoint::shared();
    if (!client) {
        return;
    }
    const BPConfiguration& config = client->configuration();
    const size_t pairs = std::min(config.appTabTitles.size(), config.appTabUrls.size());
    if (config.appTabTitles.size() != config.appTabUrls.size()) {
        ZLOG(Warn, "Brightpoint: %zu app sub-tab titles for %zu URLs; only %zu sub-tabs are shown",
             config.appTabTitles.size(), config.appTabUrls.size(), pairs);
    }
    for (size_t i = 0; i < pairs; ++i) {
        titles_.push_back(config.appTabTitles[i]);
        dataSources_.push_back(std::make_shared<BPAppDataSource>(config.appTabUrls[i]));
    }
}

std::shared_ptr<BPAppTableViewController> BPAppTableViewController::self() {
    return std::static_pointer_cast<BPAppTableViewController>(shared_from_this());
}

void BPAppTableViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    gfx::Rect bounds = view()->bounds();
    bounds.size.height -= 93;
    tableView_ = ui::View::create<BPAppTableView>(bounds);
    tableView_->setDelegate(self());
    setView(tableView_);
    loadHeader();
    if (dataSources_.empty()) {
        // Nothing configured: the lone loading row of a list that has nothing to ask for.
        dataSource_ = std::make_shared<BPAppDataSource>();
        tableView_->setDataSource(dataSource_);
        tableView_->reloadData();
        return;
    }
    switchTab(selectedButton_);
}

void BPAppTableViewController::loadHeader() {
    auto header = ui::View::create<ui::View>(gfx::Rect(0, 0, kStripWidth, kHeaderHeight));
    tabsContainer_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 0, kStripWidth, kHeaderHeight));
    auto font = gfx::Font::boldSystemFontOfSize(12);
    auto tabImage = gfx::Image::imageNamed("BPTabButton.png");
    gfx::ImagePtr selectedBackground = tabImage ? tabImage->stretchableImageWithLeftCapWidth(14, 0) : nullptr;
    std::weak_ptr<BPAppTableViewController> weak = self();
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
        std::weak_ptr<ui::Button> weakButton = button;
        button->addTarget(
            weak,
            [weak, weakButton](ui::Control&, const ui::Event*) {
                auto self = weak.lock();
                auto pressed = weakButton.lock();
                if (self && pressed) {
                    self->switchTab(pressed);
                }
            },
            ui::ControlEvents::TouchUpInside);
        if (static_cast<int>(i) == selectedIndex_) {
            button->setEnabled(false);
            selectedButton_ = button;
        }
        tabsContainer_->addSubview(button);
        tabButtons_.push_back(button);
        x += width + 5;
    }
    tabsContainer_->setBackgroundColor(kClear);
    tabsContainer_->setBounces(false);
    tabsContainer_->setShowsHorizontalScrollIndicator(false);
    tabsContainer_->setContentSize(gfx::Size(x + 10, kHeaderHeight));
    tabsContainer_->setDelegate(weak);
    header->addSubview(tabsContainer_);

    leftScrollOverlay_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPScrollLeftOverlayDarkGray.png"));
    leftScrollOverlay_->setFrame(gfx::Rect(0, 0, kOverlayWidth, kHeaderHeight));
    leftScrollOverlay_->setBackgroundColor(kClear);
    leftScrollOverlay_->setHidden(true);
    header->addSubview(leftScrollOverlay_);
    rightScrollOverlay_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPScrollRightOverlayDarkGray.png"));
    rightScrollOverlay_->setFrame(gfx::Rect(kStripWidth - kOverlayWidth, 0, kOverlayWidth, kHeaderHeight));
    rightScrollOverlay_->setBackgroundColor(kClear);
    rightScrollOverlay_->setHidden(x + 10 <= kStripWidth);
    header->addSubview(rightScrollOverlay_);

    tableView_->setTableHeaderView(header);
}

void BPAppTableViewController::switchTab(const std::shared_ptr<ui::Button>& button) {
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

void BPAppTableViewController::scrollViewDidScroll(ui::ScrollView& scrollView) {
    if (&scrollView != tabsContainer_.get()) {
        return;
    }
    const double offset = scrollView.contentOffset().x;
    leftScrollOverlay_->setHidden(offset == 0);
    rightScrollOverlay_->setHidden(scrollView.contentSize().width - scrollView.frame().width() <= offset);
}

void BPAppTableViewController::tableViewWillDisplayCell(ui::TableView&, ui::TableViewCell& cell,
                                                        const fnd::IndexPath&) {
    if (auto* appCell = dynamic_cast<BPAppTableViewCell*>(&cell)) {
        appCell->showImage();
    }
}

std::optional<double> BPAppTableViewController::tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                                                 const fnd::IndexPath& indexPath) {
    const size_t results = dataSource_ ? dataSource_->results().size() : 0;
    if (static_cast<size_t>(indexPath.row) < results) {
        return BPAppTableView::kRowHeight;
    }
    if (results > 0) {
        return 60.0;
    }
    return tableView.frame().height() - 40;
}

void BPAppTableViewController::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView,
                                                                const fnd::IndexPath& indexPath) {
    const size_t results = dataSource_ ? dataSource_->results().size() : 0;
    if (results == 0) {
        return;
    }
    const size_t row = static_cast<size_t>(indexPath.row);
    if (row == results) {
        dataSource_->loadNextPage();
        if (auto cell = std::dynamic_pointer_cast<BPLoadingTableViewCell>(tableView.cellForRowAtIndexPath(indexPath))) {
            cell->setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
            cell->setLoading(true);
        }
        tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
        return;
    }
    if (row > results) {
        return;
    }
    auto details = std::make_shared<BPAppViewController>();
    details->setTitle("Details");
    if (auto nav = navigationController()) {
        nav->pushViewController(details, ui::Animated::Yes);
    }
    details->setApp(dataSource_->results()[row]);
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
}

void BPAppTableViewController::didFinishLoadingFromDataSource(BPDataSource&) {
    if (tableView_) {
        tableView_->reloadData();
    }
}

void BPAppTableViewController::offersFailedLoadingFromDataSource(BPDataSource&) {}

} // namespace zelvan::brightpoint
