// The game bytecode's instruction set as the assembler and disassembler see it: the engine's opcode
// table (games/engine/opcodes.h) looked up by mnemonic, plus the mnemonic families that pick the narrowest form.
#pragma once

#include <span>
#include <string_view>

#include "games/engine/opcodes.h"

namespace zelvan {

// Rows for opcodes 0 to kLastOpcode, indexed by opcode.
std::span<const OpInfo> opcodeTable();

// The row of an exact (fixed-width) mnemonic.
const OpInfo* findMnemonic(std::string_view mnemonic);

// A mnemonic that stands for several widths of one operation; the assembler picks the narrowest
// form whose operand fits (for label operands: the shortest that reaches, found by relaxation).
struct OpFamily {
    std::string_view mnemonic;
    int narrow = -1; // 8-bit operand form
    int wide = -1;   // 16-bit operand form
    int widest = -1; // 32-bit operand form, or -1
};

// Every family, for the assembler's lookups and the table checks.
std::span<const OpFamily> opcodeFamilies();

const OpFamily* findFamily(std::string_view mnemonic);

// The family an opcode belongs to, if any.
const OpFamily* familyOfOpcode(int opcode);

} // namespace zelvan
