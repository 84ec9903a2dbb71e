// Fontconfig lookup of the DejaVu Sans files, done once per process.
#include "platform/graphics/font_files.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <string_view>

#include "platform/foundation/log.h"

namespace gfx {
namespace {

constexpr std::string_view kFallbackDir = "/usr/share/fonts/truetype/dejavu/";

// The file fontconfig matches for the pattern, when the match really is DejaVu Sans.
std::string matchFile(FcConfig* config, const char* pattern) {
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (!pat) {
        return {};
    }
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pat, &result);
    FcPatternDestroy(pat);
    std::string path;
    if (match) {
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
            std::string_view(reinterpret_cast<const char*>(family)) == "DejaVu Sans" &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            path = reinterpret_cast<const char*>(file);
        }
        FcPatternDestroy(match);
    }
    return path;
}

struct Paths {
    std::string regular;
    std::string bold;
};

Paths findPaths() {
    Paths p;
    // A private configuration, released after the lookup, keeps no fontconfig state in the process.
    if (FcConfig* config = FcInitLoadConfigAndFonts()) {
        p.regular = matchFile(config, "DejaVu Sans:style=Book");
        p.bold = matchFile(config, "DejaVu Sans:style=Bold");
        FcConfigDestroy(config);
    }
    if (p.regular.empty()) {
        p.regular = std::string(kFallbackDir) + "DejaVuSans.ttf";
        ZLOG(Info, "gfx: fontconfig has no DejaVu Sans; using %s", p.regular);
    }
    if (p.bold.empty()) {
        p.bold = std::string(kFallbackDir) + "DejaVuSans-Bold.ttf";
        ZLOG(Info, "gfx: fontconfig has no DejaVu Sans Bold; using %s", p.bold);
    }
    return p;
}

} // namespace

const std::string& fontFilePath(FontFace face) {
    static const Paths paths = findPaths();
    return face == FontFace::Bold ? paths.bold : paths.regular;
}

} // namespace gfx
