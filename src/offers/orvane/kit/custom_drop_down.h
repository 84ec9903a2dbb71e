// CustomDropDown: the offer kit's drop-down list control - a one-line display (a button, or a read-only
// text view, optionally with an arrow button beside it) that opens a table of DropdownItems below itself
// and closes when a choice is made. The control is a view controller; callers add its view to theirs.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "offers/orvane/kit/dropdown_item.h"
#include "platform/graphics/font.h"
#include "platform/ui/button.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_view.h"
#include "platform/ui/view_controller.h"

namespace zelvan::orvane {

class CustomDropDown : public ui::ViewController,
                       public ui::TableViewDataSource,
                       public ui::TableViewDelegate,
                       public ui::TextViewDelegate {
public:
    static constexpr double kDefaultWidth = 160;
    static constexpr double kDefaultListHeight = 130;
    static constexpr double kOpenDuration = 0.4;

    // Heard when the list opens.
    using ShowingOptionsEvent = std::function<void(CustomDropDown& control)>;
    // Heard with the chosen row before the choice is made; false refuses it.
    using ActionPerformed = std::function<bool(int row)>;

    static std::shared_ptr<CustomDropDown> initWithOrigin(gfx::Point origin, bool arrowButton, bool textFieldBased,
                                                          bool imageBased);

    std::string className() const override { return "CustomDropDown"; }

    // The control's view is built once; a memory warning that dropped it gets the same view back.
    void loadView() override;

    // Resizes the display to `size` (the row height follows its height) and the list below it.
    void setBounds(gfx::Size size);
    // Stores the index and shows that item when it is one of the items.
    void setSelectedIndex(int index);
    void setFont(std::shared_ptr<gfx::Font> font);
    void setFontColorHighlight(const gfx::Color& color);
    void setBackgroundColorHighlight(const gfx::Color& color);
    void setBackgroundColor(const gfx::Color& color);
    void setImage(gfx::ImagePtr image);

    // Open and close the list.
    void showOptions();
    void hideOptions();
    // Toggles the list (animated open) while the control is editable.
    void beginEdit();
    void clickedButton() { beginEdit(); }

    // The display text view never edits: a tap opens the list instead.
    std::optional<bool> textViewShouldBeginEditing(ui::TextView& view) override;

    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    // The delegate guards the two callbacks: once it has gone they are not called.
    void setDelegate(std::weak_ptr<const void> delegate);
    void setShowingOptionsEvent(ShowingOptionsEvent fn) { showingOptionsEvent_ = std::move(fn); }
    void setActionPerformed(ActionPerformed fn) { actionPerformed_ = std::move(fn); }

    std::vector<std::shared_ptr<DropdownItem>>& items() { return items_; }
    void setItems(std::vector<std::shared_ptr<DropdownItem>> items) { items_ = std::move(items); }
    int selectedIndex() const { return selectedIndex_; }
    double itemHeight() const { return itemHeight_; }
    void setItemHeight(double height) { itemHeight_ = height; }
    bool editable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    bool textFieldBased() const { return textFieldBased_; }
    bool imageBased() const { return imageBased_; }
    bool showArrowButton() const { return showArrowButton_; }
    const gfx::Color& fontColorNormal() const { return fontColorNormal_; }
    void setFontColorNormal(const gfx::Color& color) { fontColorNormal_ = color; }
    const gfx::Color& backgroundColorNormal() const { return backgroundColorNormal_; }
    void setBackgroundColorNormal(const gfx::Color& color) { backgroundColorNormal_ = color; }
    const gfx::Color& fontColorHighlight() const { return fontColorHighlight_; }
    const gfx::Color& backgroundColorHighlight() const { return backgroundColorHighlight_; }
    const std::shared_ptr<gfx::Font>& font() const { return font_; }
    gfx::Size bounds() const { return bounds_; }
    const std::optional<gfx::Color>& backgroundColor() const { return backgroundColor_; }
    const gfx::ImagePtr& image() const { return image_; }
    bool appeared() const { return appeared_; }

    const std::shared_ptr<ui::Button>& displayButton() const { return displayButton_; }
    const std::shared_ptr<ui::TextView>& textView() const { return textView_; }
    const std::shared_ptr<ui::Button>& arrowButton() const { return but_; }
    const std::shared_ptr<ui::TableView>& tableView() const { return tableViewInternal_; }
    std::optional<ui::IndexPath> selectedIndexPath() const { return selectedIndexPath_; }

private:
    void build(gfx::Point origin);
    // The display element (text view or button).
    std::shared_ptr<ui::View> display() const;
    void showChoice(const DropdownItem& item, bool asBackground);
    void closeList();
    bool delegateAlive() const { return !delegateSet_ || !delegate_.expired(); }

    std::vector<std::shared_ptr<DropdownItem>> items_;
    int selectedIndex_ = -1;
    std::weak_ptr<const void> delegate_;
    bool delegateSet_ = false;
    double itemHeight_ = 30;
    bool editable_ = true;
    bool imageBased_ = false;
    bool textFieldBased_ = false;
    bool showArrowButton_ = false;
    ActionPerformed actionPerformed_;
    ShowingOptionsEvent showingOptionsEvent_;
    gfx::Color backgroundColorHighlight_ = gfx::Color::black();
    gfx::Color backgroundColorNormal_ = gfx::Color::black();
    gfx::Color fontColorNormal_ = gfx::Color::white();
    gfx::Color fontColorHighlight_ = gfx::Color::white();
    std::shared_ptr<ui::Button> displayButton_;
    std::optional<ui::IndexPath> selectedIndexPath_;
    std::shared_ptr<ui::TableView> tableViewInternal_;
    std::shared_ptr<ui::TextView> textView_;
    std::shared_ptr<ui::Button> but_;
    std::shared_ptr<ui::View> content_;
    gfx::Rect viewFrame_;
    gfx::Rect tableViewFrame_;
    gfx::Size bounds_;
    std::shared_ptr<gfx::Font> font_;
    gfx::ImagePtr image_;
    std::optional<gfx::Color> backgroundColor_;
    bool appeared_ = false;
};

} // namespace zelvan::orvane
