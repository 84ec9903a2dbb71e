// ui::TableViewLayout: the row geometry of a table view - where the table header, each section's
// header, rows and footer, and the table footer lie for given heights, in plain or grouped style -
// and the lookups from points and rects back to rows.
#pragma once

#include <optional>
#include <vector>

#include "platform/foundation/index_path.h"
#include "platform/graphics/geometry.h"

namespace ui {

enum class TableViewStyle { Plain = 0, Grouped = 1 };

class TableViewLayout {
public:
    // Grouped tables inset their rows this far from each side.
    static constexpr double kGroupedInset = 10;

    // The heights of one section's parts (negative or non-finite heights count as zero).
    struct Section {
        double headerHeight = 0;
        double footerHeight = 0;
        std::vector<double> rowHeights;
    };

    // Lays out `sections` top to bottom below a table header of `tableHeaderHeight`, followed by a
    // table footer of `tableFooterHeight`, for a table `width` wide.
    void build(TableViewStyle style, double width, double tableHeaderHeight, std::vector<Section> sections,
               double tableFooterHeight);
    // Keeps the heights; only the rects' widths change.
    void setWidth(double width) { width_ = width; }

    int numberOfSections() const { return static_cast<int>(sections_.size()); }
    // 0 for a section that does not exist.
    int numberOfRowsInSection(int section) const;
    bool isValid(const fnd::IndexPath& path) const;
    const std::vector<Section>& sections() const { return sections_; }

    // Content height: table header, every section, table footer.
    double contentHeight() const { return contentHeight_; }
    gfx::Rect tableHeaderRect() const;
    gfx::Rect tableFooterRect() const;
    // Null rects for parts that do not exist.
    gfx::Rect rectForSection(int section) const;
    gfx::Rect rectForHeaderInSection(int section) const;
    gfx::Rect rectForFooterInSection(int section) const;
    gfx::Rect rectForRow(const fnd::IndexPath& path) const;

    // The row whose rect contains `point`, or nullopt.
    std::optional<fnd::IndexPath> indexPathForRowAtPoint(gfx::Point point) const;
    // Rows whose rects meet `rect` vertically (and have some height), top to bottom.
    std::vector<fnd::IndexPath> indexPathsForRowsInRect(gfx::Rect rect) const;

private:
    struct Placed {
        double top = 0;              // the header's top
        double rowsTop = 0;          // the first row's top
        std::vector<double> rowTops; // one more than the rows: the last is the rows' bottom
        double bottom = 0;           // the footer's bottom
    };
    double rowX() const;
    double rowWidth() const;
    // The first section whose extent reaches below `y` (binary search), or the section count.
    int sectionAtOrBelow(double y) const;

    TableViewStyle style_ = TableViewStyle::Plain;
    double width_ = 0;
    double tableHeaderHeight_ = 0;
    double tableFooterHeight_ = 0;
    double contentHeight_ = 0;
    std::vector<Section> sections_;
    std::vector<Placed> placed_;
};

} // namespace ui
