// Table view cell: building the parts for the style, the accessory and editing controls, selection
// appearance, and the layout that places them all.
#include "platform/ui/table_view_cell.h"

#include <algorithm>

#include "platform/graphics/graphics_stack.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"

namespace ui {

namespace {

constexpr double kMargin = 10;
constexpr double kValue2LabelWidth = 67;
constexpr double kValue2Gap = 6;
constexpr double kEditingControlSize = 22;
constexpr double kDeleteButtonHeight = 30;
constexpr double kDeleteButtonPadding = 20;

const gfx::Color kBlueSelection(0.02, 0.45, 0.89, 1);
const gfx::Color kGraySelection(0.55, 0.55, 0.55, 1);
const gfx::Color kDeleteRed(0.85, 0.1, 0.1, 1);
const gfx::Color kInsertGreen(0.2, 0.7, 0.2, 1);

// The drawn glyph of the DisclosureIndicator and Checkmark accessory types.
class AccessoryGlyphView : public View {
public:
    explicit AccessoryGlyphView(TableViewCellAccessoryType type) : type_(type) {}

    static gfx::Size glyphSize(TableViewCellAccessoryType type) {
        return type == TableViewCellAccessoryType::Checkmark ? gfx::Size{14, 14} : gfx::Size{10, 14};
    }

    void initWithFrame(gfx::Rect frame) override {
        View::initWithFrame(frame);
        setUserInteractionEnabled(false);
        setOpaque(false);
    }

    std::string className() const override { return "AccessoryGlyphView"; }
    bool drawsOwnContent() const override { return true; }

    void setHighlighted(bool highlighted) {
        if (highlighted_ != highlighted) {
            highlighted_ = highlighted;
            setNeedsDisplay();
        }
    }

    void drawRect(gfx::Rect) override {
        const auto ctx = gfx::getCurrentContext();
        if (!ctx) {
            return;
        }
        gfx::StateSaver saver(*ctx);
        const gfx::Rect b = bounds();
        const bool check = type_ == TableViewCellAccessoryType::Checkmark;
        gfx::Color ink = check ? gfx::Color(0.2, 0.31, 0.52, 1) : gfx::Color(0.5, 0.5, 0.5, 1);
        if (highlighted_) {
            ink = gfx::Color::white();
        }
        ctx->setStrokeColor(ink);
        ctx->setLineWidth(3);
        ctx->beginPath();
        if (check) {
            ctx->moveToPoint(b.minX() + 1.5, b.midY());
            ctx->addLineToPoint(b.minX() + b.width() * 0.4, b.maxY() - 2);
            ctx->addLineToPoint(b.maxX() - 1.5, b.minY() + 1.5);
        } else {
            ctx->moveToPoint(b.minX() + 2, b.minY() + 2);
            ctx->addLineToPoint(b.maxX() - 2, b.midY());
            ctx->addLineToPoint(b.minX() + 2, b.maxY() - 2);
        }
        ctx->strokePath();
    }

private:
    TableViewCellAccessoryType type_;
    bool highlighted_ = false;
};

std::shared_ptr<Label> makeLabel(const std::shared_ptr<gfx::Font>& font, const gfx::Color& color) {
    auto label = View::create<Label>(gfx::Rect{});
    label->setBackgroundColor(gfx::Color::clear());
    label->setOpaque(false);
    label->setFont(font);
    label->setTextColor(color);
    label->setHighlightedTextColor(gfx::Color::white());
    return label;
}

void detach(const std::shared_ptr<View>& view) {
    if (view) {
        view->removeFromSuperview();
    }
}

} // namespace

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : style_(style), reuseIdentifier_(std::move(reuseIdentifier)) {}

TableViewCell::~TableViewCell() = default;

void TableViewCell::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setBackgroundColor(gfx::Color::white());
    setClipsToBounds(true);

    defaultSelectedBackground_ = View::create<View>(bounds());
    defaultSelectedBackground_->setHidden(true);
    addSubview(defaultSelectedBackground_);

    contentView_ = View::create<View>(bounds());
    contentView_->setBackgroundColor(gfx::Color::clear());
    contentView_->setOpaque(false);
    addSubview(contentView_);

    imageView_ = View::create<ImageView>(gfx::Rect{});
    contentView_->addSubview(imageView_);

    const gfx::Color black = gfx::Color::black();
    switch (style_) {
    case TableViewCellStyle::Default:
        textLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(20), black);
        break;
    case TableViewCellStyle::Value1:
        textLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(17), black);
        detailTextLabel_ = makeLabel(gfx::Font::systemFontOfSize(17), gfx::Color(0.22, 0.33, 0.53, 1));
        detailTextLabel_->setTextAlignment(TextAlignment::Right);
        break;
    case TableViewCellStyle::Value2:
        textLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(12), gfx::Color(0.32, 0.4, 0.57, 1));
        textLabel_->setTextAlignment(TextAlignment::Right);
        detailTextLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(15), black);
        break;
    case TableViewCellStyle::Subtitle:
        textLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(18), black);
        detailTextLabel_ = makeLabel(gfx::Font::systemFontOfSize(14), gfx::Color(0.5, 0.5, 0.5, 1));
        break;
    }
    contentView_->addSubview(textLabel_);
    if (detailTextLabel_) {
        contentView_->addSubview(detailTextLabel_);
    }
    updateSelectionAppearance();
}

// --- Background views ---

void TableViewCell::setBackgroundView(std::shared_ptr<View> view) {
    if (view == backgroundView_) {
        return;
    }
    detach(backgroundView_);
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        insertSubviewAtIndex(backgroundView_, 0);
    }
    setNeedsLayout();
}

void TableViewCell::setSelectedBackgroundView(std::shared_ptr<View> view) {
    if (view == selectedBackgroundView_) {
        return;
    }
    detach(selectedBackgroundView_);
    selectedBackgroundView_ = std::move(view);
    if (selectedBackgroundView_) {
        insertSubviewBelowSubview(selectedBackgroundView_, contentView_.get());
    }
    updateSelectionAppearance();
    setNeedsLayout();
}

// --- Legacy text properties ---

const std::string& TableViewCell::text() const {
    return textLabel_->text();
}
void TableViewCell::setText(std::string text) {
    textLabel_->setText(std::move(text));
}
std::shared_ptr<gfx::Font> TableViewCell::font() const {
    return textLabel_->font();
}
void TableViewCell::setFont(std::shared_ptr<gfx::Font> font) {
    textLabel_->setFont(std::move(font));
    setNeedsLayout();
}
gfx::Color TableViewCell::textColor() const {
    return textLabel_->textColor();
}
void TableViewCell::setTextColor(const gfx::Color& color) {
    textLabel_->setTextColor(color);
}
gfx::ImagePtr TableViewCell::image() const {
    return imageView_->image();
}
void TableViewCell::setImage(gfx::ImagePtr image) {
    imageView_->setImage(std::move(image));
    setNeedsLayout();
}
TextAlignment TableViewCell::textAlignment() const {
    return textLabel_->textAlignment();
}
void TableViewCell::setTextAlignment(TextAlignment alignment) {
    textLabel_->setTextAlignment(alignment);
}
LineBreakMode TableViewCell::lineBreakMode() const {
    return textLabel_->lineBreakMode();
}
void TableViewCell::setLineBreakMode(LineBreakMode mode) {
    textLabel_->setLineBreakMode(mode);
}

// --- Accessory ---

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
    if (type == accessoryType_) {
        return;
    }
    accessoryType_ = type;
    updateAccessory();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
    if (view == accessoryView_) {
        return;
    }
    detach(accessoryView_);
    accessoryView_ = std::move(view);
    updateAccessory();
}

std::shared_ptr<Button> TableViewCell::accessoryButton() const {
    if (accessoryView_ || accessoryType_ != TableViewCellAccessoryType::DetailDisclosureButton) {
        return nullptr;
    }
    return std::static_pointer_cast<Button>(typeAccessory_);
}

void TableViewCell::updateAccessory() {
    detach(typeAccessory_);
    typeAccessory_.reset();
    if (!accessoryView_) {
        if (accessoryType_ == TableViewCellAccessoryType::DetailDisclosureButton) {
            auto button = Button::buttonWithType(ButtonType::DetailDisclosure);
            std::weak_ptr<TableViewCell> weakSelf = self<TableViewCell>();
            button->addTarget(
                weakSelf,
                [weakSelf](Control&, const Event*) {
                    auto cell = weakSelf.lock();
                    if (cell && cell->onAccessoryTap_) {
                        cell->onAccessoryTap_(*cell);
                    }
                },
                ControlEvents::TouchUpInside);
            typeAccessory_ = button;
        } else if (accessoryType_ != TableViewCellAccessoryType::None) {
            typeAccessory_ = View::create<AccessoryGlyphView>(
                gfx::Rect(gfx::Point{}, AccessoryGlyphView::glyphSize(accessoryType_)), accessoryType_);
        }
    }
    if (auto shown = shownAccessory()) {
        insertSubviewAboveSubview(shown, contentView_.get());
        shown->setHidden(editing_ || showingDeleteConfirmation_);
    }
    updateSelectionAppearance();
    setNeedsLayout();
}

std::shared_ptr<View> TableViewCell::shownAccessory() const {
    return accessoryView_ ? accessoryView_ : typeAccessory_;
}

gfx::Size TableViewCell::accessorySize() const {
    const auto shown = shownAccessory();
    return shown ? shown->frame().size : gfx::Size{};
}

// --- Selection ---

void TableViewCell::setSelectionStyle(TableViewCellSelectionStyle style) {
    selectionStyle_ = style;
    updateSelectionAppearance();
}

void TableViewCell::setSelected(bool selected, Animated) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    updateSelectionAppearance();
}

void TableViewCell::setHighlighted(bool highlighted, Animated) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    updateSelectionAppearance();
}

void TableViewCell::updateSelectionAppearance() {
    const bool on = (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
    textLabel_->setHighlighted(on);
    if (detailTextLabel_) {
        detailTextLabel_->setHighlighted(on);
    }
    imageView_->setHighlighted(on);
    if (auto glyph = std::dynamic_pointer_cast<AccessoryGlyphView>(typeAccessory_)) {
        glyph->setHighlighted(on);
    }
    defaultSelectedBackground_->setBackgroundColor(
        selectionStyle_ == TableViewCellSelectionStyle::Gray ? kGraySelection : kBlueSelection);
    defaultSelectedBackground_->setHidden(!on || selectedBackgroundView_ != nullptr);
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setHidden(!on);
    }
}

// --- Editing ---

void TableViewCell::setEditing(bool editing, Animated) {
    if (editing_ == editing) {
        return;
    }
    editing_ = editing;
    if (!editing) {
        showingDeleteConfirmation_ = false;
    }
    updateEditingControls();
}

void TableViewCell::setEditingStyle(TableViewCellEditingStyle style) {
    if (editingStyle_ == style) {
        return;
    }
    editingStyle_ = style;
    if (style != TableViewCellEditingStyle::Delete) {
        showingDeleteConfirmation_ = false;
    }
    updateEditingControls();
}

void TableViewCell::setShouldIndentWhileEditing(bool indent) {
    shouldIndentWhileEditing_ = indent;
    setNeedsLayout();
}

void TableViewCell::setShowingDeleteConfirmation(bool showing) {
    if (showingDeleteConfirmation_ == showing) {
        return;
    }
    showingDeleteConfirmation_ = showing;
    updateEditingControls();
    if (showing && onConfirmation_) {
        onConfirmation_(*this);
    }
}

void TableViewCell::updateEditingControls() {
    const std::weak_ptr<TableViewCell> weakSelf = self<TableViewCell>();
    const bool wantControl = editing_ && editingStyle_ != TableViewCellEditingStyle::None;
    const bool isDelete = editingStyle_ == TableViewCellEditingStyle::Delete;
    if (editingControl_ && (!wantControl || editingControl_->tag() != static_cast<int64_t>(editingStyle_))) {
        detach(editingControl_);
        editingControl_.reset();
    }
    if (wantControl && !editingControl_) {
        editingControl_ = View::create<Button>(gfx::Rect(0, 0, kEditingControlSize, kEditingControlSize));
        editingControl_->setTag(static_cast<int64_t>(editingStyle_));
        editingControl_->setBackgroundColor(isDelete ? kDeleteRed : kInsertGreen);
        editingControl_->setTitle(isDelete ? "-" : "+", ControlState::Normal);
        editingControl_->setTitleColor(gfx::Color::white(), ControlState::Normal);
        editingControl_->addTarget(
            weakSelf,
            [weakSelf](Control&, const Event*) {
                auto cell = weakSelf.lock();
                if (!cell) {
                    return;
                }
                if (cell->editingStyle_ == TableViewCellEditingStyle::Delete) {
                    cell->setShowingDeleteConfirmation(!cell->showingDeleteConfirmation_);
                } else if (cell->onCommitEditing_) {
                    cell->onCommitEditing_(*cell, TableViewCellEditingStyle::Insert);
                }
            },
            ControlEvents::TouchUpInside);
        addSubview(editingControl_);
    }

    const bool wantConfirmation = showingDeleteConfirmation_;
    if (deleteButton_ && !wantConfirmation) {
        detach(deleteButton_);
        deleteButton_.reset();
    }
    if (wantConfirmation && !deleteButton_) {
        deleteButton_ = View::create<Button>(gfx::Rect{});
        deleteButton_->setBackgroundColor(kDeleteRed);
        deleteButton_->setTitle("Delete", ControlState::Normal);
        deleteButton_->setTitleColor(gfx::Color::white(), ControlState::Normal);
        const gfx::Size fit = deleteButton_->sizeThatFits({});
        deleteButton_->setFrame(gfx::Rect(0, 0, fit.width + kDeleteButtonPadding, kDeleteButtonHeight));
        deleteButton_->addTarget(
            weakSelf,
            [weakSelf](Control&, const Event*) {
                auto cell = weakSelf.lock();
                if (cell && cell->onCommitEditing_) {
                    cell->onCommitEditing_(*cell, TableViewCellEditingStyle::Delete);
                }
            },
            ControlEvents::TouchUpInside);
        addSubview(deleteButton_);
    }
    if (auto shown = shownAccessory()) {
        // The accessory gives way to the editing state.
        shown->setHidden(editing_ || showingDeleteConfirmation_);
    }
    setNeedsLayout();
}

void TableViewCell::setIndentationLevel(int level) {
    indentationLevel_ = std::max(0, level);
    setNeedsLayout();
}

void TableViewCell::setIndentationWidth(double width) {
    indentationWidth_ = width;
    setNeedsLayout();
}

void TableViewCell::prepareForReuse() {
    setSelected(false, Animated::No);
    setHighlighted(false, Animated::No);
    setShowingDeleteConfirmation(false);
}

void TableViewCell::setSeparator(TableViewCellSeparatorStyle style, const gfx::Color& color) {
    if (style == TableViewCellSeparatorStyle::None) {
        detach(separator_);
        separator_.reset();
        return;
    }
    if (!separator_) {
        separator_ = View::create<View>(gfx::Rect{});
        separator_->setUserInteractionEnabled(false);
        addSubview(separator_);
        setNeedsLayout();
    }
    separator_->setBackgroundColor(color);
}

// --- Layout ---

void TableViewCell::layoutSubviews() {
    const gfx::Rect b = bounds();
    if (backgroundView_) {
        backgroundView_->setFrame(b);
    }
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setFrame(b);
    }
    defaultSelectedBackground_->setFrame(b);

    const double left = editing_ && shouldIndentWhileEditing_ ? kEditingIndent : 0;
    if (editingControl_) {
        editingControl_->setFrame(gfx::Rect(b.minX() + (kEditingIndent - kEditingControlSize) / 2,
                                            b.minY() + (b.height() - kEditingControlSize) / 2, kEditingControlSize,
                                            kEditingControlSize));
    }
    double right = b.maxX();
    if (deleteButton_) {
        const gfx::Size size = deleteButton_->frame().size;
        const double x = b.maxX() - kMargin - size.width;
        deleteButton_->setFrame(gfx::Rect(x, b.minY() + (b.height() - size.height) / 2, size.width, size.height));
        right = x;
    } else if (auto shown = shownAccessory(); shown && !shown->isHidden()) {
        const gfx::Size size = accessorySize();
        const double x = b.maxX() - kMargin - size.width;
        shown->setFrame(gfx::Rect(x, b.minY() + (b.height() - size.height) / 2, size.width, size.height));
        right = x;
    }
    contentView_->setFrame(gfx::Rect(b.minX() + left, b.minY(), std::max(0.0, right - b.minX() - left), b.height()));
    if (separator_) {
        separator_->setFrame(gfx::Rect(b.minX(), b.maxY() - 1, b.width(), 1));
        bringSubviewToFront(separator_.get());
    }
    layoutContent();
}

void TableViewCell::layoutContent() {
    const gfx::Rect c = contentView_->bounds();
    double x = c.minX() + kMargin + indentationLevel_ * indentationWidth_;
    const double h = c.height();
    if (imageView_->image()) {
        const gfx::Size size = imageView_->image()->size();
        imageView_->setFrame(gfx::Rect(x, c.minY() + (h - size.height) / 2, size.width, size.height));
        x += size.width + kMargin;
    } else {
        imageView_->setFrame(gfx::Rect(x, c.minY(), 0, 0));
    }
    const double width = std::max(0.0, c.maxX() - kMargin - x);
    switch (style_) {
    case TableViewCellStyle::Default:
        textLabel_->setFrame(gfx::Rect(x, c.minY(), width, h));
        break;
    case TableViewCellStyle::Value1: {
        const double detailWidth =
            detailTextLabel_->text().empty() ? 0 : std::min(width, detailTextLabel_->sizeThatFits({}).width);
        detailTextLabel_->setFrame(gfx::Rect(x + width - detailWidth, c.minY(), detailWidth, h));
        const double gap = detailWidth > 0 ? kMargin : 0;
        textLabel_->setFrame(gfx::Rect(x, c.minY(), std::max(0.0, width - detailWidth - gap), h));
        break;
    }
    case TableViewCellStyle::Value2: {
        const double labelWidth = std::min(width, kValue2LabelWidth);
        textLabel_->setFrame(gfx::Rect(x, c.minY(), labelWidth, h));
        const double detailX = x + labelWidth + kValue2Gap;
        detailTextLabel_->setFrame(gfx::Rect(detailX, c.minY(), std::max(0.0, x + width - detailX), h));
        break;
    }
    case TableViewCellStyle::Subtitle: {
        const double textHeight = textLabel_->text().empty() ? 0 : textLabel_->font()->lineHeight();
        const double detailHeight = detailTextLabel_->text().empty() ? 0 : detailTextLabel_->font()->lineHeight();
        const double top = c.minY() + (h - textHeight - detailHeight) / 2;
        textLabel_->setFrame(gfx::Rect(x, top, width, textHeight));
        detailTextLabel_->setFrame(gfx::Rect(x, top + textHeight, width, detailHeight));
        break;
    }
    }
}

} // namespace ui
