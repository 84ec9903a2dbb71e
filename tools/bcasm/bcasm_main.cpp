// Command-line front end of the bytecode assembler: `bcasm in.zsa -o out.img` assembles a source
// file, `bcasm -d image` prints the disassembly of an image.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bcasm/assembler.h"
#include "tools/bcasm/disassembler.h"

namespace {

bool readAll(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv) {
    std::string input;
    std::string output;
    std::string disassemble;
    CLI::App cli{"Assembles a game script source into an image, or prints an image's disassembly.", "bcasm"};
    auto* sourceOption = cli.add_option("source", input, "the source file (.zsa)");
    cli.add_option("-o", output, "the image to write (default: the source's name with .img)")->needs(sourceOption);
    cli.add_option("-d", disassemble, "print the disassembly of this image instead")->excludes(sourceOption);
    try {
        cli.parse(argc, argv);
        if (input.empty() && disassemble.empty()) {
            throw CLI::RequiredError("a source file or -d <image>");
        }
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    if (!disassemble.empty()) {
        std::vector<uint8_t> image;
        if (!readAll(disassemble, image)) {
            std::fprintf(stderr, "bcasm: cannot read %s\n", disassemble.c_str());
            return 1;
        }
        std::fputs(zelvan::Disassembler::disassemble(image).c_str(), stdout);
        return 0;
    }
    if (output.empty()) {
        output =
            input.size() > 4 && input.ends_with(".zsa") ? input.substr(0, input.size() - 4) + ".img" : input + ".img";
    }
    std::vector<uint8_t> source;
    if (!readAll(input, source)) {
        std::fprintf(stderr, "bcasm: cannot read %s\n", input.c_str());
        return 1;
    }
    zelvan::Assembler assembler;
    auto image = assembler.assemble(std::string_view(reinterpret_cast<const char*>(source.data()), source.size()));
    if (!image) {
        for (const auto& e : assembler.errors()) {
            std::fprintf(stderr, "%s:%d: error: %s\n", input.c_str(), e.line, e.message.c_str());
        }
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image->data()), static_cast<std::streamsize>(image->size()));
    if (!out) {
        std::fprintf(stderr, "bcasm: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
