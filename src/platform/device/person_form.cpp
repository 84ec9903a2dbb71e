// The person form: rows built from a person's values, cells with labels and values or with text
// fields, and the write-back of edited rows by multi-value identifier.
#include "platform/device/person_form.h"

#include "platform/foundation/date.h"
#include "platform/foundation/log.h"
#include "platform/graphics/font.h"
#include "platform/ui/label.h"

namespace device {
namespace {

constexpr double kFieldLeft = 100;
// Small enough that the longest standard label ends before the field.
constexpr double kLabelFontSize = 13;

std::string dateText(const fnd::Value& value) {
    std::string text = value.description(); // "YYYY-MM-DD HH:MM:SS +0000"
    return text.substr(0, 10);
}

// The short label a single value shows with on the contact screen.
std::string displayLabel(Property property) {
    switch (property) {
    case Property::FirstName:
        return "first";
    case Property::LastName:
        return "last";
    case Property::Organization:
        return "company";
    case Property::JobTitle:
        return "title";
    default:
        return propertyName(property);
    }
}

} // namespace

std::string PersonForm::defaultLabel(Property property) {
    switch (property) {
    case Property::Phone:
        return std::string(kLabelMobile);
    case Property::URL:
        return std::string(kLabelHomePage);
    case Property::Email:
        return std::string(kLabelHome);
    default:
        return propertyName(property);
    }
}

std::shared_ptr<ui::TableView> PersonForm::makeTable(gfx::Rect frame) {
    table_ = ui::View::create<ui::TableView>(frame, ui::TableViewStyle::Grouped);
    table_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    table_->setDataSource(weak_from_this());
    table_->setDelegate(weak_from_this());
    return table_;
}

void PersonForm::addDisplayRow(size_t section, Property property, MultiValueIdentifier identifier, std::string label,
                               std::string value) {
    Row row{property, identifier, std::move(label), std::move(value), nullptr, nullptr};
    row.cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Value2, "value");
    row.cell->textLabel()->setText(row.label);
    row.cell->detailTextLabel()->setText(row.value);
    sections_[section].push_back(std::move(row));
}

void PersonForm::addEditingRow(size_t section, Property property, MultiValueIdentifier identifier, std::string label,
                               std::string value) {
    Row row{property, identifier, std::move(label), std::move(value), nullptr, nullptr};
    row.cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, "field");
    row.cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    row.cell->textLabel()->setFont(gfx::Font::boldSystemFontOfSize(kLabelFontSize));
    row.cell->textLabel()->setText(row.label);
    const gfx::Rect bounds = row.cell->contentView()->bounds();
    row.field = ui::View::create<ui::TextField>(
        gfx::Rect(kFieldLeft, 11, bounds.size.width - kFieldLeft - 10, bounds.size.height - 22));
    row.field->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    row.field->setText(row.value);
    row.field->setPlaceholder(isMultiValue(property) ? propertyName(property) : row.label);
    row.field->addTarget(
        weak_from_this(),
        [this, section](ui::Control& field, const ui::Event*) {
            fieldChanged(section, static_cast<ui::TextField&>(field));
        },
        ui::ControlEvents::EditingChanged);
    row.cell->contentView()->addSubview(row.field);
    sections_[section].push_back(std::move(row));
}

void PersonForm::load(const Person& person, Mode mode) {
    mode_ = mode;
    sections_.clear();
    auto text = [&person](Property p) { return person.copyValue(p).stringValue(); };
    auto list = [&person](Property p) {
        auto mv = person.copyValue(p).asObject<MultiValue>();
        return mv ? mv : MultiValue::create(PropertyType::MultiString);
    };
    if (mode == Mode::Editing) {
        sections_.resize(3);
        addEditingRow(0, Property::FirstName, kMultiValueInvalidIdentifier, "First", text(Property::FirstName));
        addEditingRow(0, Property::LastName, kMultiValueInvalidIdentifier, "Last", text(Property::LastName));
        size_t section = 1;
        for (Property p : {Property::Phone, Property::Email}) {
            const auto mv = list(p);
            for (int i = 0; i < mv->count(); ++i) {
                addEditingRow(section, p, mv->identifierAtIndex(i), mv->labelAtIndex(i),
                              mv->valueAtIndex(i).stringValue());
            }
            addEditingRow(section, p, kMultiValueInvalidIdentifier, defaultLabel(p), "");
            ++section;
        }
    } else {
        sections_.resize(5);
        for (Property p : {Property::FirstName, Property::LastName, Property::Organization, Property::JobTitle}) {
            if (!person.copyValue(p).isNull()) {
                addDisplayRow(0, p, kMultiValueInvalidIdentifier, displayLabel(p), text(p));
            }
        }
        size_t section = 1;
        for (Property p : {Property::Phone, Property::Email, Property::URL}) {
            const auto mv = list(p);
            for (int i = 0; i < mv->count(); ++i) {
                addDisplayRow(section, p, mv->identifierAtIndex(i), mv->labelAtIndex(i),
                              mv->valueAtIndex(i).stringValue());
            }
            ++section;
        }
        if (const auto birthday = person.copyValue(Property::Birthday); birthday.isDate()) {
            addDisplayRow(4, Property::Birthday, kMultiValueInvalidIdentifier, "birthday", dateText(birthday));
        }
        if (!person.copyValue(Property::Note).isNull()) {
            addDisplayRow(4, Property::Note, kMultiValueInvalidIdentifier, "notes", text(Property::Note));
        }
    }
    if (table_) {
        table_->reloadData();
    }
}

void PersonForm::fieldChanged(size_t section, const ui::TextField& field) {
    if (section >= sections_.size()) {
        return;
    }
    auto& rows = sections_[section];
    for (auto& row : rows) {
        if (row.field.get() == &field) {
            row.value = field.text();
        }
    }
    // Typing into a list's last (blank) row turns it into an entry and opens a new blank row.
    const Row& last = rows.back();
    if (isMultiValue(last.property) && last.field.get() == &field && !last.value.empty()) {
        addEditingRow(section, last.property, kMultiValueInvalidIdentifier, defaultLabel(last.property), "");
        // Inserted rather than reloaded, so the row being typed in keeps its cell and its keyboard.
        if (table_) {
            table_->insertRowsAtIndexPaths(
                {fnd::IndexPath{static_cast<int>(section), static_cast<int>(rows.size()) - 1}},
                ui::TableViewRowAnimation::None);
        }
    }
}

std::optional<fnd::IndexPath> PersonForm::indexPathFor(Property property, MultiValueIdentifier identifier) const {
    for (size_t s = 0; s < sections_.size(); ++s) {
        for (size_t r = 0; r < sections_[s].size(); ++r) {
            const Row& row = sections_[s][r];
            if (row.property != property || row.identifier != identifier) {
                continue;
            }
            // The blank row of a list is its last; earlier new rows already hold text.
            if (mode_ == Mode::Editing && isMultiValue(property) && identifier == kMultiValueInvalidIdentifier &&
                r + 1 != sections_[s].size()) {
                continue;
            }
            return fnd::IndexPath{static_cast<int>(s), static_cast<int>(r)};
        }
    }
    return std::nullopt;
}

const PersonForm::Row* PersonForm::rowAt(const fnd::IndexPath& path) const {
    if (path.section < 0 || path.row < 0 || static_cast<size_t>(path.section) >= sections_.size() ||
        static_cast<size_t>(path.row) >= sections_[static_cast<size_t>(path.section)].size()) {
        return nullptr;
    }
    return &sections_[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)];
}

bool PersonForm::setLabel(const fnd::IndexPath& path, std::string label) {
    const Row* found = rowAt(path);
    if (found == nullptr || !found->field || !isMultiValue(found->property)) {
        return false;
    }
    Row& row = sections_[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)];
    row.label = std::move(label);
    row.cell->textLabel()->setText(row.label);
    return true;
}

void PersonForm::apply(Person& person) const {
    if (mode_ != Mode::Editing) {
        return;
    }
    std::map<Property, std::shared_ptr<MultiValue>> lists;
    for (const auto& rows : sections_) {
        for (const Row& row : rows) {
            if (!isMultiValue(row.property)) {
                if (row.value.empty()) {
                    person.removeValue(row.property);
                } else {
                    person.setValue(row.property, fnd::Value(row.value));
                }
                continue;
            }
            auto& mv = lists[row.property];
            if (!mv) {
                mv = person.copyValue(row.property).asObject<MultiValue>();
                if (!mv) {
                    mv = MultiValue::create(PropertyType::MultiString);
                }
            }
            const int index = mv->indexForIdentifier(row.identifier);
            if (row.identifier == kMultiValueInvalidIdentifier || index < 0) {
                if (!row.value.empty()) {
                    mv->addValueAndLabel(fnd::Value(row.value), row.label);
                }
            } else if (row.value.empty()) {
                mv->removeValueAndLabelAtIndex(index);
            } else {
                mv->replaceValueAtIndex(fnd::Value(row.value), index);
                mv->replaceLabelAtIndex(row.label, index);
            }
        }
    }
    for (const auto& [property, mv] : lists) {
        if (mv->count() == 0) {
            person.removeValue(property);
        } else {
            person.setValue(property, fnd::Value(mv));
        }
    }
}

int PersonForm::numberOfSectionsInTableView(ui::TableView& /*table*/) {
    return static_cast<int>(sections_.size());
}

int PersonForm::tableViewNumberOfRowsInSection(ui::TableView& /*table*/, int section) {
    return section >= 0 && static_cast<size_t>(section) < sections_.size()
               ? static_cast<int>(sections_[static_cast<size_t>(section)].size())
               : 0;
}

std::shared_ptr<ui::TableViewCell> PersonForm::tableViewCellForRowAtIndexPath(ui::TableView& /*table*/,
                                                                              const fnd::IndexPath& path) {
    const Row* row = rowAt(path);
    return row ? row->cell : ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, "empty");
}

bool PersonForm::tableViewCanEditRowAtIndexPath(ui::TableView& /*table*/, const fnd::IndexPath& /*path*/) {
    return false;
}

std::optional<std::optional<fnd::IndexPath>> PersonForm::tableViewWillSelectRowAtIndexPath(ui::TableView& /*table*/,
                                                                                           const fnd::IndexPath& path) {
    // Editing rows are typed into, not selected.
    if (mode_ == Mode::Editing) {
        return std::optional<fnd::IndexPath>();
    }
    return std::optional<fnd::IndexPath>(path);
}

void PersonForm::tableViewDidSelectRowAtIndexPath(ui::TableView& table, const fnd::IndexPath& path) {
    table.deselectRowAtIndexPath(path, ui::Animated::Yes);
    const Row* row = rowAt(path);
    if (row != nullptr && onSelect) {
        const Property property = row->property;
        const MultiValueIdentifier identifier = row->identifier;
        onSelect(property, identifier);
    }
}

} // namespace device
