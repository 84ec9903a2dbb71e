// The scheme's values, each kind in one table: fonts sized for a 320 x 480 screen (bold where a
// title or name needs weight) and colours of a light blue-grey theme.
#include "core/zelvan_style.h"

#include <cctype>
#include <cstdint>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace zelvan {
namespace {

struct FontEntry {
    double size;
    bool bold;
};

// Font numbers 1 to 14, with what each is used for.
constexpr std::array<FontEntry, ZelvanStyle::kFontCount> kFonts = {{
    {16, true},  // 1: names in list rows
    {13, false}, // 2: second lines of list rows (status, role)
    {11, false}, // 3: times in list rows
    {15, true},  // 4: list bar titles
    {12, false}, // 5: small captions
    {15, false}, // 6: chat messages
    {15, true},  // 7: administrators' names in chat lines
    {13, false}, // 8: system lines of a chat
    {18, true},  // 9: large action buttons
    {17, false}, // 10: plain labels
    {16, false}, // 11: menu rows and centred action rows
    {20, true},  // 12: screen titles
    {10, false}, // 13: badges and footnotes
    {14, false}, // 14: information rows
}};

constexpr FontEntry kTableCellFont = {17, false};

enum class Slot {
    ChatMessage,
    SystemMessage,
    SystemHighlightMessage,
    ViewBackground,
    AvatarBorder,
    ImCellBackground,
    LabelText,
    NavigationBarTint,
    TableViewSeparator,
    TableViewBackground,
    Count
};

// 0xRRGGBB of each named colour, in Slot order; all opaque.
constexpr std::array<uint32_t, static_cast<size_t>(Slot::Count)> kColors = {
    0x1a1a1a, // chat messages: near black
    0x7f7f7f, // system lines: grey
    0xd46a00, // highlighted system lines (entries, joins): orange
    0xedf1f5, // view background: light blue-grey
    0xc8ccd2, // avatar borders: silver
    0xffffff, // messenger cells: white
    0x333333, // labels: dark grey
    0x2e5c8a, // navigation bars: steel blue
    0xd9dde2, // table separators: pale grey
    0xedf1f5, // table background: as the views
};

gfx::Color colorOf(Slot slot) {
    return gfx::Color::fromRgbHex(kColors[static_cast<size_t>(slot)]);
}

std::shared_ptr<gfx::Font> makeFont(FontEntry entry) {
    return entry.bold ? gfx::Font::boldSystemFontOfSize(entry.size) : gfx::Font::systemFontOfSize(entry.size);
}

} // namespace

const std::shared_ptr<ZelvanStyle>& ZelvanStyle::shared() {
    static const std::shared_ptr<ZelvanStyle> style = std::make_shared<ZelvanStyle>();
    return style;
}

ZelvanStyle::ZelvanStyle()
    : tableCellFont_(makeFont(kTableCellFont)),
      fallbackFont_(gfx::Font::systemFontOfSize(gfx::Font::systemFontSize())) {
    for (size_t i = 0; i < kFonts.size(); ++i) {
        fonts_[i] = makeFont(kFonts[i]);
    }
}

std::shared_ptr<gfx::Font> ZelvanStyle::font(int number) const {
    if (number >= 1 && number <= kFontCount) {
        return fonts_[static_cast<size_t>(number - 1)];
    }
    std::lock_guard lock(mutex_);
    if (reportedFonts_.insert(number).second) {
        ZLOG(Warn, "ZelvanStyle: no font number %d; using the system font", number);
    }
    return fallbackFont_;
}

std::shared_ptr<gfx::Font> ZelvanStyle::tableCellFont() const {
    return tableCellFont_;
}

gfx::Color ZelvanStyle::chatMessageColor() const {
    return colorOf(Slot::ChatMessage);
}
gfx::Color ZelvanStyle::systemMessageColor() const {
    return colorOf(Slot::SystemMessage);
}
gfx::Color ZelvanStyle::systemHighlightMessageColor() const {
    return colorOf(Slot::SystemHighlightMessage);
}
gfx::Color ZelvanStyle::viewBackgroundColor() const {
    return colorOf(Slot::ViewBackground);
}
gfx::Color ZelvanStyle::avatarBorderColor() const {
    return colorOf(Slot::AvatarBorder);
}
gfx::Color ZelvanStyle::imCellBackgroundColor() const {
    return colorOf(Slot::ImCellBackground);
}
gfx::Color ZelvanStyle::labelTextColor() const {
    return colorOf(Slot::LabelText);
}
gfx::Color ZelvanStyle::navigationBarTintColor() const {
    return colorOf(Slot::NavigationBarTint);
}
gfx::Color ZelvanStyle::tableViewSeparatorColor() const {
    return colorOf(Slot::TableViewSeparator);
}
gfx::Color ZelvanStyle::tableViewBackgroundColor() const {
    return colorOf(Slot::TableViewBackground);
}

std::optional<gfx::Color> ZelvanStyle::colorFromWebString(std::string_view text) {
    std::string_view digits = text;
    bool hash = digits.starts_with('#');
    if (hash) {
        digits.remove_prefix(1);
    }
    bool wellFormed = digits.size() == 6 || (hash && digits.size() == 3);
    for (char c : digits) {
        wellFormed = wellFormed && std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
    if (!wellFormed) {
        ZLOG(Warn, "ZelvanStyle: \"%@\" is not a web colour", fnd::logPreview(text));
        return std::nullopt;
    }
    uint32_t rgb = 0;
    for (char c : digits) {
        uint32_t d =
            static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10);
        // "#RGB" doubles each digit: #f80 is #ff8800.
        rgb = digits.size() == 3 ? (rgb << 8) | (d << 4) | d : (rgb << 4) | d;
    }
    return gfx::Color::fromRgbHex(rgb);
}

} // namespace zelvan
