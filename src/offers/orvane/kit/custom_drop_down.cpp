// CustomDropDown: building and resizing the control, the colour, font and image setters, opening and
// closing the list, and the table's rows and choices.
#include "offers/orvane/kit/custom_drop_down.h"

#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan::orvane {
namespace {

// Tag of the image view an image-based row keeps in its content view.
constexpr int64_t kRowImageTag = 0x0D0D;
const std::string kCellIdentifier = "Cell";

} // namespace

std::shared_ptr<CustomDropDown> CustomDropDown::initWithOrigin(gfx::Point origin, bool arrowButton, bool textFieldBased,
                                                               bool imageBased) {
    auto control = std::make_shared<CustomDropDown>();
    control->showArrowButton_ = arrowButton;
    control->textFieldBased_ = textFieldBased;
    control->imageBased_ = imageBased;
    control->build(origin);
    return control;
}

void CustomDropDown::build(gfx::Point origin) {
    font_ = gfx::Font::withName("Arial", 12);
    if (showArrowButton_) {
        image_ = gfx::Image::imageNamed("pulldownarrow.png");
    }
    viewFrame_ = gfx::Rect(origin.x, origin.y, kDefaultWidth, itemHeight_);
    content_ = ui::View::create(gfx::Rect(origin.x, origin.y, kDefaultWidth + 2, itemHeight_ + 2));
    setView(content_);
    content_->setFrame(viewFrame_);
    content_->setBackgroundColor(backgroundColor_.value_or(gfx::Color::clear()));

    auto self = std::static_pointer_cast<CustomDropDown>(shared_from_this());
    tableViewFrame_ = gfx::Rect(1, 21, kDefaultWidth, kDefaultListHeight - itemHeight_);
    tableViewInternal_ = ui::View::create<ui::TableView>(tableViewFrame_);
    tableViewInternal_->setBounces(false);
    tableViewInternal_->setBackgroundColor(gfx::Color::clear());
    tableViewInternal_->setSeparatorColor(gfx::Color::black());
    tableViewInternal_->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
    tableViewInternal_->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));

    const double displayWidth = showArrowButton_ ? 140 : kDefaultWidth;
    const gfx::Rect displayFrame(1, 1, displayWidth, itemHeight_);
    std::weak_ptr<CustomDropDown> weak = self;
    if (textFieldBased_) {
        textView_ = ui::View::create<ui::TextView>(displayFrame);
        textView_->setDelegate(std::static_pointer_cast<ui::TextViewDelegate>(self));
        textView_->setScrollEnabled(false);
        textView_->setContentOffset(gfx::Point(0, 1.5));
        textView_->setFont(gfx::Font::withName("Arial", 12));
        content_->addSubview(textView_);
    } else {
        displayButton_ = ui::View::create<ui::Button>(displayFrame, ui::ButtonType::RoundedRect);
        displayButton_->addTarget(weak, &CustomDropDown::clickedButton, ui::ControlEvents::TouchUpInside);
        content_->addSubview(displayButton_);
    }
    if (showArrowButton_) {
        but_ = ui::View::create<ui::Button>(gfx::Rect(140, 1, 21, 33), ui::ButtonType::Custom);
        but_->setBackgroundImage(image_, ui::ControlState::Normal);
        but_->setContentVerticalAlignment(ui::ContentVerticalAlignment::Fill);
        but_->setBackgroundColor(gfx::Color::clear());
        but_->addTarget(weak, &CustomDropDown::clickedButton, ui::ControlEvents::TouchDown);
        content_->addSubview(but_);
    }
}

void CustomDropDown::loadView() {
    if (content_) {
        setView(content_);
    } else {
        ui::ViewController::loadView();
    }
}

std::shared_ptr<ui::View> CustomDropDown::display() const {
    if (textView_) {
        return textView_;
    }
    return displayButton_;
}

void CustomDropDown::setBounds(gfx::Size size) {
    bounds_ = size;
    itemHeight_ = size.height;
    viewFrame_.size = size;
    if (showArrowButton_ && but_) {
        const gfx::Size arrow = but_->frame().size;
        display()->setFrame(gfx::Rect(1, 1, size.width - 3 - arrow.width, size.height - 2));
        but_->setFrame(gfx::Rect(size.width - arrow.width - 1, 1, arrow.width, arrow.height));
        but_->setBackgroundColor(gfx::Color::clear());
        but_->setContentMode(ui::ContentMode::ScaleToFill);
    } else {
        display()->setFrame(gfx::Rect(1, 1, size.width - 2, size.height - 2));
    }
    tableViewFrame_ = gfx::Rect(1, size.height - 1, size.width - 2, kDefaultListHeight);
    tableViewInternal_->setFrame(tableViewFrame_);
    content_->setFrame(viewFrame_);
}

void CustomDropDown::showChoice(const DropdownItem& item, bool asBackground) {
    if (textFieldBased_) {
        textView_->setText(item.text);
        return;
    }
    displayButton_->setTitle(item.text, ui::ControlState::Normal);
    for (const auto state : {ui::ControlState::Normal, ui::ControlState::Highlighted}) {
        if (asBackground) {
            displayButton_->setBackgroundImage(item.highlightImage, state);
        } else {
            displayButton_->setImage(item.highlightImage, state);
        }
    }
}

void CustomDropDown::setSelectedIndex(int index) {
    selectedIndex_ = index;
    // Compared unsigned, so that -1 never names an item.
    if (!items_.empty() && static_cast<size_t>(static_cast<unsigned>(index)) < items_.size()) {
        showChoice(*items_[static_cast<size_t>(index)], true);
    }
}

void CustomDropDown::setFont(std::shared_ptr<gfx::Font> font) {
    font_ = std::move(font);
    if (textView_) {
        textView_->setFont(font_);
    }
    if (but_) {
        but_->titleLabel()->setFont(font_);
    }
}

void CustomDropDown::setFontColorHighlight(const gfx::Color& color) {
    fontColorHighlight_ = color;
    if (textFieldBased_) {
        textView_->setTextColor(color);
    } else {
        displayButton_->setTitleColor(color, ui::ControlState::Normal);
        displayButton_->setTitleColor(color, ui::ControlState::Highlighted);
    }
}

void CustomDropDown::setBackgroundColorHighlight(const gfx::Color& color) {
    backgroundColorHighlight_ = color;
    if (textFieldBased_) {
        textView_->setBackgroundColor(gfx::Color::black());
    }
}

void CustomDropDown::setBackgroundColor(const gfx::Color& color) {
    backgroundColor_ = color;
    tableViewInternal_->setSeparatorColor(color);
}

void CustomDropDown::setImage(gfx::ImagePtr image) {
    image_ = std::move(image);
    if (but_) {
        but_->setBackgroundImage(image_, ui::ControlState::Normal);
        but_->setBackgroundImage(image_, ui::ControlState::Highlighted);
    }
}

void CustomDropDown::setDelegate(std::weak_ptr<const void> delegate) {
    delegate_ = std::move(delegate);
    delegateSet_ = true;
}

void CustomDropDown::showOptions() {
    if (appeared_) {
        return;
    }
    const double count = static_cast<double>(items_.size());
    content_->setFrame(
        gfx::Rect(viewFrame_.origin.x, viewFrame_.origin.y, viewFrame_.size.width, itemHeight_ * (count + 1)));
    gfx::Rect table = tableViewInternal_->frame();
    if (table.size.height != itemHeight_ * count) {
        table.size.height = itemHeight_ * count;
        tableViewInternal_->setFrame(table);
    }
    content_->addSubview(tableViewInternal_);
    appeared_ = true;
    // Left visible: a list opened fully transparent would show nothing to choose from.
    content_->setAlpha(1);
}

void CustomDropDown::hideOptions() {
    if (appeared_) {
        closeList();
    }
}

void CustomDropDown::closeList() {
    appeared_ = false;
    tableViewInternal_->removeFromSuperview();
    content_->setFrame(viewFrame_);
}

void CustomDropDown::beginEdit() {
    if (!editable_) {
        return;
    }
    if (appeared_) {
        closeList();
        return;
    }
    if (showingOptionsEvent_ && delegateAlive()) {
        showingOptionsEvent_(*this);
    }
    tableViewFrame_ = tableViewInternal_->frame();
    const gfx::Rect viewBounds = content_->frame();
    tableViewInternal_->setFrame(gfx::Rect(1, itemHeight_, viewBounds.size.width, viewBounds.size.height));
    ui::View::beginAnimations("", nullptr);
    ui::View::setAnimationDuration(kOpenDuration);
    content_->setFrame(gfx::Rect(viewFrame_.origin.x, viewFrame_.origin.y, viewFrame_.size.width, 4 * itemHeight_));
    if (tableViewInternal_->frame().size.height != 3 * itemHeight_) {
        tableViewInternal_->setFrame(
            gfx::Rect(tableViewFrame_.origin.x, tableViewFrame_.origin.y, tableViewFrame_.size.width, 3 * itemHeight_));
    }
    ui::View::commitAnimations();
    content_->addSubview(tableViewInternal_);
    if (auto parent = content_->superview()) {
        parent->bringSubviewToFront(content_.get());
    }
    appeared_ = true;
}

std::optional<bool> CustomDropDown::textViewShouldBeginEditing(ui::TextView& /*view*/) {
    beginEdit();
    return false;
}

int CustomDropDown::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(items_.size());
}

std::optional<double> CustomDropDown::tableViewHeightForRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                       const ui::IndexPath& /*indexPath*/) {
    return itemHeight_;
}

std::shared_ptr<ui::TableViewCell> CustomDropDown::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                  const ui::IndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, kCellIdentifier);
    }
    cell->setAccessoryType(ui::TableViewCellAccessoryType::None);
    if (indexPath.row < 0 || static_cast<size_t>(indexPath.row) >= items_.size()) {
        return cell;
    }
    const DropdownItem& item = *items_[static_cast<size_t>(indexPath.row)];
    const bool chosen = indexPath.row == selectedIndex_;
    const auto& content = cell->contentView();
    if (imageBased_) {
        auto imageView = std::dynamic_pointer_cast<ui::ImageView>(content->viewWithTag(kRowImageTag));
        if (!imageView) {
            imageView = ui::ImageView::initWithImage(item.normalImage);
            imageView->setTag(kRowImageTag);
            content->insertSubviewAtIndex(imageView, 0);
        } else {
            imageView->setImage(item.normalImage);
        }
        content->setBackgroundColor(item.backgroundColorNormal.value_or(backgroundColorNormal_));
        if (chosen) {
            content->setBackgroundColor(backgroundColorHighlight_);
            imageView->setImage(item.highlightImage);
        }
    } else {
        cell->setText(item.text);
        // A row without its own text colour shows the default one.
        cell->setTextColor(item.fontColorNormal.value_or(gfx::Color::black()));
        const gfx::Color background = chosen ? item.backgroundColorHighlight.value_or(backgroundColorHighlight_)
                                             : item.backgroundColorNormal.value_or(backgroundColorNormal_);
        cell->setBackgroundColor(background);
        content->setBackgroundColor(background);
    }
    if (chosen) {
        selectedIndexPath_ = indexPath;
    }
    cell->setFont(font_);
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    return cell;
}

void CustomDropDown::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    if (indexPath.row < 0 || static_cast<size_t>(indexPath.row) >= items_.size()) {
        return;
    }
    if (actionPerformed_ && delegateAlive() && !actionPerformed_(indexPath.row)) {
        return;
    }
    if (selectedIndexPath_) {
        const int oldRow = selectedIndexPath_->row;
        // A row scrolled off screen has no cell to restore.
        auto oldCell = tableView.cellForRowAtIndexPath(*selectedIndexPath_);
        if (oldCell && oldRow >= 0 && static_cast<size_t>(oldRow) < items_.size()) {
            const DropdownItem& old = *items_[static_cast<size_t>(oldRow)];
            if (imageBased_) {
                if (auto imageView =
                        std::dynamic_pointer_cast<ui::ImageView>(oldCell->contentView()->viewWithTag(kRowImageTag))) {
                    imageView->setImage(old.normalImage);
                }
                oldCell->contentView()->setBackgroundColor(old.backgroundColorNormal.value_or(backgroundColorNormal_));
            } else {
                const gfx::Color background = old.backgroundColorNormal.value_or(backgroundColorNormal_);
                oldCell->setBackgroundColor(background);
                oldCell->contentView()->setBackgroundColor(background);
                oldCell->setTextColor(fontColorNormal_);
            }
            oldCell->setAccessoryType(ui::TableViewCellAccessoryType::None);
        }
    }
    selectedIndexPath_ = indexPath;
    selectedIndex_ = indexPath.row;
    const DropdownItem& item = *items_[static_cast<size_t>(indexPath.row)];
    if (auto cell = tableView.cellForRowAtIndexPath(indexPath)) {
        if (imageBased_) {
            if (auto imageView =
                    std::dynamic_pointer_cast<ui::ImageView>(cell->contentView()->viewWithTag(kRowImageTag))) {
                imageView->setImage(item.highlightImage);
            }
            cell->contentView()->setBackgroundColor(item.backgroundColorNormal.value_or(backgroundColorNormal_));
        } else {
            const gfx::Color background = item.backgroundColorHighlight.value_or(backgroundColorHighlight_);
            cell->setBackgroundColor(background);
            cell->contentView()->setBackgroundColor(background);
            cell->setTextColor(fontColorHighlight_);
        }
    }
    showChoice(item, false);
    closeList();
}

} // namespace zelvan::orvane
