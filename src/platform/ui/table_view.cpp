// Table view: properties, loading the geometry from the data source and delegate, keeping cells
// and section views only for what the bounds show (with reuse pools), geometry queries, scrolling
// rows into place and passing the editing state to the cells.
#include "platform/ui/table_view.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/label.h"

namespace ui {

namespace {

const gfx::Color kPlainHeaderColor(0.58, 0.63, 0.69, 1);
const gfx::Color kGroupedTitleColor(0.3, 0.34, 0.42, 1);
const gfx::Color kGroupedBackground(0.77, 0.8, 0.84, 1);
constexpr double kTitleInset = 12;
constexpr double kGroupedTitleInset = 20;

const char* rowAnimationName(TableViewRowAnimation animation) {
    switch (animation) {
    case TableViewRowAnimation::Fade:
        return "fade";
    case TableViewRowAnimation::Right:
        return "right";
    case TableViewRowAnimation::Left:
        return "left";
    case TableViewRowAnimation::Top:
        return "top";
    case TableViewRowAnimation::Bottom:
        return "bottom";
    case TableViewRowAnimation::None:
        break;
    }
    return "none";
}

double saneHeight(double height) {
    return std::isfinite(height) && height > 0 ? height : 0;
}

} // namespace

TableView::TableView(TableViewStyle style)
    : style_(style),
      sectionHeaderHeight_(style == TableViewStyle::Grouped ? kGroupedSectionHeaderHeight : kPlainSectionHeaderHeight),
      sectionFooterHeight_(style == TableViewStyle::Grouped ? kGroupedSectionHeaderHeight : kPlainSectionHeaderHeight) {
}

TableView::~TableView() = default;

void TableView::initWithFrame(gfx::Rect frame) {
    ScrollView::initWithFrame(frame);
    setBackgroundColor(style_ == TableViewStyle::Grouped ? kGroupedBackground : gfx::Color::white());
    setAlwaysBounceVertical(true);
}

std::shared_ptr<TableViewDelegate> TableView::delegate() const {
    return std::dynamic_pointer_cast<TableViewDelegate>(ScrollView::delegate());
}

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> delegate) {
    ScrollView::setDelegate(std::weak_ptr<ScrollViewDelegate>(delegate.lock()));
}

// --- Properties ---

void TableView::setRowHeight(double height) {
    rowHeight_ = saneHeight(height);
    if (loaded_) {
        reloadData();
    }
}

void TableView::setSectionHeaderHeight(double height) {
    sectionHeaderHeight_ = saneHeight(height);
    if (loaded_) {
        reloadData();
    }
}

void TableView::setSectionFooterHeight(double height) {
    sectionFooterHeight_ = saneHeight(height);
    if (loaded_) {
        reloadData();
    }
}

void TableView::setSeparatorStyle(TableViewCellSeparatorStyle style) {
    separatorStyle_ = style;
    for (const auto& [path, cell] : visible_) {
        cell->setSeparator(separatorStyle_, separatorColor_);
    }
}

void TableView::setSeparatorColor(const gfx::Color& color) {
    separatorColor_ = color;
    setSeparatorStyle(separatorStyle_);
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
    if (tableHeaderView_ && tableHeaderView_->superview().get() == this) {
        tableHeaderView_->removeFromSuperview();
    }
    tableHeaderView_ = std::move(view);
    if (tableHeaderView_) {
        insertSubviewAtIndex(tableHeaderView_, cellInsertionIndex());
    }
    if (loaded_) {
        reloadData();
    }
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
    if (tableFooterView_ && tableFooterView_->superview().get() == this) {
        tableFooterView_->removeFromSuperview();
    }
    tableFooterView_ = std::move(view);
    if (tableFooterView_) {
        insertSubviewAtIndex(tableFooterView_, cellInsertionIndex());
    }
    if (loaded_) {
        reloadData();
    }
}

void TableView::setBackgroundView(std::shared_ptr<View> view) {
    if (backgroundView_ && backgroundView_->superview().get() == this) {
        backgroundView_->removeFromSuperview();
    }
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        insertSubviewAtIndex(backgroundView_, 0);
        backgroundView_->setFrame(bounds());
    }
}

void TableView::setAllowsSelection(bool allows) {
    allowsSelection_ = allows;
    if (!allows && selectedRow_) {
        deselectRowAtIndexPath(*selectedRow_, Animated::No);
    }
}

size_t TableView::cellInsertionIndex() const {
    return backgroundView_ && backgroundView_->superview().get() == this ? 1 : 0;
}

// --- Loading ---

std::vector<double> TableView::rowHeightsForSection(int section, int rows) {
    std::vector<double> heights(static_cast<size_t>(rows), rowHeight_);
    const auto d = delegate();
    if (!d) {
        return heights;
    }
    for (int row = 0; row < rows; ++row) {
        if (auto answer = d->tableViewHeightForRowAtIndexPath(*this, IndexPath{section, row})) {
            heights[static_cast<size_t>(row)] = *answer;
        }
    }
    return heights;
}

void TableView::rebuildGeometry() {
    const auto ds = dataSource();
    const auto d = delegate();
    const int sections = ds ? std::max(0, ds->numberOfSectionsInTableView(*this)) : 0;
    std::vector<int> rows(static_cast<size_t>(sections), 0);
    for (int s = 0; s < sections; ++s) {
        rows[static_cast<size_t>(s)] = std::max(0, ds->tableViewNumberOfRowsInSection(*this, s));
    }

    std::vector<TableViewLayout::Section> sectionGeometry(static_cast<size_t>(sections));
    std::vector<SectionInfo> info(static_cast<size_t>(sections));
    const bool grouped = style_ == TableViewStyle::Grouped;
    for (int s = 0; s < sections; ++s) {
        SectionInfo& si = info[static_cast<size_t>(s)];
        si.headerTitle = ds->tableViewTitleForHeaderInSection(*this, s);
        si.footerTitle = ds->tableViewTitleForFooterInSection(*this, s);
        if (si.headerTitle && si.headerTitle->empty()) {
            si.headerTitle.reset();
        }
        if (si.footerTitle && si.footerTitle->empty()) {
            si.footerTitle.reset();
        }
        std::optional<double> headerAnswer;
        std::optional<double> footerAnswer;
        if (d) {
            si.headerView = d->tableViewViewForHeaderInSection(*this, s);
            si.footerView = d->tableViewViewForFooterInSection(*this, s);
            headerAnswer = d->tableViewHeightForHeaderInSection(*this, s);
            footerAnswer = d->tableViewHeightForFooterInSection(*this, s);
        }
        const bool headerContent = si.headerView || si.headerTitle;
        const bool footerContent = si.footerView || si.footerTitle;
        auto& section = sectionGeometry[static_cast<size_t>(s)];
        if (grouped) {
            section.headerHeight =
                headerAnswer.value_or(sectionHeaderHeight_ + (headerContent ? kGroupedTitleHeight : 0));
            section.footerHeight =
                footerAnswer.value_or(sectionFooterHeight_ + (footerContent ? kGroupedTitleHeight : 0));
        } else {
            section.headerHeight = headerAnswer.value_or(headerContent ? sectionHeaderHeight_ : 0);
            section.footerHeight = footerAnswer.value_or(footerContent ? sectionFooterHeight_ : 0);
        }
    }
    for (int s = 0; s < sections; ++s) {
        sectionGeometry[static_cast<size_t>(s)].rowHeights = rowHeightsForSection(s, rows[static_cast<size_t>(s)]);
    }

    // Header and footer views of the old data leave with it.
    for (auto* shown : {&shownHeaders_, &shownFooters_}) {
        for (const auto& [section, view] : *shown) {
            if (view->superview().get() == this) {
                view->removeFromSuperview();
            }
        }
        shown->clear();
    }
    sectionInfo_ = std::move(info);
    const double headerHeight = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    const double footerHeight = tableFooterView_ ? tableFooterView_->frame().size.height : 0;
    layout_.build(style_, bounds().width(), headerHeight, std::move(sectionGeometry), footerHeight);
    applyContentSize();
}

void TableView::applyContentSize() {
    setContentSize(gfx::Size{bounds().width(), layout_.contentHeight()});
    // Content that shrank below a resting offset pulls the offset back into range.
    const double maxY = maximumContentOffset().y;
    if (contentOffset().y > maxY && !isDragging() && !isDecelerating() && !isScrollAnimating()) {
        setContentOffset(gfx::Point{contentOffset().x, maxY});
    }
}

void TableView::reloadData() {
    const std::shared_ptr<View> keepAlive = self();
    loaded_ = true;
    pressedRow_.reset();
    dropAllVisibleCells();
    rebuildGeometry();
    if (selectedRow_ && !layout_.isValid(*selectedRow_)) {
        selectedRow_.reset();
    }
    tileVisibleRows();
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation) {
    const std::shared_ptr<View> keepAlive = self();
    if (!loaded_) {
        reloadData();
        return;
    }
    std::vector<TableViewLayout::Section> sectionGeometry = layout_.sections();
    const auto d = delegate();
    for (const auto& path : paths) {
        if (!layout_.isValid(path)) {
            ZLOG(Warn, "TableView: reloadRowsAtIndexPaths ignores a row that does not exist (section %d, row %d)",
                 path.section, path.row);
            continue;
        }
        double height = rowHeight_;
        if (d) {
            height = d->tableViewHeightForRowAtIndexPath(*this, path).value_or(rowHeight_);
        }
        sectionGeometry[static_cast<size_t>(path.section)].rowHeights[static_cast<size_t>(path.row)] = height;
        if (auto it = visible_.find(path); it != visible_.end()) {
            const auto cell = it->second;
            visible_.erase(it);
            enqueueCell(cell);
        }
    }
    const double headerHeight = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    const double footerHeight = tableFooterView_ ? tableFooterView_->frame().size.height : 0;
    layout_.build(style_, bounds().width(), headerHeight, std::move(sectionGeometry), footerHeight);
    applyContentSize();
    logRowAnimation("reloadRows", animation);
    tileVisibleRows();
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
    auto it = reusePool_.find(identifier);
    if (it == reusePool_.end() || it->second.empty()) {
        return nullptr;
    }
    auto cell = std::move(it->second.back());
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

void TableView::enqueueCell(const std::shared_ptr<TableViewCell>& cell) {
    if (cell->superview().get() == this) {
        cell->removeFromSuperview();
    }
    cell->setHighlighted(false, Animated::No);
    if (!cell->reuseIdentifier().empty()) {
        reusePool_[cell->reuseIdentifier()].push_back(cell);
    }
}

void TableView::dropAllVisibleCells() {
    auto cells = std::move(visible_);
    visible_.clear();
    for (const auto& [path, cell] : cells) {
        enqueueCell(cell);
    }
}

// --- Tiling ---

void TableView::layoutSubviews() {
    ScrollView::layoutSubviews();
    if (!loaded_) {
        reloadData();
        return;
    }
    if (bounds().width() != layout_.tableHeaderRect().width()) {
        layout_.setWidth(bounds().width());
        applyContentSize();
        for (const auto& [path, cell] : visible_) {
            cell->setFrame(layout_.rectForRow(path));
        }
    }
    tileVisibleRows();
}

void TableView::contentOffsetDidChange() {
    if (loaded_) {
        tileVisibleRows();
    }
}

void TableView::tileVisibleRows() {
    if (tiling_) {
        return; // a data source that scrolls from inside cellForRow: the outer pass finishes
    }
    tiling_ = true;
    const std::shared_ptr<View> keepAlive = self();
    const gfx::Rect visibleRect = bounds();
    const std::vector<IndexPath> wanted = layout_.indexPathsForRowsInRect(visibleRect);

    // Rows that left the bounds give their cells back first, so the new rows can reuse them.
    for (auto it = visible_.begin(); it != visible_.end();) {
        if (!std::binary_search(wanted.begin(), wanted.end(), it->first)) {
            const auto cell = it->second;
            it = visible_.erase(it);
            enqueueCell(cell);
        } else {
            ++it;
        }
    }
    const auto ds = dataSource();
    for (const auto& path : wanted) {
        if (visible_.count(path) != 0 || !ds) {
            continue;
        }
        auto cell = ds->tableViewCellForRowAtIndexPath(*this, path);
        if (!cell) {
            ZLOG(Error, "TableView: the data source gave no cell for section %d, row %d", path.section, path.row);
            continue;
        }
        if (!layout_.isValid(path)) {
            break; // the data source reloaded the table while making the cell
        }
        configureCell(*cell, path);
        if (auto d = delegate()) {
            d->tableViewWillDisplayCell(*this, *cell, path);
        }
        visible_[path] = cell;
        insertSubviewAtIndex(cell, cellInsertionIndex());
        cell->layoutIfNeeded();
    }
    placeSupplementaryViews();
    tiling_ = false;
}

void TableView::configureCell(TableViewCell& cell, const IndexPath& path) {
    cell.setFrame(layout_.rectForRow(path));
    cell.setSelected(selectedRow_ == path, Animated::No);
    cell.setHighlighted(false, Animated::No);
    const auto d = delegate();
    cell.setEditingStyle(editingStyleForRow(path));
    cell.setShouldIndentWhileEditing(d ? d->tableViewShouldIndentWhileEditingRowAtIndexPath(*this, path).value_or(true)
                                       : true);
    if (d) {
        if (auto level = d->tableViewIndentationLevelForRowAtIndexPath(*this, path)) {
            cell.setIndentationLevel(*level);
        }
    }
    cell.setEditing(editing_, Animated::No);
    cell.setSeparator(separatorStyle_, separatorColor_);
    std::weak_ptr<TableView> weakSelf = self<TableView>();
    cell.setAccessoryTapHandler([weakSelf](TableViewCell& c) {
        if (auto table = weakSelf.lock()) {
            table->accessoryTapped(c);
        }
    });
    cell.setCommitEditingHandler([weakSelf](TableViewCell& c, TableViewCellEditingStyle style) {
        if (auto table = weakSelf.lock()) {
            table->commitEditing(c, style);
        }
    });
    cell.setConfirmationHandler([weakSelf](TableViewCell& c) {
        if (auto table = weakSelf.lock()) {
            table->confirmationShown(c);
        }
    });
    cell.setNeedsLayout();
}

TableViewCellEditingStyle TableView::editingStyleForRow(const IndexPath& path) {
    const auto ds = dataSource();
    if (ds && !ds->tableViewCanEditRowAtIndexPath(*this, path)) {
        return TableViewCellEditingStyle::None;
    }
    if (auto d = delegate()) {
        if (auto style = d->tableViewEditingStyleForRowAtIndexPath(*this, path)) {
            return *style;
        }
    }
    return TableViewCellEditingStyle::Delete;
}

void TableView::placeSupplementaryViews() {
    const gfx::Rect visibleRect = bounds();
    if (backgroundView_) {
        backgroundView_->setFrame(visibleRect);
    }
    if (tableHeaderView_) {
        tableHeaderView_->setFrame(layout_.tableHeaderRect());
    }
    if (tableFooterView_) {
        tableFooterView_->setFrame(layout_.tableFooterRect());
    }
    for (int s = 0; s < layout_.numberOfSections() && s < static_cast<int>(sectionInfo_.size()); ++s) {
        SectionInfo& info = sectionInfo_[static_cast<size_t>(s)];
        const gfx::Rect headerRect = layout_.rectForHeaderInSection(s);
        const gfx::Rect footerRect = layout_.rectForFooterInSection(s);
        const bool headerShows = headerRect.height() > 0 && headerRect.intersects(visibleRect);
        const bool footerShows = footerRect.height() > 0 && footerRect.intersects(visibleRect);
        if (headerShows && !info.headerView && info.headerTitle) {
            info.headerView = makeTitleView(*info.headerTitle, true);
        }
        if (footerShows && !info.footerView && info.footerTitle) {
            info.footerView = makeTitleView(*info.footerTitle, false);
        }
        placeSectionView(shownHeaders_, s, headerShows ? info.headerView : nullptr, headerRect);
        placeSectionView(shownFooters_, s, footerShows ? info.footerView : nullptr, footerRect);
    }
}

void TableView::placeSectionView(std::map<int, std::shared_ptr<View>>& shown, int section,
                                 const std::shared_ptr<View>& view, gfx::Rect rect) {
    auto it = shown.find(section);
    if (it != shown.end() && it->second != view) {
        if (it->second->superview().get() == this) {
            it->second->removeFromSuperview();
        }
        shown.erase(it);
    }
    if (!view) {
        return;
    }
    view->setFrame(rect);
    if (view->superview().get() != this) {
        // Above the cells, below the scroll indicators.
        insertSubviewAtIndex(view, cellInsertionIndex() + visible_.size());
    }
    shown[section] = view;
}

std::shared_ptr<View> TableView::makeTitleView(const std::string& title, bool header) const {
    const bool grouped = style_ == TableViewStyle::Grouped;
    auto view = View::create<View>(gfx::Rect{});
    view->setUserInteractionEnabled(false);
    auto label = View::create<Label>(gfx::Rect{});
    label->setText(title);
    label->setBackgroundColor(gfx::Color::clear());
    label->setOpaque(false);
    if (grouped) {
        label->setFont(header ? gfx::Font::boldSystemFontOfSize(17) : gfx::Font::systemFontOfSize(15));
        label->setTextColor(kGroupedTitleColor);
        label->setTextAlignment(header ? TextAlignment::Left : TextAlignment::Center);
        // The title sits in the part of the header above the section's own margin.
        const double top = header ? 0 : sectionFooterHeight_;
        label->setFrame(gfx::Rect(kGroupedTitleInset, top, 0, kGroupedTitleHeight));
    } else {
        view->setBackgroundColor(kPlainHeaderColor);
        label->setFont(gfx::Font::boldSystemFontOfSize(18));
        label->setTextColor(gfx::Color::white());
        label->setShadowColor(gfx::Color::white(0, 0.4));
        label->setFrame(gfx::Rect(kTitleInset, 0, 0, 0));
    }
    label->setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
    view->addSubview(label);
    // The label fills the view less its insets once the view gets its size.
    const double inset = grouped ? kGroupedTitleInset : kTitleInset;
    view->setFrame(gfx::Rect(0, 0, 2 * inset, grouped ? label->frame().maxY() : 0));
    return view;
}

// --- Queries ---

std::optional<IndexPath> TableView::indexPathForRowAtPoint(gfx::Point point) const {
    return layout_.indexPathForRowAtPoint(point);
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const {
    std::vector<std::shared_ptr<TableViewCell>> cells;
    cells.reserve(visible_.size());
    for (const auto& [path, cell] : visible_) {
        cells.push_back(cell);
    }
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
    std::vector<IndexPath> paths;
    paths.reserve(visible_.size());
    for (const auto& [path, cell] : visible_) {
        paths.push_back(path);
    }
    return paths;
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(const IndexPath& path) const {
    const auto it = visible_.find(path);
    return it == visible_.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
    for (const auto& [path, shown] : visible_) {
        if (shown.get() == &cell) {
            return path;
        }
    }
    return std::nullopt;
}

std::shared_ptr<View> TableView::headerViewForSection(int section) const {
    const auto it = shownHeaders_.find(section);
    return it == shownHeaders_.end() ? nullptr : it->second;
}

std::shared_ptr<View> TableView::footerViewForSection(int section) const {
    const auto it = shownFooters_.find(section);
    return it == shownFooters_.end() ? nullptr : it->second;
}

// --- Scrolling ---

void TableView::scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position, Animated animated) {
    if (!loaded_) {
        reloadData();
    }
    if (!layout_.isValid(path)) {
        ZLOG(Error, "TableView: scrollToRowAtIndexPath ignores a row that does not exist (section %d, row %d)",
             path.section, path.row);
        return;
    }
    const gfx::Rect row = layout_.rectForRow(path);
    const gfx::Rect visible = bounds();
    double y = visible.minY();
    switch (position) {
    case TableViewScrollPosition::Top:
        y = row.minY();
        break;
    case TableViewScrollPosition::Middle:
        y = row.midY() - visible.height() / 2;
        break;
    case TableViewScrollPosition::Bottom:
        y = row.maxY() - visible.height();
        break;
    case TableViewScrollPosition::None:
        if (row.minY() < visible.minY()) {
            y = row.minY();
        } else if (row.maxY() > visible.maxY()) {
            y = row.maxY() - visible.height();
        }
        break;
    }
    y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset(gfx::Point{contentOffset().x, y}, animated);
}

void TableView::scrollToNearestSelectedRowAtScrollPosition(TableViewScrollPosition position, Animated animated) {
    if (selectedRow_) {
        scrollToRowAtIndexPath(*selectedRow_, position, animated);
    }
}

// --- Editing ---

void TableView::setEditing(bool editing, Animated animated) {
    if (editing_ == editing) {
        return;
    }
    editing_ = editing;
    const std::shared_ptr<View> keepAlive = self();
    const auto d = delegate();
    for (const auto& [path, cell] : std::map(visible_)) {
        cell->setEditingStyle(editingStyleForRow(path));
        cell->setShouldIndentWhileEditing(
            d ? d->tableViewShouldIndentWhileEditingRowAtIndexPath(*this, path).value_or(true) : true);
        cell->setEditing(editing, animated);
        cell->layoutIfNeeded();
    }
    if (editing && !allowsSelectionDuringEditing_ && selectedRow_) {
        deselectRowAtIndexPath(*selectedRow_, Animated::No);
    }
}

void TableView::logRowAnimation(const std::string& what, TableViewRowAnimation animation) const {
    AnimationLogEntry entry;
    entry.name = "TableView." + what + ":" + rowAnimationName(animation);
    entry.time = fnd::Clock::monotonic();
    entry.duration = animation == TableViewRowAnimation::None ? 0 : kRowAnimationDuration;
    AnimationLog::append(std::move(entry));
}

} // namespace ui
