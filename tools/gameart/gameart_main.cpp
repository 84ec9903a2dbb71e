// zelvan-gameart <game folder>: writes the demo game's generated resources (its sprite archive, its
// bitmap font and its chime, three rising tones) under <game folder>/resources/, at the keys of
// demo_art.h. The output is the same on every run.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/foundation/file_io.h"
#include "tools/artgen/sound_art.h"
#include "tools/gameart/demo_art.h"

namespace {

bool writeResource(const std::filesystem::path& folder, std::string_view key, const fnd::Bytes& bytes) {
    const std::filesystem::path path = folder / "resources" / key;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec || !fnd::writeFile(path.string(), bytes)) {
        std::fprintf(stderr, "zelvan-gameart: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelvan::gameart;
    std::string gameFolder;
    CLI::App cli{"Writes the demo game's generated resources under <folder>/resources/.", "zelvan-gameart"};
    cli.add_option("folder", gameFolder, "the game folder")->required();
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    const std::filesystem::path folder = gameFolder;
    bool ok = writeResource(folder, kDemoSpritesKey, demoSpriteArchive());
    ok = writeResource(folder, kDemoFontKey, demoFont()) && ok;
    ok = writeResource(folder, kDemoSoundKey, zelvan::artgen::toneSequenceWav({660.0, 880.0, 1320.0}, 80)) && ok;
    return ok ? 0 : 1;
}
