// Fuzz target: well-formed programs built from the fuzz bytes (instructions with operands in range,
// labels that exist, entry records that name the slots the initialisation code fills), assembled
// and run. The assembler must accept every generated program; the engine must survive it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "games/engine/natives/native_table.h"
#include "script_fuzz_support.h"

namespace {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }
    int next16() { return static_cast<int16_t>(next() | next() << 8); }
    int64_t next32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<uint32_t>(next()) << (8 * i);
        }
        return static_cast<int32_t>(v);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

constexpr int kLabels = 8;
constexpr int kMaxInstructions = 400;

const char* const kPlain[] = {"pop",  "notin",     "in",      "neg",   "not", "mul",  "div",  "mod",
                              "add",  "sub",       "getitem", "shl",   "shr", "and",  "or",   "xor",
                              "copy", "slicefrom", "sliceto", "slice", "lt",  "gt",   "le",   "ge",
                              "eq",   "ne",        "setitem", "nop",   "ret", "stop", "skipz"};
const char* const kJumps[] = {"jump",   "jumpif",   "jumpifnot",   "jumpifkeep", "jumpifnotkeep",
                              "jump16", "jumpif16", "jumpifnot16", "func",       "func16"};

// G0-G7, L0-L7, or the same around the 8/16-bit operand edge (G120-G127 / L120-L127 and beyond).
std::string variable(ByteReader& in) {
    uint8_t b = in.next();
    int n = (b & 7) + ((b & 0x40) ? 124 : 0);
    return ((b & 0x80) ? "L" : "G") + std::to_string(n);
}

std::string instruction(ByteReader& in) {
    switch (in.next() % 16) {
    case 0:
    case 1:
    case 2:
        return kPlain[in.next() % std::size(kPlain)];
    case 3:
        return "push " + std::to_string(static_cast<int8_t>(in.next()));
    case 4:
        return "push " + std::to_string((in.next() & 1) ? in.next16() : in.next32());
    case 5: {
        std::string text;
        for (int n = in.next() % 6; n > 0; --n) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", in.next());
            text += buf;
        }
        return "bytes \"" + text + "\"";
    }
    case 6:
        return std::string((in.next() & 1) ? "mkarray " : "unpack ") + std::to_string(in.next() % 5);
    case 7:
        return "print " + std::to_string(in.next() % 3);
    case 8:
        return "load " + variable(in);
    case 9:
        return "store " + variable(in);
    case 10:
        return "clear " + variable(in);
    case 11:
        return "inc L" + std::to_string(in.next() % 8);
    case 12:
    case 13:
        return std::string(kJumps[in.next() % std::size(kJumps)]) + " l" + std::to_string(in.next() % kLabels);
    case 14:
        return "call " + std::to_string(static_cast<int>(in.next() % 6) - 2);
    default: {
        // Native 0 waits real time for as long as its argument says, so it becomes an empty slot here.
        int id = in.next();
        return "native " + std::to_string(id == 0 ? zelvan::NativeTable::kCount : id) + " " +
               std::to_string(static_cast<int>(in.next() % 7) - 2);
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    script_fuzz::setUp();
    ByteReader in(data, size);

    // Two functions, "main" in G3 and "helper" in G4, the way a game's initialisation code sets them.
    std::string source = ".entry \"main\" G3\n.entry \"helper\" G4\n"
                         "    func main\n    store G3\n    func helper\n    store G4\n    ret\nmain:\n";
    std::vector<bool> placed(kLabels, false);
    bool helperPlaced = false;
    for (int i = 0; i < kMaxInstructions && !in.empty(); ++i) {
        uint8_t control = in.next();
        if (control < 24) { // define a label here
            int label = control % kLabels;
            if (!placed[label]) {
                placed[label] = true;
                source += "l" + std::to_string(label) + ":\n";
            }
        } else if (control < 28 && !helperPlaced) {
            helperPlaced = true;
            source += "    push 0\n    ret\nhelper:\n";
        }
        source += "    " + instruction(in) + "\n";
    }
    for (int label = 0; label < kLabels; ++label) {
        if (!placed[label]) {
            source += "l" + std::to_string(label) + ":\n";
        }
    }
    source += "    push 0\n    ret\n";
    if (!helperPlaced) {
        source += "helper:\n    load L0\n    ret\n";
    }

    zelvan::Assembler assembler;
    auto image = assembler.assemble(source);
    if (!image) {
        std::fprintf(stderr, "generated program rejected:\n%s\n%s", source.c_str(), assembler.errorText().c_str());
        std::abort();
    }
    script_fuzz::checkRoundTrip(*image);
    script_fuzz::runImage(*image);
    return 0;
}
