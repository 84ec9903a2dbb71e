// device::PersonForm: the grouped table behind the person screens. Shown for display it lists a
// person's values (tapping one reports its property and identifier); shown for editing it holds a
// text field per name, phone and e-mail row, with a blank row to add one more phone or address,
// and writes what was typed back into a person.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/device/person.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_field.h"

namespace device {

class PersonForm : public ui::TableViewDataSource,
                   public ui::TableViewDelegate,
                   public std::enable_shared_from_this<PersonForm> {
public:
    enum class Mode { Display, Editing };

    struct Row {
        Property property = Property::FirstName;
        // The entry's identifier in its list; invalid for single values and for rows not yet saved.
        MultiValueIdentifier identifier = kMultiValueInvalidIdentifier;
        std::string label;
        std::string value;
        std::shared_ptr<ui::TableViewCell> cell;
        std::shared_ptr<ui::TextField> field; // editing rows only
    };

    // A grouped table of `frame` showing this form.
    std::shared_ptr<ui::TableView> makeTable(gfx::Rect frame);
    const std::shared_ptr<ui::TableView>& table() const { return table_; }

    // Builds the rows for `person` and reloads the table.
    void load(const Person& person, Mode mode);
    Mode mode() const { return mode_; }

    // Where the row of `property` (and, for lists, of the entry `identifier`) is. In editing mode an
    // invalid identifier names the list's blank row.
    std::optional<fnd::IndexPath> indexPathFor(Property property, MultiValueIdentifier identifier) const;
    const Row* rowAt(const fnd::IndexPath& path) const;
    // Gives an editing row of a list another label.
    bool setLabel(const fnd::IndexPath& path, std::string label);

    // Writes the editing rows into `person`: typed names replace (or, emptied, remove) the names;
    // list rows replace their entries by identifier, emptied ones are removed, filled new rows are
    // added with their labels. Values the form does not show are left alone.
    void apply(Person& person) const;

    // Display mode: the person tapped a value.
    std::function<void(Property, MultiValueIdentifier)> onSelect;

    // --- Table data source and delegate ---
    int numberOfSectionsInTableView(ui::TableView& table) override;
    int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                                      const fnd::IndexPath& path) override;
    bool tableViewCanEditRowAtIndexPath(ui::TableView& table, const fnd::IndexPath& path) override;
    std::optional<std::optional<fnd::IndexPath>> tableViewWillSelectRowAtIndexPath(ui::TableView& table,
                                                                                   const fnd::IndexPath& path) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const fnd::IndexPath& path) override;

    // The label new rows of a list start with.
    static std::string defaultLabel(Property property);

private:
    void addDisplayRow(size_t section, Property property, MultiValueIdentifier identifier, std::string label,
                       std::string value);
    void addEditingRow(size_t section, Property property, MultiValueIdentifier identifier, std::string label,
                       std::string value);
    // A list's blank row was typed into: it becomes a new entry and another blank row follows.
    void fieldChanged(size_t section, const ui::TextField& field);

    Mode mode_ = Mode::Display;
    std::vector<std::vector<Row>> sections_;
    std::shared_ptr<ui::TableView> table_;
};

} // namespace device
