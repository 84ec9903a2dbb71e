// Table view row geometry: cumulative offsets of headers, rows and footers, and binary searches from
// points and rects back to rows.
#include "platform/ui/table_view_layout.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double sane(double height) {
    return std::isfinite(height) && height > 0 ? height : 0;
}

} // namespace

void TableViewLayout::build(TableViewStyle style, double width, double tableHeaderHeight, std::vector<Section> sections,
                            double tableFooterHeight) {
    style_ = style;
    width_ = width;
    tableHeaderHeight_ = sane(tableHeaderHeight);
    tableFooterHeight_ = sane(tableFooterHeight);
    sections_ = std::move(sections);
    placed_.clear();
    placed_.reserve(sections_.size());
    double y = tableHeaderHeight_;
    for (auto& section : sections_) {
        section.headerHeight = sane(section.headerHeight);
        section.footerHeight = sane(section.footerHeight);
        Placed placed;
        placed.top = y;
        y += section.headerHeight;
        placed.rowsTop = y;
        placed.rowTops.reserve(section.rowHeights.size() + 1);
        for (auto& height : section.rowHeights) {
            height = sane(height);
            placed.rowTops.push_back(y);
            y += height;
        }
        placed.rowTops.push_back(y);
        y += section.footerHeight;
        placed.bottom = y;
        placed_.push_back(std::move(placed));
    }
    contentHeight_ = y + tableFooterHeight_;
}

int TableViewLayout::numberOfRowsInSection(int section) const {
    if (section < 0 || section >= numberOfSections()) {
        return 0;
    }
    return static_cast<int>(sections_[section].rowHeights.size());
}

bool TableViewLayout::isValid(const fnd::IndexPath& path) const {
    return path.row >= 0 && path.row < numberOfRowsInSection(path.section);
}

double TableViewLayout::rowX() const {
    return style_ == TableViewStyle::Grouped ? kGroupedInset : 0;
}

double TableViewLayout::rowWidth() const {
    return std::max(0.0, width_ - 2 * rowX());
}

gfx::Rect TableViewLayout::tableHeaderRect() const {
    return gfx::Rect(0, 0, width_, tableHeaderHeight_);
}

gfx::Rect TableViewLayout::tableFooterRect() const {
    return gfx::Rect(0, contentHeight_ - tableFooterHeight_, width_, tableFooterHeight_);
}

gfx::Rect TableViewLayout::rectForSection(int section) const {
    if (section < 0 || section >= numberOfSections()) {
        return gfx::Rect::null();
    }
    const Placed& p = placed_[section];
    return gfx::Rect(0, p.top, width_, p.bottom - p.top);
}

gfx::Rect TableViewLayout::rectForHeaderInSection(int section) const {
    if (section < 0 || section >= numberOfSections()) {
        return gfx::Rect::null();
    }
    return gfx::Rect(0, placed_[section].top, width_, sections_[section].headerHeight);
}

gfx::Rect TableViewLayout::rectForFooterInSection(int section) const {
    if (section < 0 || section >= numberOfSections()) {
        return gfx::Rect::null();
    }
    const Placed& p = placed_[section];
    return gfx::Rect(0, p.rowTops.back(), width_, sections_[section].footerHeight);
}

gfx::Rect TableViewLayout::rectForRow(const fnd::IndexPath& path) const {
    if (!isValid(path)) {
        return gfx::Rect::null();
    }
    const Placed& p = placed_[path.section];
    return gfx::Rect(rowX(), p.rowTops[path.row], rowWidth(), sections_[path.section].rowHeights[path.row]);
}

int TableViewLayout::sectionAtOrBelow(double y) const {
    const auto it =
        std::upper_bound(placed_.begin(), placed_.end(), y, [](double v, const Placed& p) { return v < p.bottom; });
    return static_cast<int>(it - placed_.begin());
}

std::optional<fnd::IndexPath> TableViewLayout::indexPathForRowAtPoint(gfx::Point point) const {
    if (!(point.x >= rowX() && point.x < rowX() + rowWidth())) {
        return std::nullopt;
    }
    const int section = sectionAtOrBelow(point.y);
    if (section >= numberOfSections()) {
        return std::nullopt;
    }
    const auto& tops = placed_[section].rowTops;
    if (!(point.y >= tops.front() && point.y < tops.back())) {
        return std::nullopt;
    }
    // The last row top at or above the point; zero-height rows lose to the row below them.
    const auto it = std::upper_bound(tops.begin(), tops.end(), point.y);
    return fnd::IndexPath{section, static_cast<int>(it - tops.begin()) - 1};
}

std::vector<fnd::IndexPath> TableViewLayout::indexPathsForRowsInRect(gfx::Rect rect) const {
    std::vector<fnd::IndexPath> paths;
    if (rect.isNull() || !std::isfinite(rect.minY()) || !std::isfinite(rect.maxY())) {
        return paths;
    }
    const double top = rect.minY();
    const double bottom = rect.maxY();
    for (int section = sectionAtOrBelow(top); section < numberOfSections(); ++section) {
        const Placed& p = placed_[section];
        if (p.top >= bottom) {
            break;
        }
        const auto& heights = sections_[section].rowHeights;
        // The first row whose bottom lies below the rect's top.
        auto it = std::upper_bound(p.rowTops.begin() + 1, p.rowTops.end(), top);
        for (auto row = static_cast<int>(it - p.rowTops.begin()) - 1; row < static_cast<int>(heights.size()); ++row) {
            if (p.rowTops[row] >= bottom) {
                break;
            }
            if (heights[row] > 0) {
                paths.push_back(fnd::IndexPath{section, row});
            }
        }
    }
    return paths;
}

} // namespace ui
