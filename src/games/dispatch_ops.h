// The interpreter's dispatch numbering: the operand width of each opcode, and the combined handlers
// that a load-time pass assigns to offsets where a common sequence of instructions starts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelvan::dispatch {

// Operand bytes after each opcode byte; opcodes outside the table take none.
inline constexpr auto kOperandBytes = [] {
    std::array<uint8_t, 256> w{};
    for (int op : {2, 3, 23, 38, 47, 48, 49, 50, 53, 54, 55, 56, 58}) {
        w[static_cast<size_t>(op)] = 1;
    }
    for (int op : {25, 26, 27, 28, 29, 32, 33, 34, 35, 36, 37, 39, 46, 52}) {
        w[static_cast<size_t>(op)] = 2;
    }
    w[31] = 4;
    return w;
}();

// Highest defined opcode; every other byte is an instruction that is skipped.
inline constexpr uint8_t kLastOpcode = 58;

// Dispatch numbers past the opcodes. Each combined handler runs its instructions exactly as they
// would run one by one; it is assigned only where all of them lie inside the code.
inline constexpr uint8_t kSkip = 59;              // any undefined opcode
inline constexpr uint8_t kLoadLoad = 60;          // load8, load8
inline constexpr uint8_t kLoadLoadGet = 61;       // load8, load8, getitem
inline constexpr uint8_t kLoadLoadAdd = 62;       // load8, load8, add
inline constexpr uint8_t kLoadPush = 63;          // load8, push8
inline constexpr uint8_t kLoadPushAdd = 64;       // load8, push8, add
inline constexpr uint8_t kLoadPushSub = 65;       // load8, push8, sub
inline constexpr uint8_t kPush32And = 66;         // push32, and
inline constexpr uint8_t kIncJump = 67;           // inc, jump8
inline constexpr uint8_t kStoreLoad = 68;         // store8, load8
inline constexpr uint8_t kLoadLoadLoadSet = 69;   // load8, load8, load8, setitem
inline constexpr uint8_t kTruncated = 70;         // an instruction whose operands pass the end of the code
inline constexpr uint8_t kEnd = 71;               // the offset just past the code
inline constexpr uint8_t kLoadLoadLtJumpNot = 72; // load8, load8, lt, jumpifnot8
inline constexpr uint8_t kPush32AndStore = 73;    // push32, and, store8
inline constexpr uint8_t kDispatchCount = 74;

// The dispatch number of every offset of `code`, plus one for the end of the code. An instruction
// whose operands would reach past the end gets kTruncated, the end kEnd; so the loop dispatches
// without any bounds check, as long as it checks the targets of jumps.
inline void prepare(const uint8_t* code, size_t size, std::vector<uint8_t>& out) {
    out.assign(size + 1, kSkip);
    out[size] = kEnd;
    for (size_t pc = 0; pc < size; ++pc) {
        uint8_t op = code[pc];
        if (op > kLastOpcode) {
            continue;
        }
        if (size - pc - 1 < kOperandBytes[op]) {
            out[pc] = kTruncated;
            continue;
        }
        out[pc] = op;
        // Byte k after pc, or -1 past the end; a combination of n bytes needs n bytes left.
        const size_t left = size - pc;
        auto at = [&](size_t k) { return k < left ? int{code[pc + k]} : -1; };
        if (op == 54 && at(2) == 54 && at(4) == 54 && at(6) == 51 && left >= 7) {
            out[pc] = kLoadLoadLoadSet;
        } else if (op == 54 && at(2) == 54 && at(4) == 54 && at(6) == 13) {
            // Left plain, so that the next offset starts load, load, getitem.
        } else if (op == 54 && at(2) == 54 && at(4) == 40 && at(5) == 50 && left >= 7) {
            out[pc] = kLoadLoadLtJumpNot;
        } else if (op == 54 && at(2) == 54 && left >= 4) {
            out[pc] = at(4) == 13 ? kLoadLoadGet : at(4) == 11 ? kLoadLoadAdd : kLoadLoad;
        } else if (op == 54 && at(2) == 48 && left >= 4) {
            out[pc] = at(4) == 11 ? kLoadPushAdd : at(4) == 12 ? kLoadPushSub : kLoadPush;
        } else if (op == 31 && at(5) == 16) {
            out[pc] = at(6) == 55 && left >= 8 ? kPush32AndStore : kPush32And;
        } else if (op == 58 && at(2) == 38 && left >= 4) {
            out[pc] = kIncJump;
        } else if (op == 55 && at(2) == 54 && left >= 4) {
            out[pc] = kStoreLoad;
        }
    }
}

} // namespace zelvan::dispatch
