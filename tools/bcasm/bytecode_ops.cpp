// Opcode table of the game bytecode (mnemonics and operand layouts) and the width families used by
// the assembler's generic mnemonics.
#include "tools/bcasm/bytecode_ops.h"

#include <array>

namespace zelvan {
namespace {

using K = OperandKind;

constexpr std::array<OpInfo, kLastOpcode + 1> kOps = {{
    {0, "stop", K::None},
    {1, "pop", K::None},
    {2, "jumpifkeep8", K::Rel8},
    {3, "jumpifnotkeep8", K::Rel8},
    {4, "notin", K::None},
    {5, "in", K::None},
    {6, "neg", K::None},
    {7, "not", K::None},
    {8, "mul", K::None},
    {9, "div", K::None},
    {10, "mod", K::None},
    {11, "add", K::None},
    {12, "sub", K::None},
    {13, "getitem", K::None},
    {14, "shl", K::None},
    {15, "shr", K::None},
    {16, "and", K::None},
    {17, "or", K::None},
    {18, "xor", K::None},
    {19, "copy", K::None},
    {20, "slicefrom", K::None},
    {21, "sliceto", K::None},
    {22, "slice", K::None},
    {23, "print", K::Int8},
    {24, "ret", K::None},
    {25, "jumpifkeep16", K::Rel16},
    {26, "jumpifnotkeep16", K::Rel16},
    {27, "store16", K::Var16},
    {28, "clear16", K::Var16},
    {29, "unpack", K::Int16},
    {30, "nop", K::None},
    {31, "push32", K::Int32},
    {32, "load16", K::Var16},
    {33, "mkarray", K::Int16},
    {34, "bytes", K::Bytes16},
    {35, "jump16", K::Rel16},
    {36, "jumpif16", K::Rel16},
    {37, "jumpifnot16", K::Rel16},
    {38, "jump8", K::Rel8},
    {39, "push16", K::Int16},
    {40, "lt", K::None},
    {41, "gt", K::None},
    {42, "le", K::None},
    {43, "ge", K::None},
    {44, "eq", K::None},
    {45, "ne", K::None},
    {46, "native", K::Native},
    {47, "call", K::Int8},
    {48, "push8", K::Int8},
    {49, "jumpif8", K::Rel8},
    {50, "jumpifnot8", K::Rel8},
    {51, "setitem", K::None},
    {52, "func16", K::Rel16},
    {53, "func8", K::Rel8},
    {54, "load8", K::Var8},
    {55, "store8", K::Var8},
    {56, "clear8", K::Var8},
    {57, "skipz", K::None},
    {58, "inc", K::Var8},
}};

constexpr std::array<OpFamily, 10> kFamilies = {{
    {"jump", 38, 35, -1},
    {"jumpif", 49, 36, -1},
    {"jumpifnot", 50, 37, -1},
    {"jumpifkeep", 2, 25, -1},
    {"jumpifnotkeep", 3, 26, -1},
    {"func", 53, 52, -1},
    {"push", 48, 39, 31},
    {"load", 54, 32, -1},
    {"store", 55, 27, -1},
    {"clear", 56, 28, -1},
}};

} // namespace

std::span<const OpInfo> opcodeTable() {
    return kOps;
}

const OpInfo* findMnemonic(std::string_view mnemonic) {
    for (const auto& op : kOps) {
        if (op.mnemonic == mnemonic) {
            return &op;
        }
    }
    return nullptr;
}

const OpFamily* findFamily(std::string_view mnemonic) {
    for (const auto& family : kFamilies) {
        if (family.mnemonic == mnemonic) {
            return &family;
        }
    }
    return nullptr;
}

const OpFamily* familyOfOpcode(int opcode) {
    for (const auto& family : kFamilies) {
        if (family.narrow == opcode || family.wide == opcode || family.widest == opcode) {
            return &family;
        }
    }
    return nullptr;
}

int operandSize(OperandKind kind) {
    switch (kind) {
    case K::None:
        return 0;
    case K::Int8:
    case K::Var8:
    case K::Rel8:
        return 1;
    case K::Int16:
    case K::Var16:
    case K::Rel16:
    case K::Native:
    case K::Bytes16:
        return 2;
    case K::Int32:
        return 4;
    }
    return 0;
}

} // namespace zelvan
