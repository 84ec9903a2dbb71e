// FreeTypeMetrics: unhinted linear advances and hhea vertical metrics of the DejaVu Sans faces,
// with a locked per-face cache of design-unit advances.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <unordered_map>

#include "platform/foundation/log.h"
#include "platform/graphics/font_files.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {

struct FreeTypeMetrics::FaceData {
    FT_Face face = nullptr;
    double unitsPerEm = 2048;
    double ascender = 0;  // design units, from hhea
    double descender = 0; // design units, negative
    double lineGap = 0;
    // Design-unit advances: ASCII in a table (negative = not loaded yet), the rest in a bounded map.
    std::array<double, 128> ascii;
    std::unordered_map<char32_t, double> other;
};

namespace {

constexpr size_t kMaxCachedCodePoints = 8192;

// Design-unit advance of the code point (the notdef glyph's when the face lacks it), 0 on error.
double loadAdvance(FT_Face face, char32_t c) {
    const FT_UInt glyph = FT_Get_Char_Index(face, c);
    FT_Fixed advance = 0;
    if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP, &advance) != 0) {
        return 0;
    }
    return static_cast<double>(advance);
}

} // namespace

FreeTypeMetrics::FreeTypeMetrics() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        ZLOG(Error, "gfx: FreeType failed to start; text measures as synthetic");
        library = nullptr;
    }
    library_ = library;
    for (FontFace which : {FontFace::Regular, FontFace::Bold}) {
        auto data = std::make_unique<FaceData>();
        data->ascii.fill(-1);
        const std::string& path = fontFilePath(which);
        if (library && FT_New_Face(library, path.c_str(), 0, &data->face) == 0) {
            data->unitsPerEm = data->face->units_per_EM > 0 ? data->face->units_per_EM : 2048;
            const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(data->face, FT_SFNT_HHEA));
            if (hhea) {
                data->ascender = hhea->Ascender;
                data->descender = hhea->Descender;
                data->lineGap = hhea->Line_Gap;
            } else {
                data->ascender = data->face->ascender;
                data->descender = data->face->descender;
                data->lineGap = data->face->height - (data->face->ascender - data->face->descender);
            }
        } else {
            data->face = nullptr;
            ZLOG(Warn, "gfx: cannot open font file %s; text measures as synthetic", path);
        }
        faces_[static_cast<int>(which)] = std::move(data);
    }
}

FreeTypeMetrics::~FreeTypeMetrics() {
    for (auto& data : faces_) {
        if (data && data->face) {
            FT_Done_Face(data->face);
        }
    }
    if (library_) {
        FT_Done_FreeType(static_cast<FT_Library>(library_));
    }
}

FreeTypeMetrics::FaceData& FreeTypeMetrics::face(const Font& font) const {
    return *faces_[static_cast<int>(font.face())];
}

void FreeTypeMetrics::advances(const Font& font, std::u32string_view text, std::span<double> out) const {
    FaceData& data = face(font);
    if (!data.face) {
        SyntheticMetrics().advances(font, text, out);
        return;
    }
    const double scale = font.pointSize() / data.unitsPerEm;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < text.size() && i < out.size(); ++i) {
        const char32_t c = text[i];
        double units;
        if (c < 128) {
            units = data.ascii[c];
            if (units < 0) {
                units = data.ascii[c] = loadAdvance(data.face, c);
            }
        } else if (auto it = data.other.find(c); it != data.other.end()) {
            units = it->second;
        } else {
            units = loadAdvance(data.face, c);
            if (data.other.size() >= kMaxCachedCodePoints) {
                data.other.clear();
            }
            data.other.emplace(c, units);
        }
        out[i] = units * scale;
    }
}

double FreeTypeMetrics::ascender(const Font& font) const {
    const FaceData& data = face(font);
    if (!data.face) {
        return SyntheticMetrics().ascender(font);
    }
    return data.ascender * font.pointSize() / data.unitsPerEm;
}

double FreeTypeMetrics::descender(const Font& font) const {
    const FaceData& data = face(font);
    if (!data.face) {
        return SyntheticMetrics().descender(font);
    }
    return data.descender * font.pointSize() / data.unitsPerEm;
}

double FreeTypeMetrics::lineHeight(const Font& font) const {
    const FaceData& data = face(font);
    if (!data.face) {
        return SyntheticMetrics().lineHeight(font);
    }
    return ceilPoints((data.ascender - data.descender + data.lineGap) * font.pointSize() / data.unitsPerEm);
}

} // namespace gfx
