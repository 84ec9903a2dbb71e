// Table view interaction: rows highlighted by a touch and selected when it lifts without a drag,
// programmatic selection, accessory button taps and edits committed through the cells' controls.
#include "platform/ui/table_view.h"

#include "platform/ui/touch.h"

namespace ui {

// --- Programmatic selection ---

void TableView::selectRowAtIndexPath(std::optional<IndexPath> path, Animated animated,
                                     TableViewScrollPosition position) {
    if (!loaded_) {
        reloadData();
    }
    if (path && !layout_.isValid(*path)) {
        path.reset();
    }
    if (selectedRow_ && selectedRow_ != path) {
        if (auto cell = cellForRowAtIndexPath(*selectedRow_)) {
            cell->setSelected(false, animated);
        }
    }
    selectedRow_ = path;
    if (!path) {
        return;
    }
    if (position != TableViewScrollPosition::None) {
        scrollToRowAtIndexPath(*path, position, animated);
    }
    if (auto cell = cellForRowAtIndexPath(*path)) {
        cell->setSelected(true, animated);
    }
}

void TableView::deselectRowAtIndexPath(const IndexPath& path, Animated animated) {
    if (selectedRow_ != path) {
        return;
    }
    selectedRow_.reset();
    if (auto cell = cellForRowAtIndexPath(path)) {
        cell->setSelected(false, animated);
        cell->setHighlighted(false, animated);
    }
}

bool TableView::selectionAllowedNow() const {
    return editing_ ? allowsSelectionDuringEditing_ : allowsSelection_;
}

// --- Touches on rows ---

void TableView::contentTouchesBegan(const TouchSet& touches, const Event* event) {
    if (touches.empty() || pressedRow_) {
        ScrollView::contentTouchesBegan(touches, event);
        return;
    }
    const std::shared_ptr<Touch> touch = touches.front();
    // A touch anywhere on the rows while a delete confirmation shows only puts the confirmation away.
    if (hideDeleteConfirmations() || !selectionAllowedNow()) {
        return;
    }
    const auto path = indexPathForRowAtPoint(touch->locationInView(this));
    if (!path) {
        ScrollView::contentTouchesBegan(touches, event);
        return;
    }
    pressedRow_ = path;
    pressedTouch_ = touch;
    const auto cell = cellForRowAtIndexPath(*path);
    if (cell && cell->selectionStyle() != TableViewCellSelectionStyle::None) {
        cell->setHighlighted(true, Animated::No);
    }
}

void TableView::contentTouchesMoved(const TouchSet& touches, const Event* event) {
    const auto pressed = pressedTouch_.lock();
    for (const auto& touch : touches) {
        if (touch == pressed) {
            return; // a drag that starts cancels the touch; small moves keep the row pressed
        }
    }
    ScrollView::contentTouchesMoved(touches, event);
}

void TableView::contentTouchesEnded(const TouchSet& touches, const Event* event) {
    const auto pressed = pressedTouch_.lock();
    std::shared_ptr<Touch> touch;
    for (const auto& t : touches) {
        if (t == pressed) {
            touch = t;
        }
    }
    if (!touch || !pressedRow_) {
        ScrollView::contentTouchesEnded(touches, event);
        return;
    }
    const IndexPath path = *pressedRow_;
    pressedRow_.reset();
    pressedTouch_.reset();
    const std::shared_ptr<View> keepAlive = self();
    if (indexPathForRowAtPoint(touch->locationInView(this)) != path) {
        if (auto cell = cellForRowAtIndexPath(path)) {
            cell->setHighlighted(false, Animated::No);
        }
        return;
    }
    selectRowFromTouch(path);
}

void TableView::contentTouchesCancelled(const TouchSet& touches, const Event* event) {
    const auto pressed = pressedTouch_.lock();
    for (const auto& touch : touches) {
        if (touch == pressed && pressedRow_) {
            if (auto cell = cellForRowAtIndexPath(*pressedRow_)) {
                cell->setHighlighted(false, Animated::No);
            }
            pressedRow_.reset();
            pressedTouch_.reset();
            return;
        }
    }
    ScrollView::contentTouchesCancelled(touches, event);
}

void TableView::selectRowFromTouch(const IndexPath& tapped) {
    IndexPath path = tapped;
    const auto d = delegate();
    if (d) {
        if (auto answer = d->tableViewWillSelectRowAtIndexPath(*this, tapped)) {
            if (!*answer || !layout_.isValid(**answer)) {
                if (auto cell = cellForRowAtIndexPath(tapped)) {
                    cell->setHighlighted(false, Animated::No);
                }
                return;
            }
            path = **answer;
        }
    }
    if (path != tapped) {
        if (auto cell = cellForRowAtIndexPath(tapped)) {
            cell->setHighlighted(false, Animated::No);
        }
    }
    if (selectedRow_ && *selectedRow_ != path) {
        const IndexPath previous = *selectedRow_;
        deselectRowAtIndexPath(previous, Animated::No);
        if (auto del = delegate()) {
            del->tableViewDidDeselectRowAtIndexPath(*this, previous);
        }
    }
    if (!layout_.isValid(path)) {
        // A delegate call above reloaded the table without this row: there is nothing to select.
        return;
    }
    selectedRow_ = path;
    if (auto cell = cellForRowAtIndexPath(path)) {
        if (cell->selectionStyle() != TableViewCellSelectionStyle::None) {
            cell->setHighlighted(true, Animated::No);
        }
        cell->setSelected(true, Animated::No);
        cell->setHighlighted(false, Animated::No);
    }
    if (auto del = delegate()) {
        del->tableViewDidSelectRowAtIndexPath(*this, path);
    }
}

// --- Cell controls ---

void TableView::accessoryTapped(TableViewCell& cell) {
    const auto path = indexPathForCell(cell);
    const auto d = delegate();
    if (path && d) {
        d->tableViewAccessoryButtonTappedForRowWithIndexPath(*this, *path);
    }
}

void TableView::commitEditing(TableViewCell& cell, TableViewCellEditingStyle style) {
    const auto path = indexPathForCell(cell);
    if (!path) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    const auto keepCell = cell.self<TableViewCell>();
    cell.setShowingDeleteConfirmation(false);
    if (auto ds = dataSource()) {
        ds->tableViewCommitEditingStyle(*this, style, *path);
    }
}

void TableView::confirmationShown(TableViewCell& shown) {
    for (const auto& [path, cell] : std::map(visible_)) {
        if (cell.get() != &shown) {
            cell->setShowingDeleteConfirmation(false);
        }
    }
}

bool TableView::hideDeleteConfirmations() {
    bool any = false;
    for (const auto& [path, cell] : std::map(visible_)) {
        if (cell->showingDeleteConfirmation()) {
            cell->setShowingDeleteConfirmation(false);
            any = true;
        }
    }
    return any;
}

} // namespace ui
