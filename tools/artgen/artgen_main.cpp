// zelvan-artgen <out folder>: draws every bundle image of the art table and writes it as a PNG,
// together with IMAGES.md listing them, and writes the message alert sound. Output is byte-for-byte
// stable from run to run.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/foundation/file_io.h"
#include "tools/artgen/art_table.h"
#include "tools/artgen/image_list.h"
#include "tools/artgen/sound_art.h"

int main(int argc, char** argv) {
    using namespace zelvan::artgen;
    std::string folder;
    CLI::App cli{"Draws every bundle image and the message alert sound into a folder, with IMAGES.md.",
                 "zelvan-artgen"};
    cli.add_option("folder", folder, "the output folder")->required();
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    std::filesystem::path out = folder;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "zelvan-artgen: cannot create %s: %s\n", out.c_str(), ec.message().c_str());
        return 1;
    }
    int failures = 0;
    for (const ArtEntry& entry : artTable()) {
        fnd::Bytes png = renderArtPng(entry);
        std::string path = (out / artFileName(entry)).string();
        if (png.empty() || !fnd::writeFile(path, png)) {
            std::fprintf(stderr, "zelvan-artgen: could not write %s\n", path.c_str());
            ++failures;
        }
    }
    const std::string soundPath = (out / kMessageSoundFile).string();
    if (!fnd::writeFile(soundPath, messageSoundWav())) {
        std::fprintf(stderr, "zelvan-artgen: could not write %s\n", soundPath.c_str());
        ++failures;
    }
    std::string list = imageListMarkdown(artTable());
    std::string listPath = (out / "IMAGES.md").string();
    if (!fnd::writeFile(listPath, fnd::Bytes(list.begin(), list.end()))) {
        std::fprintf(stderr, "zelvan-artgen: could not write %s\n", listPath.c_str());
        ++failures;
    }
    std::printf("zelvan-artgen: %zu images written to %s\n", artTable().size(), out.c_str());
    return failures == 0 ? 0 : 1;
}
