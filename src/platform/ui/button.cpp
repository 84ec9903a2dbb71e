// Buttons: per-state values with fallback to Normal, layout of the image and title by the content
// alignments and insets, and the plain drawn look of the built-in types.
#include "platform/ui/button.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"

namespace ui {

namespace {

constexpr double kTitleFontSize = 15;
constexpr double kRoundedRectRadius = 8;

gfx::Size glyphSize(ButtonType type) {
    switch (type) {
    case ButtonType::DetailDisclosure:
        return {29, 31};
    case ButtonType::InfoLight:
    case ButtonType::InfoDark:
        return {18, 19};
    case ButtonType::ContactAdd:
        return {29, 29};
    case ButtonType::Custom:
    case ButtonType::RoundedRect:
        break;
    }
    return {};
}

bool isGlyphType(ButtonType type) {
    return glyphSize(type).width > 0;
}

} // namespace

std::shared_ptr<Button> Button::buttonWithType(ButtonType type) {
    return View::create<Button>(gfx::Rect(gfx::Point{}, glyphSize(type)), type);
}

void Button::initWithFrame(gfx::Rect frame) {
    Control::initWithFrame(frame);
    imageView_ = View::create<ImageView>(gfx::Rect{});
    addSubview(imageView_);
    titleLabel_ = View::create<Label>(gfx::Rect{});
    titleLabel_->setFont(gfx::Font::boldSystemFontOfSize(kTitleFontSize));
    titleLabel_->setBackgroundColor(gfx::Color::clear());
    titleLabel_->setLineBreakMode(LineBreakMode::MiddleTruncation);
    addSubview(titleLabel_);
    if (type_ == ButtonType::RoundedRect) {
        titleColors_[static_cast<uint32_t>(ControlState::Normal)] = gfx::Color(0.196, 0.31, 0.522, 1);
        titleColors_[static_cast<uint32_t>(ControlState::Highlighted)] = gfx::Color::white();
    } else {
        titleColors_[static_cast<uint32_t>(ControlState::Normal)] = gfx::Color::white();
    }
    refreshContent();
}

template <class T>
std::optional<T> Button::lookup(const std::map<uint32_t, T>& map, ControlState state) {
    auto it = map.find(static_cast<uint32_t>(state));
    if (it == map.end()) {
        it = map.find(static_cast<uint32_t>(ControlState::Normal));
    }
    if (it == map.end()) {
        return std::nullopt;
    }
    return it->second;
}

template <class T>
void Button::store(std::map<uint32_t, T>& map, std::optional<T> value, ControlState state) {
    if (value) {
        map[static_cast<uint32_t>(state)] = std::move(*value);
    } else {
        map.erase(static_cast<uint32_t>(state));
    }
    refreshContent();
}

void Button::setTitle(std::optional<std::string> title, ControlState state) {
    store(titles_, std::move(title), state);
}

void Button::setTitleColor(std::optional<gfx::Color> color, ControlState state) {
    store(titleColors_, color, state);
}

void Button::setTitleShadowColor(std::optional<gfx::Color> color, ControlState state) {
    store(titleShadowColors_, color, state);
}

void Button::setImage(gfx::ImagePtr image, ControlState state) {
    store(images_, image ? std::optional(std::move(image)) : std::nullopt, state);
}

void Button::setBackgroundImage(gfx::ImagePtr image, ControlState state) {
    store(backgroundImages_, image ? std::optional(std::move(image)) : std::nullopt, state);
}

std::optional<std::string> Button::titleForState(ControlState state) const {
    return lookup(titles_, state);
}

std::optional<gfx::Color> Button::titleColorForState(ControlState state) const {
    return lookup(titleColors_, state);
}

std::optional<gfx::Color> Button::titleShadowColorForState(ControlState state) const {
    return lookup(titleShadowColors_, state);
}

gfx::ImagePtr Button::imageForState(ControlState state) const {
    return lookup(images_, state).value_or(nullptr);
}

gfx::ImagePtr Button::backgroundImageForState(ControlState state) const {
    return lookup(backgroundImages_, state).value_or(nullptr);
}

void Button::setContentEdgeInsets(gfx::EdgeInsets insets) {
    contentInsets_ = insets;
    setNeedsLayout();
}

void Button::setTitleEdgeInsets(gfx::EdgeInsets insets) {
    titleInsets_ = insets;
    setNeedsLayout();
}

void Button::setImageEdgeInsets(gfx::EdgeInsets insets) {
    imageInsets_ = insets;
    setNeedsLayout();
}

void Button::stateDidChange() {
    refreshContent();
    Control::stateDidChange();
}

void Button::refreshContent() {
    if (!titleLabel_) {
        return;
    }
    titleLabel_->setText(currentTitle().value_or(""));
    titleLabel_->setTextColor(currentTitleColor().value_or(gfx::Color::white()));
    titleLabel_->setShadowColor(titleShadowColorForState(state()));
    imageView_->setImage(currentImage());
    setNeedsLayout();
    setNeedsDisplay();
}

gfx::Size Button::titleSize() const {
    const auto title = currentTitle();
    if (!title || title->empty()) {
        return {};
    }
    return gfx::sizeWithFont(*title, titleLabel_->font());
}

gfx::Size Button::imageSize() const {
    const auto image = currentImage();
    return image ? image->size() : gfx::Size{};
}

gfx::Rect Button::contentRectForBounds(gfx::Rect b) const {
    return gfx::Rect(b.minX() + contentInsets_.left, b.minY() + contentInsets_.top,
                     std::max(0.0, b.width() - contentInsets_.left - contentInsets_.right),
                     std::max(0.0, b.height() - contentInsets_.top - contentInsets_.bottom));
}

namespace {

double placeVertically(ContentVerticalAlignment alignment, gfx::Rect content, double height) {
    switch (alignment) {
    case ContentVerticalAlignment::Top:
    case ContentVerticalAlignment::Fill:
        return content.minY();
    case ContentVerticalAlignment::Bottom:
        return content.maxY() - height;
    case ContentVerticalAlignment::Center:
        break;
    }
    return content.minY() + std::floor((content.height() - height) / 2);
}

// The x of the left edge of `total` points of content.
double placeHorizontally(ContentHorizontalAlignment alignment, gfx::Rect content, double total) {
    switch (alignment) {
    case ContentHorizontalAlignment::Left:
    case ContentHorizontalAlignment::Fill:
        return content.minX();
    case ContentHorizontalAlignment::Right:
        return content.maxX() - total;
    case ContentHorizontalAlignment::Center:
        break;
    }
    return content.minX() + std::floor((content.width() - total) / 2);
}

gfx::Rect shifted(gfx::Rect r, gfx::EdgeInsets insets) {
    return r.offsetBy(insets.left - insets.right, insets.top - insets.bottom);
}

} // namespace

gfx::Rect Button::imageRectForContentRect(gfx::Rect content) const {
    const gfx::Size image = imageSize();
    if (image.width <= 0 || image.height <= 0) {
        return shifted(gfx::Rect(content.midX(), content.midY(), 0, 0), imageInsets_);
    }
    const double width = std::min(image.width, content.width());
    const double titleWidth = std::min(titleSize().width, content.width() - width);
    const double x = placeHorizontally(contentHorizontalAlignment(), content, width + titleWidth);
    const double height =
        contentVerticalAlignment() == ContentVerticalAlignment::Fill ? content.height() : image.height;
    return shifted(gfx::Rect(x, placeVertically(contentVerticalAlignment(), content, height), width, height),
                   imageInsets_);
}

gfx::Rect Button::titleRectForContentRect(gfx::Rect content) const {
    const gfx::Size title = titleSize();
    const double imageWidth = std::min(imageSize().width, content.width());
    if (title.width <= 0) {
        return shifted(gfx::Rect(content.midX(), content.midY(), 0, 0), titleInsets_);
    }
    double width = std::min(title.width, content.width() - imageWidth);
    const double left = placeHorizontally(contentHorizontalAlignment(), content, imageWidth + width);
    if (contentHorizontalAlignment() == ContentHorizontalAlignment::Fill) {
        width = content.width() - imageWidth;
    }
    const double height =
        contentVerticalAlignment() == ContentVerticalAlignment::Fill ? content.height() : title.height;
    return shifted(gfx::Rect(left + imageWidth, placeVertically(contentVerticalAlignment(), content, height),
                             std::max(0.0, width), height),
                   titleInsets_);
}

gfx::Size Button::sizeThatFits(gfx::Size) const {
    if (isGlyphType(type_)) {
        return glyphSize(type_);
    }
    const gfx::Size title = titleSize();
    const gfx::Size image = imageSize();
    gfx::Size size{title.width + image.width, std::max(title.height, image.height)};
    if (size.width == 0 && size.height == 0) {
        if (const auto background = currentBackgroundImage()) {
            size = background->size();
        }
    }
    size.width += contentInsets_.left + contentInsets_.right;
    size.height += contentInsets_.top + contentInsets_.bottom;
    return size;
}

void Button::layoutSubviews() {
    const gfx::Rect content = contentRectForBounds(bounds());
    imageView_->setFrame(imageRectForContentRect(content));
    titleLabel_->setFrame(titleRectForContentRect(content));
    titleLabel_->setTextAlignment(contentHorizontalAlignment() == ContentHorizontalAlignment::Right
                                      ? TextAlignment::Right
                                      : (contentHorizontalAlignment() == ContentHorizontalAlignment::Center
                                             ? TextAlignment::Center
                                             : TextAlignment::Left));
}

void Button::drawGlyph(gfx::Context& ctx) const {
    const gfx::Rect b = bounds();
    const double diameter = std::min(b.width(), b.height()) - 2;
    if (diameter <= 0) {
        return;
    }
    const gfx::Point centre{b.midX(), b.midY()};
    const char* symbol = "i";
    gfx::Color fill = gfx::Color(0.15, 0.4, 0.85, 1);
    gfx::Color ink = gfx::Color::white();
    switch (type_) {
    case ButtonType::DetailDisclosure:
        symbol = ">";
        break;
    case ButtonType::ContactAdd:
        symbol = "+";
        break;
    case ButtonType::InfoLight:
        fill = gfx::Color::white();
        ink = gfx::Color::darkGray();
        break;
    case ButtonType::InfoDark:
        fill = gfx::Color::darkGray();
        break;
    case ButtonType::Custom:
    case ButtonType::RoundedRect:
        return;
    }
    if (isHighlighted()) {
        fill = gfx::Color(fill.r * 0.7, fill.g * 0.7, fill.b * 0.7, 1);
    }
    ctx.setFillColor(fill);
    ctx.beginPath();
    ctx.addArc(centre, diameter / 2, 0, 2 * M_PI, gfx::Clockwise::No);
    ctx.fillPath();
    const auto font = gfx::Font::boldSystemFontOfSize(std::floor(diameter * 0.7));
    const gfx::Size size = gfx::sizeWithFont(symbol, font);
    ctx.setFillColor(ink);
    gfx::drawAtPoint(symbol, gfx::Point{centre.x - size.width / 2, centre.y - size.height / 2}, font);
}

void Button::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    if (const auto background = currentBackgroundImage()) {
        background->drawInRect(b);
    } else if (type_ == ButtonType::RoundedRect) {
        ctx->setFillColor(isHighlighted() ? gfx::Color(0.1, 0.4, 0.9, 1) : gfx::Color::white());
        ctx->setStrokeColor(gfx::Color::white(0.6, 1));
        ctx->setLineWidth(1);
        ctx->beginPath();
        ctx->addRoundedRect(b.insetBy(0.5, 0.5), kRoundedRectRadius);
        ctx->fillPath();
        ctx->beginPath();
        ctx->addRoundedRect(b.insetBy(0.5, 0.5), kRoundedRectRadius);
        ctx->strokePath();
    }
    drawGlyph(*ctx);
}

} // namespace ui
