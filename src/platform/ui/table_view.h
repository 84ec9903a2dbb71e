// ui::TableView: a scroll view of rows in sections, plain or grouped. It asks a data source for
// counts and cells and a delegate for heights, header and footer views and selection decisions,
// keeps cells only for the rows on screen (the rest wait in reuse pools by identifier), selects
// rows from taps, scrolls rows into place, and edits rows through per-cell delete controls.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/foundation/index_path.h"
#include "platform/graphics/color.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/table_view_cell.h"
#include "platform/ui/table_view_layout.h"
#include "platform/ui/types.h"

namespace ui {

class TableView;

using fnd::IndexPath;

enum class TableViewScrollPosition { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewRowAnimation { Fade = 0, Right = 1, Left = 2, Top = 3, Bottom = 4, None = 5 };

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(TableView& /*tableView*/) { return 1; }
    virtual int tableViewNumberOfRowsInSection(TableView& tableView, int section) = 0;
    virtual std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& tableView,
                                                                          const IndexPath& indexPath) = 0;
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual std::optional<std::string> tableViewTitleForFooterInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual bool tableViewCanEditRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*indexPath*/) {
        return true;
    }
    virtual void tableViewCommitEditingStyle(TableView& /*tableView*/, TableViewCellEditingStyle /*style*/,
                                             const IndexPath& /*indexPath*/) {}
};

// Every method is optional; those answering nullopt "do not answer" and the table uses its default.
class TableViewDelegate : public ScrollViewDelegate {
public:
    // Default: rowHeight.
    virtual std::optional<double> tableViewHeightForRowAtIndexPath(TableView& /*tableView*/,
                                                                   const IndexPath& /*indexPath*/) {
        return std::nullopt;
    }
    // Defaults: sectionHeaderHeight / sectionFooterHeight where the section has a title or view
    // (always in the grouped style, which also adds room for a title).
    virtual std::optional<double> tableViewHeightForHeaderInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual std::optional<double> tableViewHeightForFooterInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    // Null: the title's view (or none).
    virtual std::shared_ptr<View> tableViewViewForHeaderInSection(TableView& /*tableView*/, int /*section*/) {
        return nullptr;
    }
    virtual std::shared_ptr<View> tableViewViewForFooterInSection(TableView& /*tableView*/, int /*section*/) {
        return nullptr;
    }
    virtual void tableViewWillDisplayCell(TableView& /*tableView*/, TableViewCell& /*cell*/,
                                          const IndexPath& /*indexPath*/) {}
    // Outer nullopt: not answered (the tapped row is selected). An inner nullopt selects nothing;
    // another path selects that row instead.
    virtual std::optional<std::optional<IndexPath>> tableViewWillSelectRowAtIndexPath(TableView& /*tableView*/,
                                                                                      const IndexPath& /*indexPath*/) {
        return std::nullopt;
    }
    virtual void tableViewDidSelectRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*indexPath*/) {}
    virtual void tableViewDidDeselectRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*indexPath*/) {}
    virtual void tableViewAccessoryButtonTappedForRowWithIndexPath(TableView& /*tableView*/,
                                                                   const IndexPath& /*indexPath*/) {}
    // Default while editing: Delete (None where the data source says the row cannot be edited).
    virtual std::optional<TableViewCellEditingStyle>
    tableViewEditingStyleForRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*indexPath*/) {
        return std::nullopt;
    }
    // Default: true.
    virtual std::optional<bool> tableViewShouldIndentWhileEditingRowAtIndexPath(TableView& /*tableView*/,
                                                                                const IndexPath& /*indexPath*/) {
        return std::nullopt;
    }
    // Default: 0.
    virtual std::optional<int> tableViewIndentationLevelForRowAtIndexPath(TableView& /*tableView*/,
                                                                          const IndexPath& /*indexPath*/) {
        return std::nullopt;
    }
};

class TableView : public ScrollView {
public:
    static constexpr double kDefaultRowHeight = 44;
    static constexpr double kPlainSectionHeaderHeight = 22;
    static constexpr double kGroupedSectionHeaderHeight = 10;
    // What a grouped section's title adds to its header or footer height.
    static constexpr double kGroupedTitleHeight = 30;
    // How long row animations are logged to take (AnimationLog).
    static constexpr double kRowAnimationDuration = 0.3;

    // `View::create<TableView>(frame, TableViewStyle::Grouped)`.
    explicit TableView(TableViewStyle style = TableViewStyle::Plain);
    ~TableView() override;

    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "TableView"; }

    TableViewStyle style() const { return style_; }

    // --- Data source and delegate (weak) ---
    std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
    void setDataSource(std::weak_ptr<TableViewDataSource> dataSource) { dataSource_ = std::move(dataSource); }
    // The scroll view's delegate, when it is a table view delegate.
    std::shared_ptr<TableViewDelegate> delegate() const;
    void setDelegate(std::weak_ptr<TableViewDelegate> delegate);

    // --- Properties ---
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    double sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(double height);
    double sectionFooterHeight() const { return sectionFooterHeight_; }
    void setSectionFooterHeight(double height);
    TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(TableViewCellSeparatorStyle style);
    gfx::Color separatorColor() const { return separatorColor_; }
    void setSeparatorColor(const gfx::Color& color);
    // Above the first section and below the last, as wide as the table, as high as their frames.
    const std::shared_ptr<View>& tableHeaderView() const { return tableHeaderView_; }
    void setTableHeaderView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& tableFooterView() const { return tableFooterView_; }
    void setTableFooterView(std::shared_ptr<View> view);
    // Fills the visible area behind the rows, not scrolling with them.
    const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<View> view);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows);
    bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
    void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }

    // --- Data ---
    // Asks for section and row counts, the header and footer titles, views and heights and every
    // row's height (for the content size), then cells for the visible rows only. Cells shown before
    // go back to their reuse pools. Runs by itself at the first layout when never called.
    void reloadData();
    // Asks again for these rows' heights and, where they are visible, their cells.
    void reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    // Changes made between these calls are checked and applied together at the end.
    void beginUpdates();
    void endUpdates();
    // The data source must already answer the new counts: a section's new count must equal the old
    // one minus its deletions plus its insertions. A mismatch logs an ERROR and reloads instead.
    void insertRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);

    // A cell from the pool of `identifier` (after `prepareForReuse`), or null when it is empty.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

    int numberOfSections() const { return layout_.numberOfSections(); }
    int numberOfRowsInSection(int section) const { return layout_.numberOfRowsInSection(section); }

    // --- Geometry (content coordinates) ---
    gfx::Rect rectForSection(int section) const { return layout_.rectForSection(section); }
    gfx::Rect rectForHeaderInSection(int section) const { return layout_.rectForHeaderInSection(section); }
    gfx::Rect rectForFooterInSection(int section) const { return layout_.rectForFooterInSection(section); }
    // Null for a path that does not exist.
    gfx::Rect rectForRowAtIndexPath(const IndexPath& path) const { return layout_.rectForRow(path); }
    std::optional<IndexPath> indexPathForRowAtPoint(gfx::Point point) const;

    // --- Visible rows ---
    // Top to bottom.
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;
    // The cell showing `path`, or null when that row is not on screen.
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(const IndexPath& path) const;
    // The path of a visible cell, or nullopt.
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
    // The view showing a section's header or footer while it is on screen, else null.
    std::shared_ptr<View> headerViewForSection(int section) const;
    std::shared_ptr<View> footerViewForSection(int section) const;

    // --- Selection ---
    std::optional<IndexPath> indexPathForSelectedRow() const { return selectedRow_; }
    // Selects without asking the delegate, deselecting the previous row; a null or invalid path
    // clears the selection. Scrolls the row to `position` unless that is None.
    void selectRowAtIndexPath(std::optional<IndexPath> path, Animated animated, TableViewScrollPosition position);
    void deselectRowAtIndexPath(const IndexPath& path, Animated animated);

    // --- Scrolling ---
    // Top, Middle and Bottom put the row at that place of the visible area; None moves it just into
    // view (not at all when it shows already). The offset stays within the reachable range. An
    // invalid path is logged and ignored.
    void scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position, Animated animated);
    void scrollToNearestSelectedRowAtScrollPosition(TableViewScrollPosition position, Animated animated);

    // --- Editing ---
    bool isEditing() const { return editing_; }
    void setEditing(bool editing) { setEditing(editing, Animated::No); }
    // Passes the editing state, style and indentation to the visible cells.
    void setEditing(bool editing, Animated animated);

    void layoutSubviews() override;

protected:
    void contentTouchesBegan(const TouchSet& touches, const Event* event) override;
    void contentTouchesMoved(const TouchSet& touches, const Event* event) override;
    void contentTouchesEnded(const TouchSet& touches, const Event* event) override;
    void contentTouchesCancelled(const TouchSet& touches, const Event* event) override;
    void contentOffsetDidChange() override;

private:
    struct SectionInfo {
        std::optional<std::string> headerTitle;
        std::optional<std::string> footerTitle;
        std::shared_ptr<View> headerView;
        std::shared_ptr<View> footerView;
    };
    struct PendingUpdate {
        bool insert = false;
        IndexPath path;
    };

    // Geometry (table_view.cpp).
    // Asks the data source and delegate for everything but cells and rebuilds the layout.
    void rebuildGeometry();
    std::vector<double> rowHeightsForSection(int section, int rows);
    void applyContentSize();
    // Adds cells and header views for what the bounds show and returns what left to the pools.
    void tileVisibleRows();
    void placeSupplementaryViews();
    void placeSectionView(std::map<int, std::shared_ptr<View>>& shown, int section, const std::shared_ptr<View>& view,
                          gfx::Rect rect);
    std::shared_ptr<View> makeTitleView(const std::string& title, bool header) const;
    void enqueueCell(const std::shared_ptr<TableViewCell>& cell);
    void dropAllVisibleCells();
    // Sets up a cell for `path`: frame, selection, editing, indentation, separator and wiring.
    void configureCell(TableViewCell& cell, const IndexPath& path);
    TableViewCellEditingStyle editingStyleForRow(const IndexPath& path);
    size_t cellInsertionIndex() const;
    void logRowAnimation(const std::string& what, TableViewRowAnimation animation) const;

    // Updates (table_view_updates.cpp).
    void applyUpdates(std::vector<PendingUpdate> updates, TableViewRowAnimation animation);

    // Interaction (table_view_selection.cpp).
    void accessoryTapped(TableViewCell& cell);
    void commitEditing(TableViewCell& cell, TableViewCellEditingStyle style);
    void confirmationShown(TableViewCell& cell);
    bool hideDeleteConfirmations();
    // The user's selection of `path`: will-select, highlight, select, did-select.
    void selectRowFromTouch(const IndexPath& path);
    bool selectionAllowedNow() const;

    TableViewStyle style_;
    std::weak_ptr<TableViewDataSource> dataSource_;
    double rowHeight_ = kDefaultRowHeight;
    double sectionHeaderHeight_;
    double sectionFooterHeight_;
    TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
    gfx::Color separatorColor_{0.88, 0.88, 0.88, 1};
    std::shared_ptr<View> tableHeaderView_;
    std::shared_ptr<View> tableFooterView_;
    std::shared_ptr<View> backgroundView_;
    bool allowsSelection_ = true;
    bool allowsSelectionDuringEditing_ = false;
    bool editing_ = false;

    bool loaded_ = false;
    bool tiling_ = false;
    TableViewLayout layout_;
    std::vector<SectionInfo> sectionInfo_;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
    std::unordered_map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reusePool_;
    std::map<int, std::shared_ptr<View>> shownHeaders_;
    std::map<int, std::shared_ptr<View>> shownFooters_;

    std::optional<IndexPath> selectedRow_;
    // The row a touch went down on (highlighted unless its cell's selection style is None).
    std::optional<IndexPath> pressedRow_;
    std::weak_ptr<Touch> pressedTouch_;

    int updateDepth_ = 0;
    std::vector<PendingUpdate> pendingUpdates_;
    TableViewRowAnimation pendingAnimation_ = TableViewRowAnimation::None;
};

} // namespace ui
