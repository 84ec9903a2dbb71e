// Fonts as product code names them, mapped onto the DejaVu Sans faces, with the metrics that text
// layout and drawing use. Fonts are immutable values shared through shared_ptr, safe from any thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace gfx {

// The font file a font draws with.
enum class FontFace { Regular, Bold };

class Font {
public:
    // The font for a name product code passes ("Helvetica", "Arial-BoldMT", ...), or null when the
    // name is unknown. A size that is negative or not finite is taken as 0.
    static std::shared_ptr<Font> withName(std::string_view name, double size);
    static std::shared_ptr<Font> systemFontOfSize(double size);
    static std::shared_ptr<Font> boldSystemFontOfSize(double size);

    static constexpr double systemFontSize() { return 14; }
    static constexpr double labelFontSize() { return 17; }
    static constexpr double buttonFontSize() { return 18; }

    double pointSize() const { return pointSize_; }
    // The name the font was asked for (system fonts report "Helvetica" and "Helvetica-Bold").
    const std::string& fontName() const { return fontName_; }
    // The family of that name ("Helvetica", "Arial", "Verdana").
    const std::string& familyName() const { return familyName_; }
    bool isBold() const { return face_ == FontFace::Bold; }
    // Drawn with a synthetic slant; advances are those of the upright face.
    bool isOblique() const { return oblique_; }
    FontFace face() const { return face_; }

    // Metrics in points from the installed text metrics (backends.h): the ascender above the
    // baseline (positive), the descender (negative, below the baseline) and the line height.
    double ascender() const;
    double descender() const;
    double lineHeight() const;

    // The same font at another size.
    std::shared_ptr<Font> fontWithSize(double size) const;

    Font(std::string name, std::string family, FontFace face, bool oblique, double size);

private:
    std::string fontName_;
    std::string familyName_;
    FontFace face_;
    bool oblique_;
    double pointSize_;
};

} // namespace gfx
