// The game bytecode's instruction set, defined once: each opcode's number, mnemonic, operand layout and
// stack effect. The interpreter's dispatch, its load-time pass, the assembler and the disassembler are
// all built from the list below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelvan {

// How the bytes after an opcode are laid out (and written in the assembler's text form).
enum class OperandKind : uint8_t {
    None,
    Int8,    // signed 8-bit integer
    Int16,   // signed 16-bit integer
    Int32,   // 32-bit integer
    Var8,    // variable operand, 8 bits (n >= 0 global n, n < 0 local -n-1)
    Var16,   // variable operand, 16 bits
    Rel8,    // code offset relative to the end of the operand, 8 bits (jumps, function values)
    Rel16,   // the same with 16 bits
    Native,  // unsigned 8-bit native id, then signed 8-bit argument count
    Bytes16, // signed 16-bit length, then that many bytes
};

// Bytes taken by the operands of a kind (Bytes16 counts only its length field).
constexpr int operandSize(OperandKind kind) {
    switch (kind) {
    case OperandKind::None:
        return 0;
    case OperandKind::Int8:
    case OperandKind::Var8:
    case OperandKind::Rel8:
        return 1;
    case OperandKind::Int16:
    case OperandKind::Var16:
    case OperandKind::Rel16:
    case OperandKind::Native:
    case OperandKind::Bytes16:
        return 2;
    case OperandKind::Int32:
        return 4;
    }
    return 0;
}

// Stack-effect counts that are not fixed: taken from the operand (an argument or element count,
// with a negative count meaning a spread array), or decided by the values met at run time.
inline constexpr int8_t kCountFromOperand = -1;
inline constexpr int8_t kCountFromValues = -2;

// X(number, Name, "mnemonic", operand kind, values popped, values pushed), in opcode order.
// Conditional "keep" jumps look at the top value and leave it; `call` leaves the caller's locals
// (as an array) and the return offset for `ret`, which pops them with the result and pushes the
// result back (with at most one value on the stack `ret` ends the run instead).
// clang-format off
#define ZELVAN_OPCODES(X)                                                     \
    X(0,  Stop,            "stop",            None,    0, 0)                  \
    X(1,  Pop,             "pop",             None,    1, 0)                  \
    X(2,  JumpIfKeep8,     "jumpifkeep8",     Rel8,    1, 1)                  \
    X(3,  JumpIfNotKeep8,  "jumpifnotkeep8",  Rel8,    1, 1)                  \
    X(4,  NotIn,           "notin",           None,    2, 1)                  \
    X(5,  In,              "in",              None,    2, 1)                  \
    X(6,  Neg,             "neg",             None,    1, kCountFromValues)   \
    X(7,  Not,             "not",             None,    1, 1)                  \
    X(8,  Mul,             "mul",             None,    2, 1)                  \
    X(9,  Div,             "div",             None,    2, 1)                  \
    X(10, Mod,             "mod",             None,    2, 1)                  \
    X(11, Add,             "add",             None,    2, kCountFromValues)   \
    X(12, Sub,             "sub",             None,    2, 1)                  \
    X(13, GetItem,         "getitem",         None,    2, 1)                  \
    X(14, Shl,             "shl",             None,    2, 1)                  \
    X(15, Shr,             "shr",             None,    2, 1)                  \
    X(16, And,             "and",             None,    2, 1)                  \
    X(17, Or,              "or",              None,    2, 1)                  \
    X(18, Xor,             "xor",             None,    2, 1)                  \
    X(19, Copy,            "copy",            None,    1, kCountFromValues)   \
    X(20, SliceFrom,       "slicefrom",       None,    2, 1)                  \
    X(21, SliceTo,         "sliceto",         None,    2, 1)                  \
    X(22, Slice,           "slice",           None,    3, 1)                  \
    X(23, Print,           "print",           Int8,    kCountFromOperand, 0)  \
    X(24, Ret,             "ret",             None,    3, 1)                  \
    X(25, JumpIfKeep16,    "jumpifkeep16",    Rel16,   1, 1)                  \
    X(26, JumpIfNotKeep16, "jumpifnotkeep16", Rel16,   1, 1)                  \
    X(27, Store16,         "store16",         Var16,   1, 0)                  \
    X(28, Clear16,         "clear16",         Var16,   0, 0)                  \
    X(29, Unpack,          "unpack",          Int16,   1, kCountFromOperand)  \
    X(30, Nop,             "nop",             None,    0, 0)                  \
    X(31, Push32,          "push32",          Int32,   0, 1)                  \
    X(32, Load16,          "load16",          Var16,   0, 1)                  \
    X(33, MkArray,         "mkarray",         Int16,   kCountFromOperand, 1)  \
    X(34, Bytes,           "bytes",           Bytes16, 0, 1)                  \
    X(35, Jump16,          "jump16",          Rel16,   0, 0)                  \
    X(36, JumpIf16,        "jumpif16",        Rel16,   1, 0)                  \
    X(37, JumpIfNot16,     "jumpifnot16",     Rel16,   1, 0)                  \
    X(38, Jump8,           "jump8",           Rel8,    0, 0)                  \
    X(39, Push16,          "push16",          Int16,   0, 1)                  \
    X(40, Lt,              "lt",              None,    2, 1)                  \
    X(41, Gt,              "gt",              None,    2, 1)                  \
    X(42, Le,              "le",              None,    2, 1)                  \
    X(43, Ge,              "ge",              None,    2, 1)                  \
    X(44, Eq,              "eq",              None,    2, 1)                  \
    X(45, Ne,              "ne",              None,    2, 1)                  \
    X(46, Native,          "native",          Native,  kCountFromOperand, 1)  \
    X(47, Call,            "call",            Int8,    kCountFromOperand, 2)  \
    X(48, Push8,           "push8",           Int8,    0, 1)                  \
    X(49, JumpIf8,         "jumpif8",         Rel8,    1, 0)                  \
    X(50, JumpIfNot8,      "jumpifnot8",      Rel8,    1, 0)                  \
    X(51, SetItem,         "setitem",         None,    3, 0)                  \
    X(52, Func16,          "func16",          Rel16,   0, 1)                  \
    X(53, Func8,           "func8",           Rel8,    0, 1)                  \
    X(54, Load8,           "load8",           Var8,    0, 1)                  \
    X(55, Store8,          "store8",          Var8,    1, 0)                  \
    X(56, Clear8,          "clear8",          Var8,    0, 0)                  \
    X(57, SkipZ,           "skipz",           None,    0, 0)                  \
    X(58, Inc,             "inc",             Var8,    0, 0)
// clang-format on

enum class Op : uint8_t {
#define ZELVAN_OPCODE_ENUM(number, name, mnemonic, kind, pops, pushes) name = number,
    ZELVAN_OPCODES(ZELVAN_OPCODE_ENUM)
#undef ZELVAN_OPCODE_ENUM
};

struct OpInfo {
    int opcode = 0;
    std::string_view mnemonic;
    OperandKind operand = OperandKind::None;
    int8_t pops = 0;   // or kCountFromOperand / kCountFromValues
    int8_t pushes = 0; // likewise
};

// One row per opcode, indexed by opcode.
inline constexpr OpInfo kOpcodes[] = {
#define ZELVAN_OPCODE_ROW(number, name, mnemonic, kind, pops, pushes)                                                  \
    {number, mnemonic, OperandKind::kind, pops, pushes},
    ZELVAN_OPCODES(ZELVAN_OPCODE_ROW)
#undef ZELVAN_OPCODE_ROW
};

// The highest defined opcode; every byte above it is an undefined instruction, skipped as one byte.
inline constexpr int kLastOpcode = static_cast<int>(std::size(kOpcodes)) - 1;

constexpr bool rowsFollowOpcodeOrder() {
    for (size_t i = 0; i < std::size(kOpcodes); ++i) {
        if (kOpcodes[i].opcode != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(rowsFollowOpcodeOrder(), "opcode rows must be listed by number with no gaps");

constexpr const OpInfo& opInfo(Op op) {
    return kOpcodes[static_cast<size_t>(op)];
}

// Operand bytes after `op`.
constexpr int operandBytes(Op op) {
    return operandSize(opInfo(op).operand);
}

} // namespace zelvan
