// Command-line front end of the bytecode assembler: `bcasm in.zsa -o out.img` assembles a source
// file, `bcasm -d image` prints the disassembly of an image.
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

int usage() {
    std::fprintf(stderr, "usage: bcasm <source.zsa> [-o <image>]\n       bcasm -d <image>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "-d") {
        std::vector<uint8_t> image;
        if (!readAll(args[1], image)) {
            std::fprintf(stderr, "bcasm: cannot read %s\n", args[1].c_str());
            return 1;
        }
        std::fputs(zelvan::Disassembler::disassemble(image).c_str(), stdout);
        return 0;
    }
    std::string input;
    std::string output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            output = args[++i];
        } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
            input = args[i];
        } else {
            return usage();
        }
    }
    if (input.empty()) {
        return usage();
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
