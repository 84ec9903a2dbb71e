// UIComboBox: building the closed box, adding, selecting and removing items, the list layout and
// opening and closing the list.
#include "offers/orvane/kit/ui_combo_box.h"

#include "platform/foundation/format.h"
#include "platform/graphics/color.h"
#include "platform/ui/label.h"

namespace zelvan::orvane {
namespace {

gfx::ImagePtr imageAt(const std::vector<gfx::ImagePtr>& images, size_t index) {
    return index < images.size() ? images[index] : nullptr;
}

} // namespace

std::shared_ptr<UIComboBox> UIComboBox::initWithFrame(gfx::Rect frame, const std::vector<gfx::ImagePtr>& comboBoxImages,
                                                      const std::vector<gfx::ImagePtr>& scrollBarImages,
                                                      double itemHeight) {
    auto box = ui::View::create<UIComboBox>(frame);
    box->comboBoxImages_ = comboBoxImages;
    box->scrollBarImages_ = scrollBarImages;
    box->itemHeight_ = itemHeight;
    box->build(frame);
    return box;
}

void UIComboBox::build(gfx::Rect frame) {
    const double width = frame.size.width;
    const double height = frame.size.height;
    comboSize_ = gfx::Size(width, height);
    separatorHeight_ = 1.0;
    if (itemHeight_ == 0) {
        itemHeight_ = height;
    }
    font_ = gfx::Font::withName("Arial", 15);
    maxHeight_ = 3 * itemHeight_ + 3 * separatorHeight_;

    std::weak_ptr<UIComboBox> weak = self<UIComboBox>();
    comboButton_ = ui::View::create<ui::Button>(gfx::Rect(0, 0, width, height));
    comboButton_->setBackgroundImage(imageAt(comboBoxImages_, 0), ui::ControlState::Normal);
    comboButton_->setTitleColor(gfx::Color::black(), ui::ControlState::Normal);
    comboButton_->setTitleColor(gfx::Color::black(), ui::ControlState::Highlighted);
    comboButton_->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
    comboButton_->titleLabel()->setFont(font_);
    comboButton_->addTarget(weak, &UIComboBox::expandCollapseComboBox, ui::ControlEvents::TouchUpInside);

    scrollView_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, height + separatorHeight_, width, maxHeight_));
    scrollView_->setBackgroundColor(gfx::Color::gray());
    scrollView_->setBounces(true);
    // Items scrolled out of the list stay out of sight.
    scrollView_->setClipsToBounds(true);
    scrollView_->setHidden(true);

    const gfx::ImagePtr arrow = imageAt(scrollBarImages_, UIScrollBar::kTopImage);
    const double barWidth = arrow ? arrow->size().width : 0;
    scrollBar_ = UIScrollBar::initWithFrame(
        gfx::Rect(width - barWidth, height + separatorHeight_, barWidth, scrollView_->frame().size.height), scrollView_,
        scrollBarImages_);
    scrollBar_->setHidden(true);

    addSubview(scrollBar_);
    addSubview(comboButton_);
    addSubview(scrollView_);
    sendSubviewToBack(scrollView_.get());
    setBackgroundColor(gfx::Color::clear());
}

void UIComboBox::addItem(const std::string& value, const std::string& caption) {
    const double n = static_cast<double>(data_.size());
    const double listWidth = scrollView_->frame().size.width;
    auto item = ui::View::create<UIComboBoxItem>(
        gfx::Rect(1, n * itemHeight_ + n * separatorHeight_ + 1, listWidth - 2, itemHeight_));
    item->setValue(value);
    item->setCaption(caption);
    item->setBackgroundImage(imageAt(comboBoxImages_, 1), ui::ControlState::Normal);
    item->setBackgroundImage(imageAt(comboBoxImages_, 2), ui::ControlState::Highlighted);
    item->setBackgroundImage(imageAt(comboBoxImages_, 2), ui::ControlState::Selected);
    item->setTitleColor(gfx::Color::black(), ui::ControlState::Normal);
    item->setTitleColor(gfx::Color::black(), ui::ControlState::Highlighted);
    item->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
    item->titleLabel()->setFont(font_);
    std::weak_ptr<UIComboBox> weak = self<UIComboBox>();
    item->addTarget(
        weak,
        [weak](ui::Control& sender, const ui::Event*) {
            if (auto box = weak.lock()) {
                box->itemClickedSelector(static_cast<UIComboBoxItem&>(sender));
            }
        },
        ui::ControlEvents::TouchUpInside);
    if (data_.empty()) {
        selectSilently(*item);
    }
    addItem(item);
}

void UIComboBox::addItem(const std::shared_ptr<UIComboBoxItem>& item) {
    if (!item) {
        return;
    }
    data_.push_back(item);
    scrollView_->addSubview(item);
    reAdjustScrollView();
}

void UIComboBox::selectSilently(UIComboBoxItem& item) {
    ignoreClick_ = true;
    itemClickedSelector(item);
}

void UIComboBox::setSelectedIndex(size_t index) {
    if (index < data_.size()) {
        selectSilently(*data_[index]);
    }
}

void UIComboBox::setSelectedItemByCaption(const std::string& caption) {
    for (const auto& item : data_) {
        if (item->getCaption() == caption) {
            selectSilently(*item);
            return;
        }
    }
}

void UIComboBox::setSelectedItemByValue(const std::string& value) {
    for (const auto& item : data_) {
        if (item->getValue() == value) {
            selectSilently(*item);
            return;
        }
    }
}

bool UIComboBox::removeItemAtIndex(size_t index) {
    return removeAt(index);
}

bool UIComboBox::removeItemByValue(const std::string& value) {
    for (size_t i = 0; i < data_.size(); ++i) {
        if (data_[i]->getValue() == value) {
            return removeAt(i);
        }
    }
    return false;
}

bool UIComboBox::removeItemByCaption(const std::string& caption) {
    for (size_t i = 0; i < data_.size(); ++i) {
        if (data_[i]->getCaption() == caption) {
            return removeAt(i);
        }
    }
    return false;
}

bool UIComboBox::removeAt(size_t index) {
    if (index >= data_.size()) {
        return false;
    }
    const std::shared_ptr<UIComboBoxItem> removed = data_[index];
    data_.erase(data_.begin() + static_cast<std::ptrdiff_t>(index));
    removed->removeFromSuperview();
    moveItemsUp(index);
    if (prevSelectedItem_.lock() == removed) {
        prevSelectedItem_.reset();
        if (index < data_.size()) {
            selectSilently(*data_[index]);
        } else if (index >= 1) {
            selectSilently(*data_[index - 1]);
        }
    }
    if (data_.empty()) {
        comboButton_->setTitle(std::string(), ui::ControlState::Normal);
        scrollView_->setHidden(true);
        scrollBar_->setHidden(true);
    }
    reAdjustScrollView();
    return true;
}

void UIComboBox::moveItemsUp(size_t index) {
    for (size_t i = index; i < data_.size(); ++i) {
        gfx::Rect frame = data_[i]->frame();
        frame.origin.y -= itemHeight_ + separatorHeight_;
        data_[i]->setFrame(frame);
    }
}

void UIComboBox::addTarget(std::weak_ptr<const void> target, SelectionChange action) {
    selectionChangeTarget_ = std::move(target);
    selectionChangeSelector_ = std::move(action);
}

void UIComboBox::setHeight(double height) {
    gfx::Rect frame = this->frame();
    frame.size.height = height;
    setFrame(frame);
}

void UIComboBox::expandCollapseComboBox() {
    if (isClosed()) {
        setHeight(comboSize_.height + maxHeight_);
        scrollView_->setHidden(false);
        scrollBar_->setHidden(false);
    } else {
        setHeight(comboSize_.height);
        scrollView_->setHidden(true);
        scrollBar_->setHidden(true);
    }
    reAdjustScrollView();
}

void UIComboBox::expandComboBox() {
    if (isClosed()) {
        setHeight(frame().size.height + maxHeight_);
        scrollView_->setHidden(false);
        scrollBar_->setHidden(false);
    }
}

void UIComboBox::collapseComboBox() {
    setHeight(comboSize_.height);
    scrollView_->setHidden(true);
    scrollBar_->setHidden(true);
}

void UIComboBox::itemClickedSelector(UIComboBoxItem& item) {
    if (auto previous = prevSelectedItem_.lock()) {
        previous->setSelected(false);
    }
    item.setSelected(true);
    prevSelectedItem_ = item.self<UIComboBoxItem>();
    comboButton_->setTitle(fnd::format(" %@", item.getCaption()), ui::ControlState::Normal);
    collapseComboBox();
    if (ignoreClick_) {
        ignoreClick_ = false;
        return;
    }
    // A target that has gone (or was never given) hears nothing.
    if (selectionChangeSelector_ && !selectionChangeTarget_.expired()) {
        selectionChangeSelector_(item);
    }
}

void UIComboBox::reAdjustScrollView() {
    const double n = static_cast<double>(data_.size());
    const gfx::Rect list = scrollView_->frame();
    const double contentHeight = n * itemHeight_ + n * separatorHeight_ + 1;
    scrollView_->setContentSize(gfx::Size(list.size.width, contentHeight));
    if (contentHeight < maxHeight_ + 5) {
        scrollBar_->setHidden(true);
        scrollView_->setFrame(gfx::Rect(list.origin.x, list.origin.y, list.size.width, contentHeight));
    } else if (list.size.height != maxHeight_) {
        scrollView_->setFrame(gfx::Rect(0, list.origin.y, list.size.width, maxHeight_ + 15));
    }
    scrollBar_->setHidden(true);
    if (data_.empty()) {
        scrollView_->setHidden(true);
        scrollBar_->setHidden(true);
    }
}

} // namespace zelvan::orvane
