// Text drawing: glyphs of the DejaVu faces through cairo-ft (unhinted), positioned by the advances of
// the installed TextMetrics, painted with the context's fill colour, alpha and shadow.
#include "platform/graphics/text_drawing.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/code_points.h"
#include "platform/graphics/font_files.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

// The slant of synthetic oblique faces: tan(12 degrees).
constexpr double kObliqueSlant = 0.2126;
constexpr double kMaxDrawnSize = 10000;

// The cairo faces for drawing. Their FreeType faces are cairo's alone (cairo locks them while it
// renders), separate from the measuring faces, and live for the whole process.
struct DrawingFaces {
    cairo_font_face_t* faces[2] = {nullptr, nullptr};

    DrawingFaces() {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) {
            ZLOG(Error, "gfx: FreeType failed to start; text is not drawn");
            return;
        }
        for (FontFace which : {FontFace::Regular, FontFace::Bold}) {
            FT_Face face = nullptr;
            const std::string& path = fontFilePath(which);
            if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
                ZLOG(Warn, "gfx: cannot open font file %s; its text is not drawn", path);
                continue;
            }
            faces[static_cast<int>(which)] =
                cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
        }
    }
};

cairo_font_face_t* drawingFace(FontFace face) {
    static DrawingFaces* const faces = new DrawingFaces(); // never destroyed: cairo may cache them
    return faces->faces[static_cast<int>(face)];
}

cairo_font_options_t* unhintedOptions() {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    return options;
}

// A positioned line: where its top-left lies and what it shows.
struct PlacedLine {
    Point origin;
    std::u32string text;
};

// Draws the lines into the current context, each baseline `ascender` below its origin.
void drawLines(const std::vector<PlacedLine>& lines, const Font& font, double ascender) {
    const std::shared_ptr<Context> context = getCurrentContext();
    // Glyphs beyond kMaxDrawnSize are not drawn: cairo's fixed-point coordinates cannot hold them.
    if (!context || !(font.pointSize() > 0 && font.pointSize() <= kMaxDrawnSize) || lines.empty()) {
        return;
    }
    cairo_font_face_t* face = drawingFace(font.face());
    if (!face) {
        return;
    }
    cairo_matrix_t fontMatrix;
    const double size = font.pointSize();
    cairo_matrix_init(&fontMatrix, size, 0, font.isOblique() ? -kObliqueSlant * size : 0, size, 0, 0);
    cairo_font_options_t* options = unhintedOptions();

    // Glyph indices come from cairo's face while it is locked; positions from the metrics.
    std::vector<cairo_glyph_t> glyphs;
    {
        cairo_matrix_t identity;
        cairo_matrix_init_identity(&identity);
        cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
        FT_Face ft = cairo_ft_scaled_font_lock_face(scaled);
        const auto metrics = textMetrics();
        for (const PlacedLine& line : lines) {
            std::vector<double> advances(line.text.size());
            metrics->advances(font, line.text, advances);
            double x = line.origin.x;
            for (size_t i = 0; i < line.text.size(); ++i) {
                const unsigned long index = ft ? FT_Get_Char_Index(ft, line.text[i]) : 0;
                glyphs.push_back(cairo_glyph_t{index, x, line.origin.y + ascender});
                x += advances[i];
            }
        }
        if (ft) {
            cairo_ft_scaled_font_unlock_face(scaled);
        }
        cairo_scaled_font_destroy(scaled);
    }
    if (!glyphs.empty()) {
        context->drawWithEffects([&](cairo_t* cr) {
            cairo_set_font_face(cr, face);
            cairo_set_font_matrix(cr, &fontMatrix);
            cairo_set_font_options(cr, options);
            cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        });
    }
    cairo_font_options_destroy(options);
}

} // namespace

Size drawAtPoint(std::string_view text, Point point, const std::shared_ptr<Font>& font) {
    const TextLayout layout = layoutSingleLine(text, font);
    if (!font) {
        return layout.size;
    }
    std::vector<PlacedLine> lines;
    for (const TextLine& line : layout.lines) {
        lines.push_back({point, codePointsOf(line.text)});
    }
    drawLines(lines, *font, layout.ascender);
    return layout.size;
}

Size drawInRect(std::string_view text, Rect rect, const std::shared_ptr<Font>& font, LineBreakMode mode,
                TextAlignment alignment) {
    const Rect r = rect.standardized();
    const TextLayout layout = layoutText(text, font, r.size, mode);
    if (!font) {
        return layout.size;
    }
    std::vector<PlacedLine> lines;
    double top = r.minY();
    for (const TextLine& line : layout.lines) {
        double x = r.minX();
        if (alignment == TextAlignment::Center) {
            x += (r.width() - line.width) / 2;
        } else if (alignment == TextAlignment::Right) {
            x = r.maxX() - line.width;
        }
        lines.push_back({Point{x, top}, codePointsOf(line.text)});
        top += layout.lineHeight;
    }
    drawLines(lines, *font, layout.ascender);
    return layout.size;
}

} // namespace gfx
