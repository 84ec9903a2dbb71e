// ui::testing::TableDriver: taps on table rows and their controls for tests - selecting a row,
// tapping its detail disclosure button, and deleting it through the editing controls. Each scrolls
// the row into view first and taps with real touches through the table's window.
#pragma once

#include "platform/foundation/index_path.h"

namespace ui {
class TableView;
}

namespace ui::testing {

class TableDriver {
public:
    // Each returns false (with a log line) when the table is in no window, the row does not exist,
    // or the control to tap is not there.

    // Taps the middle of the row's content.
    static bool select(TableView& table, const fnd::IndexPath& path);
    // Taps the row's detail disclosure button.
    static bool tapAccessory(TableView& table, const fnd::IndexPath& path);
    // Taps the round delete control a row shows while the table is editing.
    static bool tapDeleteControl(TableView& table, const fnd::IndexPath& path);
    // Taps the "Delete" confirmation button the delete control brought out.
    static bool tapDeleteConfirmation(TableView& table, const fnd::IndexPath& path);
    // tapDeleteControl, then tapDeleteConfirmation.
    static bool deleteRow(TableView& table, const fnd::IndexPath& path);
};

} // namespace ui::testing
