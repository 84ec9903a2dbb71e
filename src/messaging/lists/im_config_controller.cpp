// The IM account form: its views, its three-row table, the keyboard flow between the fields, the Done
// button that follows the input, and the hand-over of the filled account.
#include "messaging/lists/im_config_controller.h"

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/font.h"
#include "platform/ui/label.h"
#include "platform/ui/segmented_control.h"
#include "platform/ui/table_view_cell.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

constexpr const char* kTitleCell = "title";
constexpr const char* kNameCell = "name";
constexpr const char* kPasswordCell = "password";
constexpr double kMargin = 10;
// The field sits this far below the label's centre, and ends this far short of the row's end.
constexpr double kFieldDrop = 4;
constexpr double kFieldEndInset = 40;
constexpr double kLabelFontSize = 14;

// The network names the server sent at log-in; an entry that is not a string is shown without a name.
std::vector<std::string> networkNames(const std::shared_ptr<zelvanAppDelegate>& app) {
    std::vector<std::string> names;
    const auto list = app ? app->protocol().asArray() : nullptr;
    if (!list) {
        return names;
    }
    for (const auto& entry : *list) {
        if (!entry.isString()) {
            ZLOG(Warn, "IM network %d has no name: %s", static_cast<int>(names.size()),
                 fnd::logPreviewValue(entry, 64));
        }
        names.push_back(entry.isString() ? entry.stringValue() : std::string());
    }
    return names;
}

} // namespace

IMConfigController::IMConfigController(std::weak_ptr<zelvanAppDelegate> app) : app_(std::move(app)) {}

void IMConfigController::loadView() {
    hasAlert_ = false;
    auto view = ZelvanWidget::newContentViewForViewController();
    setView(view);
    const double width = view->bounds().width();
    auto self = selfAs<IMConfigController>();

    imNames_ = networkNames(app_.lock());
    if (imNames_.empty()) {
        ZLOG(Warn, "no IM networks were received at log-in: the IM form offers none");
    }
    std::vector<ui::SegmentedControl::Item> items;
    for (size_t i = 0; i < imNames_.size(); ++i) {
        auto image = ZelvanWidget::imageFromResource(fnd::format("%d", static_cast<int>(i) + kFirstNetworkImage), true);
        // A network without an icon of its own is shown by its name.
        items.emplace_back(image ? ui::SegmentedControl::Item(image) : ui::SegmentedControl::Item(imNames_[i]));
    }
    segmentedControl_ = ui::SegmentedControl::initWithItems(items);
    segmentedControl_->setSegmentedControlStyle(ui::SegmentedControlStyle::Plain);
    segmentedControl_->setSelectedSegmentIndex(0);
    segmentedControl_->setFrame(gfx::Rect(0, 0, width - 2 * kMargin, kControlHeight));
    segmentedControl_->setCenter(gfx::Point(width / 2, kControlCenterY));
    segmentedControl_->addTarget(self, &IMConfigController::switchIM, ui::ControlEvents::ValueChanged);
    view->addSubview(segmentedControl_);

    // The fields exist before the table that shows them in its rows.
    nameField_ = newField(ZLS("Account Name"), ui::ReturnKeyType::Next);
    nameField_->setKeyboardType(ui::KeyboardType::URL);
    nameField_->setText(im_ ? im_->user() : std::string());
    pwField_ = newField(ZLS("Password"), ui::ReturnKeyType::Go);
    pwField_->setSecureTextEntry(true);
    pwField_->setText(im_ ? im_->pass() : std::string());

    tableView_ = ui::View::create<ui::TableView>(gfx::Rect(0, segmentedControl_->frame().maxY(), width, kTableHeight),
                                                 ui::TableViewStyle::Grouped);
    tableView_->setDataSource(self);
    tableView_->setDelegate(self);
    tableView_->setScrollEnabled(false);
    tableView_->setBackgroundColor(gfx::Color::clear());
    view->addSubview(tableView_);

    setTitle(ZLS("Add IM"));
}

std::shared_ptr<ui::TextField> IMConfigController::newField(const std::string& placeholder,
                                                            ui::ReturnKeyType returnKey) {
    auto field = ui::View::create<ui::TextField>(gfx::Rect());
    field->setPlaceholder(placeholder);
    field->setReturnKeyType(returnKey);
    field->setAutocapitalizationType(ui::AutocapitalizationType::None);
    field->setAutocorrectionType(ui::AutocorrectionType::No);
    field->setKeyboardAppearance(ui::KeyboardAppearance::Alert);
    field->setDelegate(selfAs<IMConfigController>());
    // The Done button follows each change once it has applied (the should-change question comes
    // before it, when the text still lacks the new character).
    field->addTarget(selfAs<IMConfigController>(), &IMConfigController::reloadRightBarButton,
                     ui::ControlEvents::EditingChanged);
    return field;
}

void IMConfigController::viewDidLoad() {
    nameField_->becomeFirstResponder();
}

bool IMConfigController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::Portrait;
}

bool IMConfigController::validInput() const {
    return nameField_ && pwField_ && !nameField_->text().empty() && !pwField_->text().empty();
}

void IMConfigController::reloadRightBarButton() {
    auto item = navigationItem();
    if (validInput()) {
        if (!item->rightBarButtonItem()) {
            std::weak_ptr<IMConfigController> weak = selfAs<IMConfigController>();
            auto done = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Done,
                                                                       [weak](ui::BarButtonItem&) {
                                                                           if (auto controller = weak.lock()) {
                                                                               controller->submit();
                                                                           }
                                                                       });
            // A button that appears while the alert is up waits for the alert's answer like any other.
            done->setEnabled(!hasAlert_);
            item->setRightBarButtonItem(done, ui::Animated::Yes);
        }
    } else if (item->rightBarButtonItem()) {
        item->setRightBarButtonItem(nullptr, ui::Animated::Yes);
    }
}

void IMConfigController::submit() {
    if (!validInput()) {
        showAlert();
        return;
    }
    const int prot = segmentedControl_->selectedSegmentIndex();
    if (prot < 0) {
        ZLOG(Warn, "IM account not submitted: no network is selected");
        return;
    }
    if (!im_) {
        im_ = imGroup::create();
    }
    im_->setProt(prot);
    im_->setUser(nameField_->text());
    im_->setPass(pwField_->text());
    auto keepAlive = selfAs<IMConfigController>();
    if (auto delegate = imConfigDelegate()) {
        delegate->imAccountConfigured(im_, *this);
    }
}

void IMConfigController::showAlert() {
    if (hasAlert_) {
        return;
    }
    auto alert = ZSimpleAlertView::create();
    alert->label()->setText(ZLS("accountNameAndPass"));
    alert->setIcon(ZSimpleAlertView::kIconWarning);
    alert->setDelegate(selfAs<IMConfigController>());
    alert->showInView(view());
    hasAlert_ = true;
    if (auto done = navigationItem()->rightBarButtonItem()) {
        done->setEnabled(false);
    }
}

void IMConfigController::buttonClickedFromAlert(ZSimpleAlertView& /*alert*/, const std::string& /*buttonTitle*/,
                                                int /*buttonIndex*/) {
    hasAlert_ = false;
    if (auto done = navigationItem()->rightBarButtonItem()) {
        done->setEnabled(true);
    }
}

void IMConfigController::switchIM() {
    if (!tableView_) {
        return;
    }
    if (auto cell = tableView_->cellForRowAtIndexPath(fnd::IndexPath::indexPathForRow(kRowTitle, 0))) {
        fillTitleCell(*cell);
    }
}

int IMConfigController::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return 3;
}

std::shared_ptr<ui::TableViewCell> IMConfigController::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                      const fnd::IndexPath& indexPath) {
    switch (indexPath.row) {
    case kRowName: {
        auto cell = cellForIdentifier(tableView, kNameCell);
        fillFieldCell(tableView, *cell, ZLS("Account:"), nameField_);
        return cell;
    }
    case kRowPassword: {
        auto cell = cellForIdentifier(tableView, kPasswordCell);
        fillFieldCell(tableView, *cell, ZLS("Password") + ":", pwField_);
        return cell;
    }
    default: {
        auto cell = cellForIdentifier(tableView, kTitleCell);
        fillTitleCell(*cell);
        return cell;
    }
    }
}

void IMConfigController::tableViewDidSelectRowAtIndexPath(ui::TableView& /*tableView*/,
                                                          const fnd::IndexPath& indexPath) {
    if (indexPath.row == kRowName) {
        nameField_->becomeFirstResponder();
    } else if (indexPath.row == kRowPassword) {
        pwField_->becomeFirstResponder();
    }
}

void IMConfigController::textFieldDidBeginEditing(ui::TextField& /*field*/) {
    reloadRightBarButton();
}

std::optional<bool> IMConfigController::textFieldShouldChangeCharactersInRange(ui::TextField& /*field*/,
                                                                               fnd::Range /*range*/,
                                                                               const std::string& /*replacement*/) {
    return true;
}

std::optional<bool> IMConfigController::textFieldShouldReturn(ui::TextField& field) {
    if (&field == nameField_.get()) {
        pwField_->becomeFirstResponder();
    } else if (&field == pwField_.get()) {
        submit();
    }
    return true;
}

std::shared_ptr<ui::TableViewCell> IMConfigController::cellForIdentifier(ui::TableView& tableView,
                                                                         const std::string& identifier) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, identifier);
    }
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    return cell;
}

void IMConfigController::fillTitleCell(ui::TableViewCell& cell) const {
    const int selected = segmentedControl_ ? segmentedControl_->selectedSegmentIndex() : -1;
    const bool known = selected >= 0 && static_cast<size_t>(selected) < imNames_.size();
    cell.setImage(known ? segmentedControl_->imageForSegmentAtIndex(selected) : nullptr);
    cell.setText(known ? imNames_[static_cast<size_t>(selected)] : std::string());
}

void IMConfigController::fillFieldCell(ui::TableView& tableView, ui::TableViewCell& cell, const std::string& text,
                                       const std::shared_ptr<ui::TextField>& field) const {
    const auto content = cell.contentView();
    for (auto former = content->subviews(); const auto& subview : former) {
        subview->removeFromSuperview();
    }
    const double rowHeight = tableView.rowHeight();
    auto label =
        ui::View::create<ui::Label>(gfx::Rect(kMargin, (rowHeight - kFieldHeight) / 2, kLabelWidth, kFieldHeight));
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::black());
    label->setFont(gfx::Font::withName("Helvetica-Bold", kLabelFontSize));
    label->setText(text);
    content->addSubview(label);

    const gfx::Rect labelFrame = label->frame();
    const double fieldWidth = tableView.bounds().width() - kLabelWidth - kFieldEndInset;
    field->setFrame(
        gfx::Rect(labelFrame.maxX(), labelFrame.midY() + kFieldDrop - kFieldHeight / 2, fieldWidth, kFieldHeight));
    content->addSubview(field);
}

} // namespace zelvan
