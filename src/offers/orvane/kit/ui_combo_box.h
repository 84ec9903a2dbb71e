// UIComboBox: the offer kit's own drop-down selector - a button showing the current choice that opens a
// list of UIComboBoxItem buttons below itself, in a scroll view with the kit's scroll bar. A choice the
// user makes is reported to one target; choices made by the program are not.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "offers/orvane/kit/ui_combo_box_item.h"
#include "offers/orvane/kit/ui_scroll_bar.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/button.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class UIComboBox : public ui::View {
public:
    using SelectionChange = std::function<void(UIComboBoxItem& item)>;

    // Combo images: 0 the button's background, 1 an item's, 2 an item's when highlighted or selected.
    // Scroll-bar images: as UIScrollBar takes them.
    static std::shared_ptr<UIComboBox> initWithFrame(gfx::Rect frame, const std::vector<gfx::ImagePtr>& comboBoxImages,
                                                     const std::vector<gfx::ImagePtr>& scrollBarImages,
                                                     double itemHeight = 0);

    using ui::View::initWithFrame;
    std::string className() const override { return "UIComboBox"; }

    // Appends an item; the first ever added becomes the selection unreported.
    void addItem(const std::string& value, const std::string& caption);
    // Appends a ready item and re-lays the list.
    void addItem(const std::shared_ptr<UIComboBoxItem>& item);

    // Selections by the program (never reported); no match or an index past the end changes nothing.
    void setSelectedIndex(size_t index);
    void setSelectedItemByCaption(const std::string& caption);
    void setSelectedItemByValue(const std::string& value);
    std::shared_ptr<UIComboBoxItem> getSelectedItem() const { return prevSelectedItem_.lock(); }
    size_t getItemsCount() const { return data_.size(); }
    const std::vector<std::shared_ptr<UIComboBoxItem>>& items() const { return data_; }

    // Removals: true when an item went.
    bool removeItemAtIndex(size_t index);
    bool removeItemByValue(const std::string& value);
    bool removeItemByCaption(const std::string& caption);

    // Where user selections are reported; `target` guards the action (it is not kept alive).
    void addTarget(std::weak_ptr<const void> target, SelectionChange action);

    // The button's action: opens or closes the list.
    void expandCollapseComboBox();
    void expandComboBox();
    void collapseComboBox();
    // An item's action: selects it, closes the list and reports unless the program made the choice.
    void itemClickedSelector(UIComboBoxItem& item);
    // Sizes the list to its items (at most maxHeight + 15 tall).
    void reAdjustScrollView();
    // Moves the items from `index` to the end up by one row.
    void moveItemsUp(size_t index);

    const std::shared_ptr<ui::Button>& comboButton() const { return comboButton_; }
    void setComboButton(std::shared_ptr<ui::Button> button) { comboButton_ = std::move(button); }
    const std::shared_ptr<gfx::Font>& font() const { return font_; }
    // Affects items added afterwards.
    void setFont(std::shared_ptr<gfx::Font> font) { font_ = std::move(font); }
    double itemHeight() const { return itemHeight_; }
    void setItemHeight(double height) { itemHeight_ = height; }
    // Set just before a selection made by the program, so that it goes unreported.
    bool ignoreClick() const { return ignoreClick_; }
    void setIgnoreClick(bool ignore) { ignoreClick_ = ignore; }

    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<UIScrollBar>& scrollBar() const { return scrollBar_; }
    double maxHeight() const { return maxHeight_; }
    gfx::Size comboSize() const { return comboSize_; }

private:
    void build(gfx::Rect frame);
    void selectSilently(UIComboBoxItem& item);
    bool removeAt(size_t index);
    void setHeight(double height);
    bool isClosed() const { return frame().size.height == comboSize_.height; }

    std::shared_ptr<ui::Button> comboButton_;
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::vector<std::shared_ptr<UIComboBoxItem>> data_;
    gfx::Size comboSize_;
    double maxHeight_ = 0;
    double separatorHeight_ = 1.0;
    double itemHeight_ = 0;
    std::weak_ptr<UIComboBoxItem> prevSelectedItem_;
    std::shared_ptr<UIScrollBar> scrollBar_;
    std::vector<gfx::ImagePtr> comboBoxImages_;
    std::vector<gfx::ImagePtr> scrollBarImages_;
    std::shared_ptr<gfx::Font> font_;
    std::weak_ptr<const void> selectionChangeTarget_;
    SelectionChange selectionChangeSelector_;
    bool ignoreClick_ = false;
};

} // namespace zelvan::orvane
