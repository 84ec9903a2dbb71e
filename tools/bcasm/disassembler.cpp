// Linear-sweep disassembler: decodes the entry table (or falls back to raw data when it is
// malformed), then instructions from the end of the table, naming branch targets with labels.
#include "tools/bcasm/disassembler.h"

#include <cstdio>
#include <set>
#include <vector>

#include "tools/bcasm/bytecode_ops.h"

namespace zelvan {
namespace {

struct Decoded {
    size_t offset = 0;
    size_t size = 0;
    int opcode = -1; // -1: raw bytes
    int64_t a = 0;
    int64_t b = 0;
    int64_t target = -1; // absolute target of a relative operand
};

int64_t readSigned(std::span<const uint8_t> image, size_t at, int width) {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
        v |= static_cast<uint32_t>(image[at + i]) << (8 * i);
    }
    if (width == 1) {
        return static_cast<int8_t>(v);
    }
    if (width == 2) {
        return static_cast<int16_t>(v);
    }
    return static_cast<int32_t>(v);
}

std::string quote(std::span<const uint8_t> bytes) {
    std::string out = "\"";
    for (uint8_t c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out + "\"";
}

std::string variable(int64_t v) {
    std::string out(v < 0 ? "L" : "G");
    out += std::to_string(v < 0 ? -v - 1 : v);
    return out;
}

std::string rawLine(std::span<const uint8_t> bytes) {
    std::string line = ".byte";
    for (size_t i = 0; i < bytes.size(); ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s0x%02x", i ? ", " : " ", bytes[i]);
        line += buf;
    }
    return line;
}

// Decodes the instruction at `at`, or returns a one-byte raw item.
Decoded decodeAt(std::span<const uint8_t> image, size_t at) {
    Decoded d;
    d.offset = at;
    d.size = 1;
    int opcode = static_cast<int8_t>(image[at]);
    if (opcode < 0 || opcode > kLastOpcode) {
        return d;
    }
    const OpInfo& op = opcodeTable()[opcode];
    size_t operand = static_cast<size_t>(operandSize(op.operand));
    if (image.size() - at - 1 < operand) {
        return d;
    }
    size_t o = at + 1;
    switch (op.operand) {
    case OperandKind::None:
        break;
    case OperandKind::Int8:
    case OperandKind::Var8:
    case OperandKind::Rel8:
        d.a = readSigned(image, o, 1);
        break;
    case OperandKind::Int16:
    case OperandKind::Var16:
    case OperandKind::Rel16:
        d.a = readSigned(image, o, 2);
        break;
    case OperandKind::Int32:
        d.a = readSigned(image, o, 4);
        break;
    case OperandKind::Native:
        d.a = image[o];
        d.b = readSigned(image, o + 1, 1);
        break;
    case OperandKind::Bytes16:
        d.a = readSigned(image, o, 2);
        if (d.a < 0 || image.size() - o - 2 < static_cast<size_t>(d.a)) {
            return d;
        }
        operand += static_cast<size_t>(d.a);
        break;
    }
    d.opcode = opcode;
    d.size = 1 + operand;
    if (op.operand == OperandKind::Rel8 || op.operand == OperandKind::Rel16) {
        d.target = static_cast<int64_t>(at + d.size) + d.a;
    }
    return d;
}

// The mnemonic to print: the generic one where the assembler would pick this very opcode from the
// operand's value, the fixed-width one otherwise (label jumps always print their width).
std::string_view mnemonicFor(const Decoded& d) {
    const OpInfo& op = opcodeTable()[d.opcode];
    const OpFamily* family = familyOfOpcode(d.opcode);
    if (!family || op.operand == OperandKind::Rel8 || op.operand == OperandKind::Rel16) {
        return op.mnemonic;
    }
    bool fits8 = d.a >= -128 && d.a <= 127;
    bool fits16 = d.a >= -32768 && d.a <= 32767;
    int chosen = fits8 ? family->narrow : (fits16 || family->widest < 0) ? family->wide : family->widest;
    return chosen == d.opcode ? family->mnemonic : op.mnemonic;
}

} // namespace

std::string Disassembler::disassemble(std::span<const uint8_t> image) {
    std::string out;
    // Entry table; any inconsistency makes the whole image raw data.
    size_t pos = 0;
    std::vector<std::string> entryLines;
    bool headerOk = image.size() >= 2;
    if (headerOk) {
        int64_t count = readSigned(image, 0, 2);
        pos = 2;
        headerOk = count >= 0;
        for (int64_t i = 0; headerOk && i < count; ++i) {
            if (image.size() - pos < 2) {
                headerOk = false;
                break;
            }
            int64_t length = readSigned(image, pos, 2);
            pos += 2;
            if (length < 0 || image.size() - pos < static_cast<size_t>(length) + 2) {
                headerOk = false;
                break;
            }
            std::string name = quote(image.subspan(pos, static_cast<size_t>(length)));
            pos += static_cast<size_t>(length);
            int64_t slot = readSigned(image, pos, 2);
            pos += 2;
            entryLines.push_back(".entry " + name + " " + (slot >= 0 ? variable(slot) : std::to_string(slot)));
        }
    }
    if (!headerOk) {
        out += "; no valid entry table: the image is shown as raw data\n.rawheader\n";
        pos = 0;
    } else {
        for (const auto& line : entryLines) {
            out += line + "\n";
        }
        out += "; code from offset " + std::to_string(pos) + "\n";
    }

    std::vector<Decoded> decoded;
    while (headerOk && pos < image.size()) {
        Decoded d = decodeAt(image, pos);
        decoded.push_back(d);
        pos += d.size;
        if (d.opcode == static_cast<int>(Op::SkipZ)) { // the bytes up to and including the next zero are data
            size_t end = pos;
            while (end < image.size() && image[end] != 0) {
                ++end;
            }
            end = std::min(end + 1, image.size());
            for (; pos < end; ++pos) {
                decoded.push_back(Decoded{pos, 1, -1, 0, 0, -1});
            }
        }
    }
    if (!headerOk) {
        for (; pos < image.size(); ++pos) {
            decoded.push_back(Decoded{pos, 1, -1, 0, 0, -1});
        }
    }

    std::set<int64_t> starts;
    for (const auto& d : decoded) {
        if (d.opcode >= 0) {
            starts.insert(static_cast<int64_t>(d.offset));
        }
    }
    starts.insert(static_cast<int64_t>(image.size()));
    std::set<int64_t> labels;
    for (const auto& d : decoded) {
        if (d.target >= 0 && starts.count(d.target)) {
            labels.insert(d.target);
        }
    }

    auto emit = [&](const std::string& text, size_t offset) {
        std::string line = "    " + text;
        if (line.size() < 40) {
            line.resize(40, ' ');
        } else {
            line += ' ';
        }
        out += line + "; " + std::to_string(offset) + "\n";
    };
    for (size_t i = 0; i < decoded.size();) {
        const Decoded& d = decoded[i];
        if (labels.count(static_cast<int64_t>(d.offset))) {
            out += "at" + std::to_string(d.offset) + ":\n";
        }
        if (d.opcode < 0) { // group up to 8 raw bytes per line
            size_t j = i;
            while (j < decoded.size() && j - i < 8 && decoded[j].opcode < 0) {
                ++j;
            }
            emit(rawLine(image.subspan(d.offset, j - i)), d.offset);
            i = j;
            continue;
        }
        const OpInfo& op = opcodeTable()[d.opcode];
        std::string text(mnemonicFor(d));
        // Pieces are appended one by one: `" " + temporary` trips a false -Wrestrict in GCC 12.
        auto add = [&text](const std::string& piece) {
            text += ' ';
            text += piece;
        };
        switch (op.operand) {
        case OperandKind::None:
            break;
        case OperandKind::Int8:
        case OperandKind::Int16:
        case OperandKind::Int32:
            add(std::to_string(d.a));
            break;
        case OperandKind::Var8:
        case OperandKind::Var16:
            add(variable(d.a));
            break;
        case OperandKind::Rel8:
        case OperandKind::Rel16:
            add(labels.count(d.target) ? "at" + std::to_string(d.target) : std::to_string(d.a));
            break;
        case OperandKind::Native:
            add(std::to_string(d.a));
            add(std::to_string(d.b));
            break;
        case OperandKind::Bytes16:
            add(quote(image.subspan(d.offset + 3, static_cast<size_t>(d.a))));
            break;
        }
        emit(text, d.offset);
        ++i;
    }
    if (labels.count(static_cast<int64_t>(image.size()))) {
        out += "at" + std::to_string(image.size()) + ":\n";
    }
    return out;
}

} // namespace zelvan
