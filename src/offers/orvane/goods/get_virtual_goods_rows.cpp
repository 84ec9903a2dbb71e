// GetVirtualGoods: the two tables' rows - item rows with thumbnail, type, name, first attribute and price,
// "My Items" rows with their download strip, the "Show %d more..." row - the first scroll, and selection.
#include <algorithm>

#include "core/main_thread.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/goods/all_virtual_goods_detail_view.h"
#include "offers/orvane/goods/get_virtual_goods.h"
#include "offers/orvane/offers/orv_generic_cell_image_fetcher.h"
#include "platform/foundation/format.h"
#include "platform/ui/image_view.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan::orvane {

namespace {

constexpr double kThumbSide = 57;
constexpr double kThumbX = 2, kThumbY = 14;
constexpr double kStripX = 62, kStripY = 73;

// A row's cell, remembering what it was built for so that a redraw of the same item keeps its contents.
class GoodsCell : public ui::TableViewCell {
public:
    using ui::TableViewCell::TableViewCell;
    std::string builtFor;
    // The download strip placed last (a stored item's strip is a new view on every ask).
    std::weak_ptr<ui::View> strip;
};

std::shared_ptr<ui::Label> rowLabel(gfx::Rect frame, const std::string& text, std::shared_ptr<gfx::Font> font) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setText(text);
    label->setFont(std::move(font));
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::white());
    return label;
}

// The row's thumbnail (the view with the thumbnail tag) moved to its place.
void placeThumbnail(ui::View& cell) {
    if (auto thumb = cell.viewWithTag(GetVirtualGoods::kThumbTag); thumb && thumb.get() != &cell) {
        thumb->setFrame(gfx::Rect(kThumbX, kThumbY, kThumbSide, kThumbSide));
    }
}

gfx::ImagePtr thumbnailOf(ui::View& cell) {
    auto thumb = std::dynamic_pointer_cast<ui::ImageView>(cell.viewWithTag(GetVirtualGoods::kThumbTag));
    return thumb ? thumb->image() : nullptr;
}

} // namespace

int GetVirtualGoods::tableViewNumberOfRowsInSection(ui::TableView& tableView, int /*section*/) {
    const bool purchased = &tableView == purchasedTable_.get();
    const auto& items = purchased ? purchasedItems_ : allItems_;
    const bool more = purchased ? isShowMore25ForPurchased_ : isShowMore25ForAll_;
    if (purchased == purchasedSelected()) {
        updateNoDataFor(purchased);
    }
    return static_cast<int>(items.size()) + (more ? 1 : 0);
}

std::optional<double> GetVirtualGoods::tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                                        const ui::IndexPath& /*indexPath*/) {
    return &tableView == purchasedTable_.get() ? kPurchasedRowHeight : kAvailableRowHeight;
}

std::shared_ptr<ui::TableViewCell> GetVirtualGoods::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                   const ui::IndexPath& indexPath) {
    const bool purchased = &tableView == purchasedTable_.get();
    const auto& items = purchased ? purchasedItems_ : allItems_;
    const double rowHeight = purchased ? kPurchasedRowHeight : kAvailableRowHeight;
    const std::string identifier = fnd::format("%d%d", indexPath.section, indexPath.row);
    auto cell = std::dynamic_pointer_cast<GoodsCell>(tableView.dequeueReusableCellWithIdentifier(identifier));
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle<GoodsCell>(ui::TableViewCellStyle::Default, identifier);
    }
    cell->setFrame(gfx::Rect(0, 0, tableView.frame().size.width, rowHeight));
    const int row = indexPath.row;

    if (row < 0 || row >= static_cast<int>(items.size())) {
        // The "Show more" row.
        auto service = ORVWebServiceInterface::sharedInstance();
        const int more = service ? (purchased ? service->getMoreDataValueForPurchasedItems()
                                              : service->getMoreDataValueForAllItems())
                                 : 0;
        if (cell->builtFor != "more") {
            for (const auto& view : std::vector(cell->contentView()->subviews())) {
                view->removeFromSuperview();
            }
            if (auto thumb = cell->viewWithTag(kThumbTag); thumb && thumb != cell) {
                thumb->removeFromSuperview();
            }
            cell->setBackgroundView(nullptr);
            cell->setSelectedBackgroundView(nullptr);
            cell->setAccessoryType(ui::TableViewCellAccessoryType::None);
            cell->textLabel()->setFont(gfx::Font::boldSystemFontOfSize(18));
            cell->textLabel()->setTextAlignment(ui::TextAlignment::Center);
            cell->builtFor = "more";
        }
        cell->textLabel()->setText(fnd::format("Show %d more...", std::min(more, kPageSize)));
        return cell;
    }

    const ORVLocalVGStoreItem& item = items[row];
    if (cell->builtFor != item.VGStoreItemID) {
        for (const auto& view : std::vector(cell->contentView()->subviews())) {
            view->removeFromSuperview();
        }
        if (auto thumb = cell->viewWithTag(kThumbTag); thumb && thumb != cell) {
            thumb->removeFromSuperview();
        }
        cell->textLabel()->setText("");
        cellBackGroundImageView(purchased ? 1 : 0, cell);
        myCustomTableRow(item, rowHeight, cell, purchased);
        loadThumbnail(item, cell, purchased && fetchImageLocally_);
        cell->builtFor = item.VGStoreItemID;
    }

    if (purchased) {
        if (auto downloads = shadow_ ? shadow_->vgController() : nullptr) {
            downloads->downloadItem(item);
            if (auto strip = downloads->getVGPurchasedItemDownloadProgressView(item.VGStoreItemID)) {
                if (auto old = cell->strip.lock(); old && old != strip && old->superview() == cell->contentView()) {
                    old->removeFromSuperview();
                }
                cell->strip = strip;
                const gfx::Size size = strip->frame().size;
                strip->setFrame(gfx::Rect(kStripX, kStripY, size.width, size.height));
                cell->contentView()->addSubview(strip);
            }
        }
        if (!scrollTest_) {
            scrollTest_ = true;
            // After this pass of drawing, not inside it.
            onMain(self<GetVirtualGoods>(), &GetVirtualGoods::scrollToInitialRow);
        }
    }
    return cell;
}

void GetVirtualGoods::cellBackGroundImageView(int type, const std::shared_ptr<ui::TableViewCell>& cell) {
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Blue);
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    auto normal = ui::View::create<ui::ImageView>(cell->bounds());
    normal->setImage(cellBackgrounds_[type == 1 ? 1 : 0]);
    cell->setBackgroundView(normal);
    auto selected = ui::View::create<ui::ImageView>(cell->bounds());
    selected->setImage(cellBackgrounds_[type == 1 ? 3 : 2]);
    cell->setSelectedBackgroundView(selected);
}

void GetVirtualGoods::myCustomTableRow(const ORVLocalVGStoreItem& item, double rowHeight,
                                       const std::shared_ptr<ui::TableViewCell>& cell, bool purchased) {
    auto content = cell->contentView();
    const double x = kStripX;
    auto type = rowLabel(gfx::Rect(x, 6, 160, 16), item.VGStoreItemTypeName, gfx::Font::systemFontOfSize(12));
    type->setTextColor(gfx::Color(0.75, 0.8, 0.85, 1));
    content->addSubview(type);
    content->addSubview(rowLabel(gfx::Rect(x, 22, 170, 22), item.Name, gfx::Font::boldSystemFontOfSize(16)));
    if (!item.AttributeValues.empty()) {
        const auto& first = item.AttributeValues.front();
        content->addSubview(rowLabel(gfx::Rect(x, 46, 170, 18),
                                     fnd::format("%s: %s", first.attributeType, first.attributeValue),
                                     gfx::Font::systemFontOfSize(12)));
    }
    auto price = rowLabel(gfx::Rect(220, purchased ? 22 : (rowHeight - 20) / 2, 70, 20),
                          ORVUtil::formatString(item.Price), gfx::Font::withName("Arial-BoldMT", 13.5));
    price->setTextAlignment(ui::TextAlignment::Right);
    content->addSubview(price);
}

void GetVirtualGoods::loadThumbnail(const ORVLocalVGStoreItem& item, const std::shared_ptr<ui::TableViewCell>& cell,
                                    bool fromFile) {
    if (fromFile) {
        auto thumb = ui::View::create<ui::ImageView>(gfx::Rect(kThumbX, kThumbY, kThumbSide, kThumbSide));
        thumb->setImage(item.thumbImageFilePath().empty()
                            ? nullptr
                            : gfx::Image::imageWithContentsOfFile(item.thumbImageFilePath()));
        thumb->setTag(kThumbTag);
        cell->addSubview(thumb);
        return;
    }
    if (item.ThumbImageURL.empty()) {
        return;
    }
    auto fetcher = ORVGenericCellImageFetcher::init();
    std::weak_ptr<ui::TableViewCell> weakCell = cell;
    fetcher->callbacks().setActionTarget(weakCell);
    fetcher->callbacks().onLoadSuccess = [weakCell] {
        if (auto loaded = weakCell.lock()) {
            placeThumbnail(*loaded);
        }
    };
    fetcher->loadStringURL(item.ThumbImageURL, cell);
}

void GetVirtualGoods::scrollToInitialRow() {
    if (!purchasedTable_ || closing_) {
        return;
    }
    // The stored list may hold fewer items than the row named (after a failed bought list).
    const int count = static_cast<int>(purchasedItems_.size());
    if (count == 0) {
        return;
    }
    const int row = std::clamp(scrollToRow(), 0, count - 1);
    purchasedTable_->scrollToRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0), ui::TableViewScrollPosition::Top,
                                            ui::Animated::Yes);
    ++initialScrolls_;
}

void GetVirtualGoods::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    const bool purchased = &tableView == purchasedTable_.get();
    const auto& items = purchased ? purchasedItems_ : allItems_;
    const int row = indexPath.row;
    if (closing_ || row < 0) {
        return;
    }
    if (row >= static_cast<int>(items.size())) {
        if (!purchased) {
            requestNextAvailablePage(tableView, indexPath);
        }
        tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
        return;
    }
    auto cell = tableView.cellForRowAtIndexPath(indexPath);
    gfx::ImagePtr thumb = cell ? thumbnailOf(*cell) : nullptr;
    if (!purchased) {
        openItemPage(items[row], 0, false, thumb);
    } else {
        lastIndexPressed_ = row;
        const bool downloaded = row < static_cast<int>(downloadStatus_.size()) && downloadStatus_[row] == 1;
        if (fetchImageLocally_ && !items[row].thumbImageFilePath().empty()) {
            thumb = gfx::Image::imageWithContentsOfFile(items[row].thumbImageFilePath());
        }
        openItemPage(items[row], 1, downloaded, thumb);
    }
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::Yes);
}

void GetVirtualGoods::requestNextAvailablePage(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    // A page already asked for: a second ask would advance the paging past a page that is never shown.
    if (allTokens_[0]) {
        return;
    }
    addObserversForAllVGStoreItems();
    if (shadow_) {
        shadow_->getAllVGStoreItems();
    }
    if (auto cell = tableView.cellForRowAtIndexPath(indexPath)) {
        const double side = genericIndicator_->frame().size.width;
        genericIndicator_->setFrame(gfx::Rect(280, (kAvailableRowHeight - side) / 2, side, side));
        cell->contentView()->addSubview(genericIndicator_);
    }
    genericIndicator_->startAnimating();
}

void GetVirtualGoods::openItemPage(const ORVLocalVGStoreItem& item, int tabType, bool isPurchased,
                                   gfx::ImagePtr thumb) {
    auto page = ui::View::create<AllVirtualGoodsDetailView>(gfx::Rect(0, 0, 320, 436));
    page->setTabType(tabType);
    page->setIsPurchased(isPurchased);
    auto thumbView = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, kThumbSide, kThumbSide));
    thumbView->setImage(std::move(thumb));
    page->loadView(item, thumbView);
    ORVUtil::animateORVView(page, ORVUtil::InFromRight, 0.5);
    addSubview(page);
    openPage_ = page;
}

} // namespace zelvan::orvane
