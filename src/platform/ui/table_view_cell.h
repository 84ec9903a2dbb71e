// ui::TableViewCell: one row of a table view - a content view holding an image view and text and
// detail labels laid out by the cell style, background and selection views, an accessory (a drawn
// glyph, a detail disclosure button or a custom view), the editing controls (delete or insert
// control and the delete confirmation button), indentation, and selection and highlight state.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/label.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

class Button;
class ImageView;

enum class TableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellAccessoryType { None = 0, DisclosureIndicator = 1, DetailDisclosureButton = 2, Checkmark = 3 };
enum class TableViewCellSelectionStyle { None = 0, Blue = 1, Gray = 2 };
enum class TableViewCellEditingStyle { None = 0, Delete = 1, Insert = 2 };
enum class TableViewCellSeparatorStyle { None = 0, SingleLine = 1 };

class TableViewCell : public View {
public:
    // The size a cell made by initWithStyle starts with.
    static constexpr double kDefaultWidth = 320;
    static constexpr double kDefaultHeight = 44;
    // Room the editing control takes at the left while editing.
    static constexpr double kEditingIndent = 32;
    static constexpr double kDefaultIndentationWidth = 10;

    // A cell of `style` with a 320 x 44 frame; a subclass T is constructed from (style,
    // reuseIdentifier, extra...).
    template <class T = TableViewCell, class... Extra>
    static std::shared_ptr<T> initWithStyle(TableViewCellStyle style, std::string reuseIdentifier, Extra&&... extra) {
        return View::create<T>(gfx::Rect(0, 0, kDefaultWidth, kDefaultHeight), style, std::move(reuseIdentifier),
                               std::forward<Extra>(extra)...);
    }

    // `View::create<TableViewCell>(frame, reuseIdentifier)` makes a Default-style cell of that frame.
    explicit TableViewCell(std::string reuseIdentifier = {})
        : TableViewCell(TableViewCellStyle::Default, std::move(reuseIdentifier)) {}
    TableViewCell(TableViewCellStyle style, std::string reuseIdentifier);
    ~TableViewCell() override;

    void initWithFrame(gfx::Rect frame) override;

    std::string className() const override { return "TableViewCell"; }

    TableViewCellStyle style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }

    // --- Parts ---
    // Subviews a cell adds go here; it is laid out between the editing control and the accessory.
    const std::shared_ptr<View>& contentView() const { return contentView_; }
    const std::shared_ptr<Label>& textLabel() const { return textLabel_; }
    // Null for the Default style.
    const std::shared_ptr<Label>& detailTextLabel() const { return detailTextLabel_; }
    const std::shared_ptr<ImageView>& imageView() const { return imageView_; }
    // Fill the cell behind everything; the selected one shows while selected or highlighted.
    const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& selectedBackgroundView() const { return selectedBackgroundView_; }
    void setSelectedBackgroundView(std::shared_ptr<View> view);

    // --- Legacy text properties, mapped onto textLabel (and imageView for image) ---
    const std::string& text() const;
    void setText(std::string text);
    std::shared_ptr<gfx::Font> font() const;
    void setFont(std::shared_ptr<gfx::Font> font);
    gfx::Color textColor() const;
    void setTextColor(const gfx::Color& color);
    gfx::ImagePtr image() const;
    void setImage(gfx::ImagePtr image);
    TextAlignment textAlignment() const;
    void setTextAlignment(TextAlignment alignment);
    LineBreakMode lineBreakMode() const;
    void setLineBreakMode(LineBreakMode mode);

    // --- Accessory ---
    TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(TableViewCellAccessoryType type);
    // Shown instead of the accessory type's glyph when set.
    const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
    void setAccessoryView(std::shared_ptr<View> view);
    // The detail disclosure button while the accessory type asks for one (and no view replaces it).
    std::shared_ptr<Button> accessoryButton() const;

    // --- Selection ---
    TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(TableViewCellSelectionStyle style);
    bool isSelected() const { return selected_; }
    bool isHighlighted() const { return highlighted_; }
    // Both pass the highlight on to the labels and the image view (unless the selection style is
    // None) and show the selected background.
    virtual void setSelected(bool selected, Animated animated);
    virtual void setHighlighted(bool highlighted, Animated animated);
    void setSelected(bool selected) { setSelected(selected, Animated::No); }
    void setHighlighted(bool highlighted) { setHighlighted(highlighted, Animated::No); }

    // --- Editing ---
    bool isEditing() const { return editing_; }
    void setEditing(bool editing) { setEditing(editing, Animated::No); }
    virtual void setEditing(bool editing, Animated animated);
    // The style of the editing control shown while editing (the table sets it from its delegate).
    TableViewCellEditingStyle editingStyle() const { return editingStyle_; }
    void setEditingStyle(TableViewCellEditingStyle style);
    // Whether the content moves right by kEditingIndent while editing.
    bool shouldIndentWhileEditing() const { return shouldIndentWhileEditing_; }
    void setShouldIndentWhileEditing(bool indent);
    bool showingDeleteConfirmation() const { return showingDeleteConfirmation_; }
    void setShowingDeleteConfirmation(bool showing);
    // The round delete or insert control while editing with such a style, else null.
    const std::shared_ptr<Button>& editingControl() const { return editingControl_; }
    // The "Delete" button while the delete confirmation shows, else null.
    const std::shared_ptr<Button>& deleteConfirmationButton() const { return deleteButton_; }

    int indentationLevel() const { return indentationLevel_; }
    void setIndentationLevel(int level);
    double indentationWidth() const { return indentationWidth_; }
    void setIndentationWidth(double width);

    // Called by the table before it hands the cell out again: clears selection, highlight and the
    // delete confirmation. Subclasses that override it call the base.
    virtual void prepareForReuse();

    // Places the background views, editing control, content view, accessory and, inside the content
    // view, the image view and labels for the style.
    void layoutSubviews() override;

    // --- Table wiring (set by the table that shows the cell) ---
    // Called when the detail disclosure button is tapped.
    void setAccessoryTapHandler(std::function<void(TableViewCell&)> handler) { onAccessoryTap_ = std::move(handler); }
    // Called when an edit is committed through the controls: Delete from the confirmation button,
    // Insert from the insert control.
    void setCommitEditingHandler(std::function<void(TableViewCell&, TableViewCellEditingStyle)> handler) {
        onCommitEditing_ = std::move(handler);
    }
    // Called whenever the delete confirmation appears.
    void setConfirmationHandler(std::function<void(TableViewCell&)> handler) { onConfirmation_ = std::move(handler); }
    // The separator line drawn along the bottom edge.
    void setSeparator(TableViewCellSeparatorStyle style, const gfx::Color& color);

private:
    void updateAccessory();
    void updateEditingControls();
    void updateSelectionAppearance();
    void layoutContent();
    // The accessory's size (zero without one).
    gfx::Size accessorySize() const;
    std::shared_ptr<View> shownAccessory() const;

    TableViewCellStyle style_;
    std::string reuseIdentifier_;
    std::shared_ptr<View> contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<Label> detailTextLabel_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<View> backgroundView_;
    std::shared_ptr<View> selectedBackgroundView_;
    // The plain fill shown for selection when no selected background view is set.
    std::shared_ptr<View> defaultSelectedBackground_;
    std::shared_ptr<View> separator_;

    TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
    std::shared_ptr<View> accessoryView_;
    // The glyph view or detail disclosure button for accessoryType_.
    std::shared_ptr<View> typeAccessory_;

    TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Blue;
    bool selected_ = false;
    bool highlighted_ = false;

    bool editing_ = false;
    TableViewCellEditingStyle editingStyle_ = TableViewCellEditingStyle::None;
    bool shouldIndentWhileEditing_ = true;
    bool showingDeleteConfirmation_ = false;
    std::shared_ptr<Button> editingControl_;
    std::shared_ptr<Button> deleteButton_;

    int indentationLevel_ = 0;
    double indentationWidth_ = kDefaultIndentationWidth;

    std::function<void(TableViewCell&)> onAccessoryTap_;
    std::function<void(TableViewCell&, TableViewCellEditingStyle)> onCommitEditing_;
    std::function<void(TableViewCell&)> onConfirmation_;
};

} // namespace ui
