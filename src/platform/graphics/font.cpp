// Font names mapped onto the two DejaVu Sans faces; metrics come from the installed TextMetrics.
#include "platform/graphics/font.h"

#include <cmath>
#include <utility>

#include "platform/graphics/backends.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

struct NameEntry {
    std::string_view name;
    std::string_view family;
    FontFace face;
    bool oblique;
};

constexpr NameEntry kNames[] = {
    {"Helvetica", "Helvetica", FontFace::Regular, false},   {"Arial", "Arial", FontFace::Regular, false},
    {"ArialMT", "Arial", FontFace::Regular, false},         {"Verdana", "Verdana", FontFace::Regular, false},
    {"Helvetica-Bold", "Helvetica", FontFace::Bold, false}, {"Arial-BoldMT", "Arial", FontFace::Bold, false},
    {"Verdana-Bold", "Verdana", FontFace::Bold, false},     {"Helvetica-Oblique", "Helvetica", FontFace::Regular, true},
    {"Arial-ItalicMT", "Arial", FontFace::Regular, true},
};

double saneSize(double size) {
    return std::isfinite(size) && size > 0 ? size : 0;
}

} // namespace

Font::Font(std::string name, std::string family, FontFace face, bool oblique, double size)
    : fontName_(std::move(name)), familyName_(std::move(family)), face_(face), oblique_(oblique),
      pointSize_(saneSize(size)) {}

std::shared_ptr<Font> Font::withName(std::string_view name, double size) {
    for (const NameEntry& e : kNames) {
        if (e.name == name) {
            return std::make_shared<Font>(std::string(e.name), std::string(e.family), e.face, e.oblique, size);
        }
    }
    return nullptr;
}

std::shared_ptr<Font> Font::systemFontOfSize(double size) {
    return withName("Helvetica", size);
}

std::shared_ptr<Font> Font::boldSystemFontOfSize(double size) {
    return withName("Helvetica-Bold", size);
}

std::shared_ptr<Font> Font::fontWithSize(double size) const {
    return std::make_shared<Font>(fontName_, familyName_, face_, oblique_, size);
}

double Font::ascender() const {
    return textMetrics()->ascender(*this);
}

double Font::descender() const {
    return textMetrics()->descender(*this);
}

double Font::lineHeight() const {
    return textMetrics()->lineHeight(*this);
}

} // namespace gfx
