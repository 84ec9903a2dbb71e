// Mnemonic lookups over the engine's opcode table, and the width families used by the assembler's
// generic mnemonics.
#include "tools/bcasm/bytecode_ops.h"

#include <array>

namespace zelvan {
namespace {

constexpr int n(Op op) {
    return static_cast<int>(op);
}

constexpr std::array<OpFamily, 10> kFamilies = {{
    {"jump", n(Op::Jump8), n(Op::Jump16), -1},
    {"jumpif", n(Op::JumpIf8), n(Op::JumpIf16), -1},
    {"jumpifnot", n(Op::JumpIfNot8), n(Op::JumpIfNot16), -1},
    {"jumpifkeep", n(Op::JumpIfKeep8), n(Op::JumpIfKeep16), -1},
    {"jumpifnotkeep", n(Op::JumpIfNotKeep8), n(Op::JumpIfNotKeep16), -1},
    {"func", n(Op::Func8), n(Op::Func16), -1},
    {"push", n(Op::Push8), n(Op::Push16), n(Op::Push32)},
    {"load", n(Op::Load8), n(Op::Load16), -1},
    {"store", n(Op::Store8), n(Op::Store16), -1},
    {"clear", n(Op::Clear8), n(Op::Clear16), -1},
}};

} // namespace

std::span<const OpInfo> opcodeTable() {
    return kOpcodes;
}

const OpInfo* findMnemonic(std::string_view mnemonic) {
    for (const auto& op : kOpcodes) {
        if (op.mnemonic == mnemonic) {
            return &op;
        }
    }
    return nullptr;
}

std::span<const OpFamily> opcodeFamilies() {
    return kFamilies;
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

} // namespace zelvan
