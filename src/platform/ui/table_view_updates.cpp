// Table view row insertions and deletions: batched between beginUpdates and endUpdates, checked
// against the data source's new counts (a mismatch reloads instead), and applied by moving the
// visible cells and the selection to their rows' new index paths.
#include "platform/ui/table_view.h"

#include <set>

#include "platform/foundation/log.h"

namespace ui {

void TableView::beginUpdates() {
    ++updateDepth_;
}

void TableView::endUpdates() {
    if (updateDepth_ == 0) {
        ZLOG(Warn, "TableView: endUpdates without beginUpdates is ignored");
        return;
    }
    if (--updateDepth_ > 0) {
        return;
    }
    auto updates = std::move(pendingUpdates_);
    pendingUpdates_.clear();
    if (!updates.empty()) {
        applyUpdates(std::move(updates), pendingAnimation_);
    }
}

void TableView::insertRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation) {
    beginUpdates();
    for (const auto& path : paths) {
        pendingUpdates_.push_back(PendingUpdate{true, path});
    }
    pendingAnimation_ = animation;
    endUpdates();
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation) {
    beginUpdates();
    for (const auto& path : paths) {
        pendingUpdates_.push_back(PendingUpdate{false, path});
    }
    pendingAnimation_ = animation;
    endUpdates();
}

void TableView::applyUpdates(std::vector<PendingUpdate> updates, TableViewRowAnimation animation) {
    const std::shared_ptr<View> keepAlive = self();
    if (!loaded_) {
        reloadData();
        return;
    }
    const auto ds = dataSource();
    const int sections = layout_.numberOfSections();
    const int newSections = ds ? ds->numberOfSectionsInTableView(*this) : 0;
    std::vector<std::set<int>> deleted(static_cast<size_t>(sections));
    std::vector<std::set<int>> inserted(static_cast<size_t>(sections));
    std::vector<int> newRows(static_cast<size_t>(sections), 0);

    bool consistent = newSections == sections;
    if (consistent) {
        for (int s = 0; s < sections; ++s) {
            newRows[static_cast<size_t>(s)] = ds->tableViewNumberOfRowsInSection(*this, s);
        }
        if (layout_.numberOfSections() != sections) {
            // The data source reloaded the table while answering: it already shows the new counts.
            return;
        }
    }
    for (const auto& update : updates) {
        if (!consistent) {
            break;
        }
        const int s = update.path.section;
        if (s < 0 || s >= sections) {
            consistent = false;
            break;
        }
        const int limit = update.insert ? newRows[static_cast<size_t>(s)] : layout_.numberOfRowsInSection(s);
        auto& set = update.insert ? inserted[static_cast<size_t>(s)] : deleted[static_cast<size_t>(s)];
        if (update.path.row < 0 || update.path.row >= limit || !set.insert(update.path.row).second) {
            consistent = false;
        }
    }
    for (int s = 0; consistent && s < sections; ++s) {
        const size_t i = static_cast<size_t>(s);
        const auto expected =
            static_cast<size_t>(layout_.numberOfRowsInSection(s)) - deleted[i].size() + inserted[i].size();
        if (newRows[i] < 0 || static_cast<size_t>(newRows[i]) != expected) {
            ZLOG(Error,
                 "TableView: section %d has %d rows after the update, but %d before with %d deleted and "
                 "%d inserted; reloading instead",
                 s, newRows[i], layout_.numberOfRowsInSection(s), static_cast<int>(deleted[i].size()),
                 static_cast<int>(inserted[i].size()));
            consistent = false;
        }
    }
    if (!consistent) {
        if (newSections != sections) {
            ZLOG(Error, "TableView: %d sections after a row update, %d before; reloading instead", newSections,
                 sections);
        } else {
            ZLOG(Error, "TableView: a row update names rows that do not exist; reloading instead");
        }
        reloadData();
        return;
    }

    // Where each old row goes: surviving rows keep their order around the inserted ones.
    std::vector<std::vector<int>> oldToNew(static_cast<size_t>(sections));
    for (int s = 0; s < sections; ++s) {
        const size_t i = static_cast<size_t>(s);
        auto& map = oldToNew[i];
        map.assign(static_cast<size_t>(layout_.numberOfRowsInSection(s)), -1);
        int old = 0;
        for (int row = 0; row < newRows[i]; ++row) {
            if (inserted[i].count(row) != 0) {
                continue;
            }
            while (deleted[i].count(old) != 0) {
                ++old;
            }
            map[static_cast<size_t>(old++)] = row;
        }
    }
    const auto remap = [&oldToNew](const IndexPath& path) -> std::optional<IndexPath> {
        const int row = oldToNew[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)];
        return row < 0 ? std::nullopt : std::optional<IndexPath>(IndexPath{path.section, row});
    };

    pressedRow_.reset();
    std::map<IndexPath, std::shared_ptr<TableViewCell>> moved;
    for (const auto& [path, cell] : visible_) {
        if (auto to = remap(path)) {
            moved[*to] = cell;
        } else {
            enqueueCell(cell);
        }
    }
    visible_ = std::move(moved);
    if (selectedRow_) {
        selectedRow_ = remap(*selectedRow_);
    }

    std::vector<TableViewLayout::Section> specs = layout_.sections();
    for (int s = 0; s < sections; ++s) {
        specs[static_cast<size_t>(s)].rowHeights = rowHeightsForSection(s, newRows[static_cast<size_t>(s)]);
    }
    const double headerHeight = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    const double footerHeight = tableFooterView_ ? tableFooterView_->frame().size.height : 0;
    layout_.build(style_, bounds().width(), headerHeight, std::move(specs), footerHeight);
    for (const auto& [path, cell] : visible_) {
        cell->setFrame(layout_.rectForRow(path));
    }
    applyContentSize();

    bool anyInsert = false;
    bool anyDelete = false;
    for (const auto& update : updates) {
        (update.insert ? anyInsert : anyDelete) = true;
    }
    if (anyDelete) {
        logRowAnimation("deleteRows", animation);
    }
    if (anyInsert) {
        logRowAnimation("insertRows", animation);
    }
    tileVisibleRows();
}

} // namespace ui
