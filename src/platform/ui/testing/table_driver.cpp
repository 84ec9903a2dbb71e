// The table driver: scrolls the row into view, finds the view to tap in its cell, and taps its
// centre through the touch driver.
#include "platform/ui/testing/table_driver.h"

#include "platform/foundation/log.h"
#include "platform/ui/button.h"
#include "platform/ui/table_view.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::testing {

namespace {

// The visible cell of `path`, after scrolling it into view; null (logged) when there is none.
std::shared_ptr<TableViewCell> visibleCell(TableView& table, const fnd::IndexPath& path) {
    if (!table.window()) {
        ZLOG(Warn, "TableDriver: the table is in no window");
        return nullptr;
    }
    table.layoutIfNeeded();
    if (table.rectForRowAtIndexPath(path).isNull()) {
        ZLOG(Warn, "TableDriver: no row %d in section %d", path.row, path.section);
        return nullptr;
    }
    table.scrollToRowAtIndexPath(path, TableViewScrollPosition::None, Animated::No);
    auto cell = table.cellForRowAtIndexPath(path);
    if (!cell) {
        ZLOG(Warn, "TableDriver: row %d of section %d has no cell", path.row, path.section);
    }
    return cell;
}

bool tapCentre(const std::shared_ptr<View>& view, const char* what) {
    if (!view || view->isHidden()) {
        ZLOG(Warn, "TableDriver: the row shows no %s", what);
        return false;
    }
    const auto window = view->window();
    if (!window) {
        ZLOG(Warn, "TableDriver: the %s is in no window", what);
        return false;
    }
    const gfx::Rect b = view->bounds();
    TouchDriver::tap(window, view->convertPointToView(gfx::Point{b.midX(), b.midY()}, nullptr));
    return true;
}

} // namespace

bool TableDriver::select(TableView& table, const fnd::IndexPath& path) {
    const auto cell = visibleCell(table, path);
    return cell && tapCentre(cell->contentView(), "content");
}

bool TableDriver::tapAccessory(TableView& table, const fnd::IndexPath& path) {
    const auto cell = visibleCell(table, path);
    return cell && tapCentre(cell->accessoryButton(), "detail disclosure button");
}

bool TableDriver::tapDeleteControl(TableView& table, const fnd::IndexPath& path) {
    const auto cell = visibleCell(table, path);
    if (!cell) {
        return false;
    }
    if (cell->editingStyle() != TableViewCellEditingStyle::Delete) {
        ZLOG(Warn, "TableDriver: row %d of section %d has no delete control", path.row, path.section);
        return false;
    }
    return tapCentre(cell->editingControl(), "delete control");
}

bool TableDriver::tapDeleteConfirmation(TableView& table, const fnd::IndexPath& path) {
    const auto cell = visibleCell(table, path);
    return cell && tapCentre(cell->deleteConfirmationButton(), "delete confirmation");
}

bool TableDriver::deleteRow(TableView& table, const fnd::IndexPath& path) {
    return tapDeleteControl(table, path) && tapDeleteConfirmation(table, path);
}

} // namespace ui::testing
