// The game bytecode's instruction set as the assembler and disassembler see it: one row per opcode
// with its mnemonic and operand layout, plus the mnemonic families that pick the narrowest form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zelvan {

// How the bytes after an opcode are laid out and written in the text form.
enum class OperandKind : uint8_t {
    None,
    Int8,    // signed 8-bit integer
    Int16,   // signed 16-bit integer
    Int32,   // 32-bit integer
    Var8,    // variable operand, 8 bits (G<n>, L<n> or a raw number)
    Var16,   // variable operand, 16 bits
    Rel8,    // code offset relative to the end of the operand, 8 bits (jumps, function values)
    Rel16,   // the same with 16 bits
    Native,  // unsigned 8-bit native id, then signed 8-bit argument count
    Bytes16, // signed 16-bit length, then that many bytes
};

struct OpInfo {
    int opcode = 0;
    std::string_view mnemonic;
    OperandKind operand = OperandKind::None;
};

// The highest defined opcode; opcodes above it (and negative ones) are single-byte no-ops.
inline constexpr int kLastOpcode = 58;

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

const OpFamily* findFamily(std::string_view mnemonic);

// The family an opcode belongs to, if any.
const OpFamily* familyOfOpcode(int opcode);

// Bytes taken by the operands of a kind (Bytes16 counts only its length field).
int operandSize(OperandKind kind);

} // namespace zelvan
