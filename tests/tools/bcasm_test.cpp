// The bytecode assembler and disassembler: every mnemonic's encoding, width selection and branch
// relaxation at the 8/16-bit edges, entry records, error reports, and byte-exact round trips.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tools/bcasm/assembler.h"
#include "tools/bcasm/disassembler.h"

namespace zelvan {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes assembleOk(const std::string& source) {
    Assembler assembler;
    auto image = assembler.assemble(source);
    EXPECT_TRUE(image.has_value()) << source << "\n" << assembler.errorText();
    return image.value_or(Bytes{});
}

std::string repeat(const std::string& line, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += line + "\n";
    }
    return out;
}

TEST(BcasmTest, EncodesEveryMnemonicAsTheOpcodeTableSays) {
    struct Case {
        const char* source;
        Bytes bytes;
    };
    const Case cases[] = {
        {"stop", {0}},
        {"pop", {1}},
        {"jumpifkeep8 -3", {2, 0xfd}},
        {"jumpifnotkeep8 4", {3, 4}},
        {"notin", {4}},
        {"in", {5}},
        {"neg", {6}},
        {"not", {7}},
        {"mul", {8}},
        {"div", {9}},
        {"mod", {10}},
        {"add", {11}},
        {"sub", {12}},
        {"getitem", {13}},
        {"shl", {14}},
        {"shr", {15}},
        {"and", {16}},
        {"or", {17}},
        {"xor", {18}},
        {"copy", {19}},
        {"slicefrom", {20}},
        {"sliceto", {21}},
        {"slice", {22}},
        {"print 2", {23, 2}},
        {"ret", {24}},
        {"jumpifkeep16 0x1234", {25, 0x34, 0x12}},
        {"jumpifnotkeep16 -2", {26, 0xfe, 0xff}},
        {"store16 G3", {27, 3, 0}},
        {"clear16 L0", {28, 0xff, 0xff}},
        {"unpack 3", {29, 3, 0}},
        {"nop", {30}},
        {"push32 -2", {31, 0xfe, 0xff, 0xff, 0xff}},
        {"load16 G300", {32, 0x2c, 0x01}},
        {"mkarray 4", {33, 4, 0}},
        {"bytes \"ab\"", {34, 2, 0, 'a', 'b'}},
        {"jump16 -300", {35, 0xd4, 0xfe}},
        {"jumpif16 5", {36, 5, 0}},
        {"jumpifnot16 6", {37, 6, 0}},
        {"jump8 -1", {38, 0xff}},
        {"push16 1000", {39, 0xe8, 0x03}},
        {"lt", {40}},
        {"gt", {41}},
        {"le", {42}},
        {"ge", {43}},
        {"eq", {44}},
        {"ne", {45}},
        {"native 43 -1", {46, 43, 0xff}},
        {"native 200 3", {46, 200, 3}},
        {"call 2", {47, 2}},
        {"push8 -7", {48, 0xf9}},
        {"jumpif8 9", {49, 9}},
        {"jumpifnot8 -9", {50, 0xf7}},
        {"setitem", {51}},
        {"func16 0x100", {52, 0, 1}},
        {"func8 3", {53, 3}},
        {"load8 L1", {54, 0xfe}},
        {"store8 G5", {55, 5}},
        {"clear8 L2", {56, 0xfd}},
        {"skipz", {57}},
        {"inc -1", {58, 0xff}},
        {"inc L3", {58, 0xfc}},
        // Generic forms pick the narrowest encoding for the operand's value.
        {"push 5", {48, 5}},
        {"push -128", {48, 0x80}},
        {"push 128", {39, 0x80, 0}},
        {"push -32769", {31, 0xff, 0x7f, 0xff, 0xff}},
        {"push 0x80000001", {31, 1, 0, 0, 0x80}},
        {"load L127", {54, 0x80}},
        {"load L128", {32, 0x7f, 0xff}},
        {"load G127", {54, 0x7f}},
        {"store G128", {27, 0x80, 0}},
        {"store L0", {55, 0xff}},
        {"clear G1", {56, 1}},
        {"clear G1000", {28, 0xe8, 0x03}},
        {"jump 5", {38, 5}},
        {"jumpifnot 200", {37, 200, 0}},
        // Raw data, strings with escapes, labels sharing a line, comments.
        {".byte 0x2e, -1, 255", {0x2e, 0xff, 0xff}},
        {".short -2, 0x1234", {0xfe, 0xff, 0x34, 0x12}},
        {".int 0x01020304", {4, 3, 2, 1}},
        {"bytes \"\\x00\\\"\\\\\\n\" ; c", {34, 4, 0, 0, '"', '\\', '\n'}},
        {"top: jump8 top ; loop", {38, 0xfe}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(assembleOk(std::string(".rawheader\n") + c.source), c.bytes) << c.source;
    }
}

TEST(BcasmTest, RelaxesJumpsAtTheEightBitEdges) {
    // Forward: the displacement counts from the end of the jump's operand.
    Bytes fwd127 = assembleOk(".rawheader\njump end\n" + repeat("nop", 127) + "end: stop");
    ASSERT_EQ(fwd127.size(), 2u + 127 + 1);
    EXPECT_EQ(fwd127[0], 38);
    EXPECT_EQ(fwd127[1], 127);

    Bytes fwd128 = assembleOk(".rawheader\njumpif end\n" + repeat("nop", 128) + "end: stop");
    ASSERT_EQ(fwd128.size(), 3u + 128 + 1);
    EXPECT_EQ(fwd128[0], 36);
    EXPECT_EQ(fwd128[1] | fwd128[2] << 8, 128);

    // Backward: 126 filler bytes put the target exactly -128 away from the short form's end.
    Bytes back128 = assembleOk(".rawheader\ntop:\n" + repeat("nop", 126) + "jumpifnot top");
    ASSERT_EQ(back128.size(), 126u + 2);
    EXPECT_EQ(back128[126], 50);
    EXPECT_EQ(static_cast<int8_t>(back128[127]), -128);

    Bytes back129 = assembleOk(".rawheader\ntop:\n" + repeat("nop", 127) + "jumpifkeep top");
    ASSERT_EQ(back129.size(), 127u + 3);
    EXPECT_EQ(back129[127], 25);
    EXPECT_EQ(static_cast<int16_t>(back129[128] | back129[129] << 8), -130);

    // func uses the same relaxation (53 narrow, 52 wide).
    Bytes func = assembleOk(".rawheader\nfunc f\n" + repeat("nop", 200) + "f: ret");
    EXPECT_EQ(func[0], 52);
    EXPECT_EQ(func[1] | func[2] << 8, 200);

    // A cascade: widening the inner jump pushes the outer one's label out of 8-bit reach.
    std::string cascade =
        ".rawheader\njump a\n" + repeat("nop", 125) + "jump b\na: stop\n" + repeat("nop", 130) + "b: stop";
    Bytes c = assembleOk(cascade);
    ASSERT_EQ(c[0], 35); // 125 + 3 bytes to a: wide
    EXPECT_EQ(c[1] | c[2] << 8, 128);
    EXPECT_EQ(c[3 + 125], 35);
    EXPECT_EQ(c[3 + 125 + 1] | c[3 + 125 + 2] << 8, 131);

    // Fixed narrow forms never widen: out of reach is an error naming the line.
    Assembler assembler;
    EXPECT_FALSE(assembler.assemble("jump8 end\n" + repeat("nop", 128) + "end: stop"));
    ASSERT_EQ(assembler.errors().size(), 1u);
    EXPECT_EQ(assembler.errors()[0].line, 1);
    EXPECT_NE(assembler.errors()[0].message.find("out of range"), std::string::npos);
}

TEST(BcasmTest, WritesEntryRecordsBeforeTheCode) {
    Bytes image = assembleOk(R"(
        .entry "start" G3
        .entry "paint" 4
        func start        ; absolute layout: the code begins after the records
        store G3
        ret
    start:
        push 7
        ret
    )");
    const Bytes header = {2, 0, 5, 0, 's', 't', 'a', 'r', 't', 3, 0, 5, 0, 'p', 'a', 'i', 'n', 't', 4, 0};
    ASSERT_GE(image.size(), header.size());
    EXPECT_EQ(Bytes(image.begin(), image.begin() + header.size()), header);
    EXPECT_EQ(Bytes(image.begin() + header.size(), image.end()), (Bytes{53, 3, 55, 3, 24, 48, 7, 24}));

    EXPECT_EQ(assembleOk("stop"), (Bytes{0, 0, 0}));
    EXPECT_EQ(assembleOk(""), (Bytes{0, 0}));
}

TEST(BcasmTest, ReportsErrorsWithLineNumbers) {
    struct Case {
        const char* source;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"stop\nfrobnicate 3", 2, "unknown mnemonic 'frobnicate'"},
        {"jump nowhere", 1, "undefined label 'nowhere'"},
        {"a:\na:\nstop", 2, "defined twice"},
        {"\n\npush8 128", 3, "out of range"},
        {"push 0x100000000", 1, "out of range"},
        {"load8 L128", 1, "out of range"},
        {"store G40000", 1, "out of range"},
        {"native 256 0", 1, "native id"},
        {"native 1", 1, "takes 2 operand"},
        {"call", 1, "takes 1 operand"},
        {"add 1", 1, "takes 0 operand"},
        {"bytes abc", 1, "string literal"},
        {"bytes \"abc", 1, "unterminated"},
        {"bytes \"\\q\"", 1, "unknown escape"},
        {".byte 256", 1, "out of range"},
        {".entry start G1", 1, ".entry takes"},
        {".rawheader\n.entry \"a\" G1", 1, "cannot be combined"},
        {".word 1", 1, "unknown directive"},
        {"L3: stop", 1, "bad label name"},
        {"push five", 1, "integer expected"},
        {"push --5", 1, "integer expected"},
        {".byte 0x-5", 1, "value expected"},
    };
    for (const auto& c : cases) {
        Assembler assembler;
        EXPECT_FALSE(assembler.assemble(c.source)) << c.source;
        ASSERT_FALSE(assembler.errors().empty()) << c.source;
        EXPECT_EQ(assembler.errors()[0].line, c.line) << c.source;
        EXPECT_NE(assembler.errors()[0].message.find(c.message), std::string::npos)
            << c.source << " -> " << assembler.errorText();
    }
    // Several errors are all reported, in line order.
    Assembler assembler;
    EXPECT_FALSE(assembler.assemble("jump x\nbogus\npush8 999"));
    EXPECT_EQ(assembler.errorText(), "line 1: undefined label 'x'\nline 2: unknown mnemonic 'bogus'\n"
                                     "line 3: integer 999 out of range -128..127\n");
}

TEST(BcasmTest, DisassemblyAssemblesBackToTheSameBytes) {
    const std::string program = R"(
        .entry "start" G3
        .entry "we\"ird\x01" -2
        func16 start
        store G3
        ret
    start:
        push 0
        store L1
    loop:
        load L1
        push 1000
        lt
        jumpifnot done
        load L0
        load L1
        mkarray 2
        native 43 -1
        pop
        inc L1
        jump loop
    done:
        bytes "caf\xc3\xa9"
        push 0x7fffffff
        call 1
        skipz
        .byte 1, 2, 0
        ret
    )";
    Bytes image = assembleOk(program);
    std::string text = Disassembler::disassemble(image);
    EXPECT_EQ(assembleOk(text), image) << text;
    // Branch targets become labels and the offsets are shown.
    EXPECT_NE(text.find("jumpifnot8 at"), std::string::npos) << text;
    EXPECT_NE(text.find(".entry \"start\" G3"), std::string::npos) << text;
    EXPECT_NE(text.find(".entry \"we\\\"ird\\x01\" -2"), std::string::npos) << text;
    EXPECT_NE(text.find("bytes \"caf\\xc3\\xa9\""), std::string::npos) << text;
    EXPECT_NE(text.find(".byte 0x01, 0x02, 0x00"), std::string::npos) << text;

    // Undecodable bytes (unknown opcodes, truncated operands, a bad length) are kept as data.
    const Bytes odd = {0, 0, 59, 0x80, 34, 0xff, 0xff, 31, 1, 2};
    std::string oddText = Disassembler::disassemble(odd);
    EXPECT_NE(oddText.find(".byte 0x3b, 0x80, 0x22"), std::string::npos) << oddText;
    EXPECT_EQ(assembleOk(oddText), odd) << oddText;

    // Any bytes at all survive the round trip, including broken entry tables.
    std::mt19937 rng(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes(rng() % 64);
        for (auto& b : bytes) {
            b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() % 60 : rng());
        }
        if (round % 2 == 0 && bytes.size() >= 2) { // a plausible entry count half of the time
            bytes[0] = static_cast<uint8_t>(rng() % 3);
            bytes[1] = 0;
        }
        std::string t = Disassembler::disassemble(bytes);
        ASSERT_EQ(assembleOk(t), bytes) << t;
    }
}

} // namespace
} // namespace zelvan
