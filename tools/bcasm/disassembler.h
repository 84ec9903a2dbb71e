// Bytecode-to-text disassembler for game scripts: entry records, then one instruction per line with
// its offset; whatever cannot be decoded is shown as raw data, so the text always assembles back to
// the same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zelvan {

class Disassembler {
public:
    // The assembler source of an image (any bytes at all). Jump and function targets that land on
    // a decoded instruction become labels "at<offset>"; others stay raw offsets.
    static std::string disassemble(std::span<const uint8_t> image);
};

} // namespace zelvan
