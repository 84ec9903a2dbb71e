// Two-stage assembler: each line is parsed into an item (label, instruction or raw data), then the
// layout is iterated, widening label jumps that do not reach, until every offset is stable.
#include "tools/bcasm/assembler.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>

#include "tools/bcasm/bytecode_ops.h"

namespace zelvan {
namespace {

struct Token {
    std::string text; // the bytes of a string literal (unescaped), or the raw token
    bool isString = false;
};

struct Item {
    enum class Kind { Label, Instruction, Raw } kind = Kind::Instruction;
    int line = 0;
    std::string label;                // Label: its name; Instruction: the referenced label, if any
    const OpFamily* family = nullptr; // set when the width is still to be chosen for a label
    int opcode = 0;
    int64_t a = 0;              // first operand value
    int64_t b = 0;              // second operand (native argument count)
    std::vector<uint8_t> bytes; // Raw data, or the text of "bytes"
    int offset = 0;
};

bool fits(int64_t v, int64_t lo, int64_t hi) {
    return v >= lo && v <= hi;
}
bool fits8(int64_t v) {
    return fits(v, -128, 127);
}
bool fits16(int64_t v) {
    return fits(v, -32768, 32767);
}

bool isIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isIdentChar(char c) {
    return isIdentStart(c) || (c >= '0' && c <= '9') || c == '.';
}

std::optional<int64_t> parseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // One sign at most: from_chars would take a second minus ("--5", "0x-5") as part of the digits.
    if (text.empty() || text.size() > 18 || text[0] == '-') {
        return std::nullopt;
    }
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// L<n> and G<n> are variable names, so they are never labels.
std::optional<int64_t> parseVariableName(std::string_view text) {
    if (text.size() < 2 || (text[0] != 'L' && text[0] != 'G')) {
        return std::nullopt;
    }
    for (char c : text.substr(1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    auto n = parseNumber(text.substr(1));
    if (!n) {
        return std::nullopt;
    }
    return text[0] == 'L' ? -*n - 1 : *n;
}

bool isLabelName(std::string_view text) {
    if (text.empty() || !isIdentStart(text[0]) || parseVariableName(text)) {
        return false;
    }
    for (char c : text) {
        if (!isIdentChar(c)) {
            return false;
        }
    }
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

class Parser {
public:
    explicit Parser(std::vector<AsmDiagnostic>& errors) : errors_(errors) {}

    void error(int line, std::string message) { errors_.push_back({line, std::move(message)}); }

    // Splits one line (comment already allowed) into tokens; labels "name:" come back as a prefix.
    bool tokenize(std::string_view line, int lineNo, std::vector<std::string>& labels, std::vector<Token>& tokens) {
        size_t i = 0;
        auto skipSpace = [&] {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == ',' || line[i] == '\r')) {
                ++i;
            }
        };
        while (true) {
            skipSpace();
            if (i >= line.size() || line[i] == ';') {
                return true;
            }
            if (line[i] == '"') {
                Token token{{}, true};
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    char c = line[i++];
                    if (c == '"') {
                        closed = true;
                        break;
                    }
                    if (c != '\\') {
                        token.text.push_back(c);
                        continue;
                    }
                    if (i >= line.size()) {
                        break;
                    }
                    char e = line[i++];
                    switch (e) {
                    case 'n':
                        token.text.push_back('\n');
                        break;
                    case 'r':
                        token.text.push_back('\r');
                        break;
                    case 't':
                        token.text.push_back('\t');
                        break;
                    case '0':
                        token.text.push_back('\0');
                        break;
                    case '\\':
                    case '"':
                        token.text.push_back(e);
                        break;
                    case 'x': {
                        int hi = i < line.size() ? hexDigit(line[i]) : -1;
                        int lo = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
                        if (hi < 0 || lo < 0) {
                            error(lineNo, "bad \\x escape in string");
                            return false;
                        }
                        token.text.push_back(static_cast<char>(hi * 16 + lo));
                        i += 2;
                        break;
                    }
                    default:
                        error(lineNo, std::string("unknown escape \\") + e + " in string");
                        return false;
                    }
                }
                if (!closed) {
                    error(lineNo, "unterminated string");
                    return false;
                }
                tokens.push_back(std::move(token));
                continue;
            }
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != ',' && line[i] != ';' &&
                   line[i] != '"' && line[i] != '\r') {
                ++i;
            }
            std::string word(line.substr(start, i - start));
            if (tokens.empty() && word.size() > 1 && word.back() == ':') {
                word.pop_back();
                if (!isLabelName(word)) {
                    error(lineNo, "bad label name '" + word + "'");
                    return false;
                }
                labels.push_back(std::move(word));
                continue;
            }
            tokens.push_back({std::move(word), false});
        }
    }

    std::optional<int64_t> number(const Token& t, int line, int64_t lo, int64_t hi, std::string_view what) {
        auto v = t.isString ? std::nullopt : parseNumber(t.text);
        if (!v) {
            error(line, std::string(what) + " expected, found '" + t.text + "'");
            return std::nullopt;
        }
        if (!fits(*v, lo, hi)) {
            error(line,
                  std::string(what) + " " + t.text + " out of range " + std::to_string(lo) + ".." + std::to_string(hi));
            return std::nullopt;
        }
        return v;
    }

    std::optional<int64_t> variable(const Token& t, int line, int64_t lo, int64_t hi) {
        if (!t.isString) {
            if (auto v = parseVariableName(t.text)) {
                if (!fits(*v, lo, hi)) {
                    error(line, "variable " + t.text + " out of range for this form");
                    return std::nullopt;
                }
                return v;
            }
        }
        return number(t, line, lo, hi, "variable");
    }

private:
    std::vector<AsmDiagnostic>& errors_;
};

void putLE(std::vector<uint8_t>& out, uint64_t v, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

int itemSize(const Item& item) {
    switch (item.kind) {
    case Item::Kind::Label:
        return 0;
    case Item::Kind::Raw:
        return static_cast<int>(item.bytes.size());
    case Item::Kind::Instruction:
        break;
    }
    const OpInfo& op = opcodeTable()[item.opcode];
    return 1 + operandSize(op.operand) + static_cast<int>(item.bytes.size());
}

// Parses the operands of one instruction into `item`; false after reporting an error.
bool parseInstruction(Parser& p, Item& item, const std::string& mnemonic, const std::vector<Token>& args) {
    const int line = item.line;
    const OpFamily* family = findFamily(mnemonic);
    const OpInfo* fixed = family ? nullptr : findMnemonic(mnemonic);
    if (!family && !fixed) {
        p.error(line, "unknown mnemonic '" + mnemonic + "'");
        return false;
    }
    OperandKind kind = family ? opcodeTable()[family->narrow].operand : fixed->operand;
    size_t wanted = kind == OperandKind::None ? 0 : kind == OperandKind::Native ? 2 : 1;
    if (args.size() != wanted) {
        p.error(line,
                mnemonic + " takes " + std::to_string(wanted) + " operand(s), found " + std::to_string(args.size()));
        return false;
    }
    item.opcode = fixed ? fixed->opcode : family->narrow;
    switch (kind) {
    case OperandKind::None:
        return true;
    case OperandKind::Int8:
    case OperandKind::Int16:
    case OperandKind::Int32: {
        if (family) { // push: the narrowest of the three widths
            auto v = p.number(args[0], line, std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(),
                              "integer");
            if (!v) {
                return false;
            }
            item.a = *v;
            item.opcode = fits8(*v) ? family->narrow : fits16(*v) ? family->wide : family->widest;
            return true;
        }
        int64_t lo = kind == OperandKind::Int8 ? -128 : kind == OperandKind::Int16 ? -32768 : INT32_MIN;
        int64_t hi = kind == OperandKind::Int8 ? 127 : kind == OperandKind::Int16 ? 32767 : UINT32_MAX;
        auto v = p.number(args[0], line, lo, hi, "integer");
        if (!v) {
            return false;
        }
        item.a = *v;
        return true;
    }
    case OperandKind::Var8:
    case OperandKind::Var16: {
        bool narrow = kind == OperandKind::Var8 && !family;
        auto v = p.variable(args[0], line, narrow ? -128 : -32768, narrow ? 127 : 32767);
        if (!v) {
            return false;
        }
        item.a = *v;
        if (family) {
            item.opcode = fits8(*v) ? family->narrow : family->wide;
        }
        return true;
    }
    case OperandKind::Rel8:
    case OperandKind::Rel16: {
        if (!args[0].isString && isLabelName(args[0].text)) {
            item.label = args[0].text;
            item.family = family; // relaxed later
            return true;
        }
        bool narrow = kind == OperandKind::Rel8 && !family;
        auto v = p.number(args[0], line, narrow ? -128 : -32768, narrow ? 127 : 32767, "label or offset");
        if (!v) {
            return false;
        }
        item.a = *v;
        if (family) {
            item.opcode = fits8(*v) ? family->narrow : family->wide;
        }
        return true;
    }
    case OperandKind::Native: {
        auto id = p.number(args[0], line, 0, 255, "native id");
        auto argc = p.number(args[1], line, -128, 127, "argument count");
        if (!id || !argc) {
            return false;
        }
        item.a = *id;
        item.b = *argc;
        return true;
    }
    case OperandKind::Bytes16:
        if (!args[0].isString) {
            p.error(line, "bytes takes a string literal");
            return false;
        }
        if (args[0].text.size() > 32767) {
            p.error(line, "string longer than 32767 bytes");
            return false;
        }
        item.bytes.assign(args[0].text.begin(), args[0].text.end());
        return true;
    }
    return false;
}

void encode(const Item& item, std::vector<uint8_t>& out) {
    if (item.kind == Item::Kind::Raw) {
        out.insert(out.end(), item.bytes.begin(), item.bytes.end());
        return;
    }
    if (item.kind != Item::Kind::Instruction) {
        return;
    }
    const OpInfo& op = opcodeTable()[item.opcode];
    out.push_back(static_cast<uint8_t>(item.opcode));
    switch (op.operand) {
    case OperandKind::None:
        break;
    case OperandKind::Int8:
    case OperandKind::Var8:
    case OperandKind::Rel8:
        putLE(out, static_cast<uint64_t>(item.a), 1);
        break;
    case OperandKind::Int16:
    case OperandKind::Var16:
    case OperandKind::Rel16:
        putLE(out, static_cast<uint64_t>(item.a), 2);
        break;
    case OperandKind::Int32:
        putLE(out, static_cast<uint64_t>(item.a), 4);
        break;
    case OperandKind::Native:
        putLE(out, static_cast<uint64_t>(item.a), 1);
        putLE(out, static_cast<uint64_t>(item.b), 1);
        break;
    case OperandKind::Bytes16:
        putLE(out, item.bytes.size(), 2);
        out.insert(out.end(), item.bytes.begin(), item.bytes.end());
        break;
    }
}

} // namespace

std::string Assembler::errorText() const {
    std::string text;
    for (const auto& e : errors_) {
        text += "line " + std::to_string(e.line) + ": " + e.message + "\n";
    }
    return text;
}

std::optional<std::vector<uint8_t>> Assembler::assemble(std::string_view source) {
    errors_.clear();
    Parser parser(errors_);
    std::vector<Item> items;
    std::vector<std::pair<std::string, int64_t>> entries;
    bool rawHeader = false;
    int rawHeaderLine = 0;

    int lineNo = 0;
    size_t pos = 0;
    while (pos <= source.size()) {
        size_t end = source.find('\n', pos);
        if (end == std::string_view::npos) {
            end = source.size();
        }
        std::string_view line = source.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;

        std::vector<std::string> labels;
        std::vector<Token> tokens;
        if (!parser.tokenize(line, lineNo, labels, tokens)) {
            continue;
        }
        for (auto& label : labels) {
            Item item;
            item.kind = Item::Kind::Label;
            item.line = lineNo;
            item.label = std::move(label);
            items.push_back(std::move(item));
        }
        if (tokens.empty()) {
            continue;
        }
        if (tokens[0].isString) {
            parser.error(lineNo, "a line cannot start with a string");
            continue;
        }
        const std::string head = tokens[0].text;
        std::vector<Token> args(tokens.begin() + 1, tokens.end());
        if (head == ".entry") {
            if (args.size() != 2 || !args[0].isString) {
                parser.error(lineNo, ".entry takes a quoted name and a global slot");
                continue;
            }
            if (args[0].text.size() > 32767) {
                parser.error(lineNo, "entry name longer than 32767 bytes");
                continue;
            }
            if (auto slot = parser.variable(args[1], lineNo, -32768, 32767)) {
                entries.emplace_back(args[0].text, *slot);
            }
            continue;
        }
        if (head == ".rawheader") {
            rawHeader = true;
            rawHeaderLine = lineNo;
            if (!args.empty()) {
                parser.error(lineNo, ".rawheader takes no operands");
            }
            continue;
        }
        if (head == ".byte" || head == ".short" || head == ".int") {
            int width = head == ".byte" ? 1 : head == ".short" ? 2 : 4;
            int64_t lo = width == 1 ? -128 : width == 2 ? -32768 : INT32_MIN;
            int64_t hi = width == 1 ? 255 : width == 2 ? 65535 : UINT32_MAX;
            Item item;
            item.kind = Item::Kind::Raw;
            item.line = lineNo;
            if (args.empty()) {
                parser.error(lineNo, head + " needs at least one value");
            }
            bool ok = !args.empty();
            for (const auto& arg : args) {
                auto v = parser.number(arg, lineNo, lo, hi, "value");
                if (!v) {
                    ok = false;
                    break;
                }
                putLE(item.bytes, static_cast<uint64_t>(*v), width);
            }
            if (ok) {
                items.push_back(std::move(item));
            }
            continue;
        }
        if (head[0] == '.') {
            parser.error(lineNo, "unknown directive '" + head + "'");
            continue;
        }
        Item item;
        item.line = lineNo;
        if (parseInstruction(parser, item, head, args)) {
            items.push_back(std::move(item));
        }
    }
    if (rawHeader && !entries.empty()) {
        parser.error(rawHeaderLine, ".rawheader cannot be combined with .entry");
    }
    if (entries.size() > 32767) {
        parser.error(lineNo, "more than 32767 entry points");
    }

    std::vector<uint8_t> header;
    if (!rawHeader) {
        putLE(header, entries.size(), 2);
        for (const auto& [name, slot] : entries) {
            putLE(header, name.size(), 2);
            header.insert(header.end(), name.begin(), name.end());
            putLE(header, static_cast<uint64_t>(slot), 2);
        }
    }

    std::map<std::string, size_t> labelIndex;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == Item::Kind::Label && !labelIndex.emplace(items[i].label, i).second) {
            parser.error(items[i].line, "label '" + items[i].label + "' defined twice");
        }
    }
    for (const auto& item : items) {
        if (item.kind == Item::Kind::Instruction && !item.label.empty() && !labelIndex.count(item.label)) {
            parser.error(item.line, "undefined label '" + item.label + "'");
        }
    }
    if (!errors_.empty()) {
        std::stable_sort(errors_.begin(), errors_.end(),
                         [](const AsmDiagnostic& x, const AsmDiagnostic& y) { return x.line < y.line; });
        return std::nullopt;
    }

    // Relaxation: label jumps of a family start narrow and only ever widen, so this terminates.
    auto layout = [&] {
        int64_t offset = static_cast<int64_t>(header.size());
        for (auto& item : items) {
            item.offset = static_cast<int>(std::min<int64_t>(offset, INT32_MAX));
            offset += itemSize(item);
        }
        return offset;
    };
    auto displacement = [&](const Item& item) {
        return static_cast<int64_t>(items[labelIndex[item.label]].offset) - (item.offset + itemSize(item));
    };
    int64_t total = 0;
    for (bool changed = true; changed;) {
        changed = false;
        total = layout();
        for (auto& item : items) {
            if (item.family && item.opcode == item.family->narrow && !fits8(displacement(item))) {
                item.opcode = item.family->wide;
                changed = true;
            }
        }
    }
    if (total > INT32_MAX) {
        parser.error(lineNo, "image larger than 2 GiB");
        return std::nullopt;
    }
    for (auto& item : items) {
        if (item.kind != Item::Kind::Instruction || item.label.empty()) {
            continue;
        }
        int64_t d = displacement(item);
        bool narrow = opcodeTable()[item.opcode].operand == OperandKind::Rel8;
        if (narrow ? !fits8(d) : !fits16(d)) {
            parser.error(item.line, "label '" + item.label + "' is " + std::to_string(d) +
                                        " bytes away, out of range for " +
                                        std::string(opcodeTable()[item.opcode].mnemonic));
        }
        item.a = d;
    }
    if (!errors_.empty()) {
        return std::nullopt;
    }

    std::vector<uint8_t> image = std::move(header);
    image.reserve(static_cast<size_t>(total));
    for (const auto& item : items) {
        encode(item, image);
    }
    return image;
}

} // namespace zelvan
