// The application's colour and font scheme: numbered fonts for the messenger and game screens, the
// named colours of lists, chat lines and bars, and colours read from web colour strings.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"

namespace zelvan {

class ZelvanStyle {
public:
    static constexpr int kFontCount = 14;

    // The instance the application hands out.
    static const std::shared_ptr<ZelvanStyle>& shared();

    ZelvanStyle();

    // Font number 1 to 14 of the scheme; any other number gives the system font at 14 (logged once
    // per number).
    std::shared_ptr<gfx::Font> font(int number) const;
    std::shared_ptr<gfx::Font> tableCellFont() const;

    gfx::Color chatMessageColor() const;
    gfx::Color systemMessageColor() const;
    gfx::Color systemHighlightMessageColor() const;
    gfx::Color viewBackgroundColor() const;
    gfx::Color avatarBorderColor() const;
    gfx::Color imCellBackgroundColor() const;
    gfx::Color labelTextColor() const;
    gfx::Color navigationBarTintColor() const;
    gfx::Color tableViewSeparatorColor() const;
    gfx::Color tableViewBackgroundColor() const;

    // An opaque colour from "#RRGGBB", "RRGGBB" or "#RGB" (hex digits in either case); nullopt (and a
    // log line) for anything else.
    static std::optional<gfx::Color> colorFromWebString(std::string_view text);

private:
    std::array<std::shared_ptr<gfx::Font>, kFontCount> fonts_;
    std::shared_ptr<gfx::Font> tableCellFont_;
    std::shared_ptr<gfx::Font> fallbackFont_;
    mutable std::mutex mutex_;
    mutable std::set<int> reportedFonts_;
};

} // namespace zelvan
