// The interpreter's dispatch numbering: the operand width of each opcode, and the combined handlers
// that a load-time pass assigns to offsets where a common sequence of instructions starts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "games/engine/opcodes.h"

namespace zelvan::dispatch {

// Operand bytes after each opcode byte; undefined opcodes take none.
inline constexpr auto kOperandBytes = [] {
    std::array<uint8_t, 256> w{};
    for (const OpInfo& op : kOpcodes) {
        w[static_cast<size_t>(op.opcode)] = static_cast<uint8_t>(operandSize(op.operand));
    }
    return w;
}();

// X(Name): the dispatch numbers past the opcodes, in order, each run by the handler op_<Name>. A
// combined handler runs its instructions exactly as they would run one by one; it is assigned only
// where all of them lie inside the code (the sequences are in kFusions below).
// clang-format off
#define ZELVAN_DISPATCH_EXTRAS(X)                                                                                      \
    X(Skip)              /* any undefined opcode */                                                                    \
    X(LoadLoad)                                                                                                        \
    X(LoadLoadGet)                                                                                                     \
    X(LoadLoadAdd)                                                                                                     \
    X(LoadPush)                                                                                                        \
    X(LoadPushAdd)                                                                                                     \
    X(LoadPushSub)                                                                                                     \
    X(Push32And)                                                                                                       \
    X(IncJump)                                                                                                         \
    X(StoreLoad)                                                                                                       \
    X(LoadLoadLoadSet)                                                                                                 \
    X(Truncated)         /* an instruction whose operands pass the end of the code */                                  \
    X(End)               /* the offset just past the code */                                                           \
    X(LoadLoadLtJumpNot)                                                                                               \
    X(Push32AndStore)                                                                                                  \
    X(IncJumpTest)       /* inc, jump8 to a load, load, lt, jumpifnot8 (the head of a counting loop) */
// clang-format on

enum : uint8_t {
    kBeforeExtras = kLastOpcode,
#define ZELVAN_DISPATCH_ENUM(name) k##name,
    ZELVAN_DISPATCH_EXTRAS(ZELVAN_DISPATCH_ENUM)
#undef ZELVAN_DISPATCH_ENUM
        kDispatchCount
};

// A sequence of instructions that starts a combined handler. The first sequence found at an offset
// wins; one whose handler is its own first opcode keeps that offset plain.
struct Fusion {
    std::array<Op, 4> ops{};
    size_t count = 0;
    uint8_t handler = 0;
};

inline constexpr Fusion kFusions[] = {
    {{Op::Load8, Op::Load8, Op::Load8, Op::SetItem}, 4, kLoadLoadLoadSet},
    // Left plain, so that the next offset starts load, load, getitem.
    {{Op::Load8, Op::Load8, Op::Load8, Op::GetItem}, 4, static_cast<uint8_t>(Op::Load8)},
    {{Op::Load8, Op::Load8, Op::Lt, Op::JumpIfNot8}, 4, kLoadLoadLtJumpNot},
    {{Op::Load8, Op::Load8, Op::GetItem}, 3, kLoadLoadGet},
    {{Op::Load8, Op::Load8, Op::Add}, 3, kLoadLoadAdd},
    {{Op::Load8, Op::Load8}, 2, kLoadLoad},
    {{Op::Load8, Op::Push8, Op::Add}, 3, kLoadPushAdd},
    {{Op::Load8, Op::Push8, Op::Sub}, 3, kLoadPushSub},
    {{Op::Load8, Op::Push8}, 2, kLoadPush},
    {{Op::Push32, Op::And, Op::Store8}, 3, kPush32AndStore},
    {{Op::Push32, Op::And}, 2, kPush32And},
    {{Op::Inc, Op::Jump8}, 2, kIncJump},
    {{Op::Store8, Op::Load8}, 2, kStoreLoad},
};

// An inc, jump8 pair whose jump lands on a load, load, lt, jumpifnot8 sequence: the step and the test of
// a counting loop. The handler runs all six instructions with one dispatch.
inline bool jumpsToLoopTest(const uint8_t* code, size_t size, size_t pc, const std::vector<uint8_t>& out) {
    // inc takes 2 bytes, jump8 2; the offset counts from the end of the jump.
    int64_t target = static_cast<int64_t>(pc) + 4 + static_cast<int8_t>(code[pc + 3]);
    return target >= 0 && static_cast<uint64_t>(target) < size &&
           out[static_cast<size_t>(target)] == kLoadLoadLtJumpNot;
}

// Whether the instructions of `fusion` start at `at` and all of them, operands included, lie within
// the `left` bytes from there.
inline bool startsFusion(const uint8_t* at, size_t left, const Fusion& fusion) {
    size_t offset = 0;
    for (size_t i = 0; i < fusion.count; ++i) {
        if (offset >= left || at[offset] != static_cast<uint8_t>(fusion.ops[i])) {
            return false;
        }
        offset += 1 + size_t{kOperandBytes[at[offset]]};
    }
    return offset <= left;
}

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
        for (const Fusion& fusion : kFusions) {
            if (static_cast<uint8_t>(fusion.ops[0]) == op && startsFusion(code + pc, size - pc, fusion)) {
                out[pc] = fusion.handler;
                break;
            }
        }
    }
    // Jump targets may lie ahead, so the loop steps are found once every offset has its handler.
    for (size_t pc = 0; pc < size; ++pc) {
        if (out[pc] == kIncJump && jumpsToLoopTest(code, size, pc, out)) {
            out[pc] = kIncJumpTest;
        }
    }
}

} // namespace zelvan::dispatch
