// The opcode table against everything built from it: the dispatcher's operand widths and dispatch
// numbers, the combined sequences, the assembler's rows and families, and the disassembler's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "games/engine/dispatch_ops.h"
#include "games/engine/opcodes.h"
#include "tools/bcasm/assembler.h"
#include "tools/bcasm/bytecode_ops.h"
#include "tools/bcasm/disassembler.h"

namespace zelvan {
namespace {

using Bytes = std::vector<uint8_t>;

// The bytes of `ops` in sequence, every operand zero.
Bytes encodeZeroOperands(std::initializer_list<int> ops) {
    Bytes code;
    for (int op : ops) {
        code.push_back(static_cast<uint8_t>(op));
        code.resize(code.size() + static_cast<size_t>(operandSize(kOpcodes[op].operand)), 0);
    }
    return code;
}

// What an operand is regardless of its width.
char kindClass(OperandKind kind) {
    switch (kind) {
    case OperandKind::Int8:
    case OperandKind::Int16:
    case OperandKind::Int32:
        return 'i';
    case OperandKind::Var8:
    case OperandKind::Var16:
        return 'v';
    case OperandKind::Rel8:
    case OperandKind::Rel16:
        return 'r';
    default:
        return '-';
    }
}

std::vector<uint8_t> dispatchOf(const Bytes& code) {
    std::vector<uint8_t> out;
    dispatch::prepare(code.data(), code.size(), out);
    return out;
}

TEST(OpcodeTableTest, DispatcherFollowsTheTable) {
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const int width = byte <= kLastOpcode ? operandSize(kOpcodes[byte].operand) : 0;
        EXPECT_EQ(dispatch::kOperandBytes[static_cast<size_t>(byte)], width);
        const Bytes whole = byte <= kLastOpcode ? encodeZeroOperands({byte}) : Bytes{static_cast<uint8_t>(byte)};
        const std::vector<uint8_t> numbers = dispatchOf(whole);
        EXPECT_EQ(numbers[0], byte <= kLastOpcode ? byte : int{dispatch::kSkip});
        EXPECT_EQ(numbers.back(), dispatch::kEnd);
        if (width > 0) {
            const Bytes cut(whole.begin(), whole.end() - 1);
            EXPECT_EQ(dispatchOf(cut)[0], dispatch::kTruncated);
        }
    }
    EXPECT_EQ(int{dispatch::kSkip}, kLastOpcode + 1);

    // Each combined sequence starts its handler exactly when all of its bytes are present.
    for (const dispatch::Fusion& fusion : dispatch::kFusions) {
        Bytes code;
        for (size_t i = 0; i < fusion.count; ++i) {
            Bytes one = encodeZeroOperands({static_cast<int>(fusion.ops[i])});
            code.insert(code.end(), one.begin(), one.end());
        }
        SCOPED_TRACE(kOpcodes[static_cast<size_t>(fusion.ops[0])].mnemonic);
        EXPECT_EQ(dispatchOf(code)[0], fusion.handler);
        code.pop_back();
        if (fusion.handler != static_cast<uint8_t>(fusion.ops[0])) {
            EXPECT_NE(dispatchOf(code)[0], fusion.handler);
        }
    }
}

TEST(OpcodeTableTest, AssemblerAndDisassemblerFollowTheTable) {
    for (const OpInfo& op : opcodeTable()) {
        SCOPED_TRACE(std::string(op.mnemonic));
        EXPECT_EQ(findMnemonic(op.mnemonic), &op);
        // Counts taken from the operand need an operand to take them from.
        if (op.pops == kCountFromOperand || op.pushes == kCountFromOperand) {
            EXPECT_NE(op.operand, OperandKind::None);
        }

        // Each opcode alone (operands zero) disassembles to its mnemonic, or to its family's where the
        // assembler would pick this form for a zero, and assembles back to the same bytes.
        Bytes image = {0, 0};
        Bytes code = encodeZeroOperands({op.opcode});
        image.insert(image.end(), code.begin(), code.end());
        const std::string text = Disassembler::disassemble(image);
        const OpFamily* family = familyOfOpcode(op.opcode);
        const bool generic = family != nullptr && family->narrow == op.opcode && op.operand != OperandKind::Rel8;
        const std::string expected = "    " + std::string(generic ? family->mnemonic : op.mnemonic);
        EXPECT_NE(text.find("\n" + expected + " "), std::string::npos) << text;
        Assembler assembler;
        EXPECT_EQ(assembler.assemble(text), image) << text << assembler.errorText();
    }

    // A family's forms are its mnemonic with the operand width in bits, of one operand kind in three widths.
    for (const OpFamily& family : opcodeFamilies()) {
        SCOPED_TRACE(std::string(family.mnemonic));
        EXPECT_EQ(findMnemonic(family.mnemonic), nullptr);
        const OperandKind narrowKind = kOpcodes[family.narrow].operand;
        struct Form {
            int opcode;
            int bytes;
        };
        for (Form form : {Form{family.narrow, 1}, Form{family.wide, 2}, Form{family.widest, 4}}) {
            if (form.opcode < 0) {
                continue;
            }
            const OpInfo& row = kOpcodes[form.opcode];
            EXPECT_EQ(row.mnemonic, std::string(family.mnemonic) + std::to_string(form.bytes * 8));
            EXPECT_EQ(operandSize(row.operand), form.bytes);
            EXPECT_EQ(familyOfOpcode(form.opcode), &family);
            EXPECT_EQ(kindClass(row.operand), kindClass(narrowKind));
        }
    }
}

} // namespace
} // namespace zelvan
