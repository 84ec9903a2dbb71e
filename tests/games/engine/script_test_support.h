// Helpers of the interpreter tests: engines built from assembler text, a one-function "main" program
// around a body of instructions, and byte-string values.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/value.h"
#include "tools/bcasm/assembler.h"

// Failure messages show values as their description rather than their bytes.
namespace fnd {
inline void PrintTo(const Value& value, std::ostream* os) {
    *os << value.description();
}
} // namespace fnd

namespace zelvan::testing {

inline constexpr int32_t kTestGameId = 77;
inline constexpr int32_t kTestMyId = 4242;

// The image of `source`; a failed assembly fails the test and gives an empty image.
inline fnd::Bytes assemble(std::string_view source) {
    Assembler assembler;
    std::optional<std::vector<uint8_t>> image = assembler.assemble(source);
    if (!image) {
        ADD_FAILURE() << "assembly failed:\n" << assembler.errorText() << "\nsource:\n" << source;
        return {};
    }
    return *image;
}

inline std::unique_ptr<STLScriptEngine> engineForImage(fnd::Bytes image) {
    return std::make_unique<STLScriptEngine>(std::move(image), kTestMyId, 5, kTestGameId, fnd::Value(), fnd::Value(),
                                             320, 240);
}

inline std::unique_ptr<STLScriptEngine> engineFor(std::string_view source) {
    return engineForImage(assemble(source));
}

// An engine of `source` for room `room` with a host and two players: user ids "101" and "102",
// names "ann" and "bob".
inline std::unique_ptr<STLScriptEngine> engineWithHost(std::string_view source, std::shared_ptr<GameHost> host,
                                                       int32_t room = 5) {
    return std::make_unique<STLScriptEngine>(assemble(source), kTestMyId, room, kTestGameId,
                                             fnd::Value::array({"101", "102"}), fnd::Value::array({"ann", "bob"}), 320,
                                             240, std::move(host));
}

// A program whose entry point "main" (global 3) runs `body`.
inline std::string mainProgram(std::string_view body) {
    return std::string(".entry \"main\" G3\n    func main\n    store G3\n    stop\nmain:\n") + std::string(body) + "\n";
}

// Runs `body` as "main" with `args` and returns the converted result.
inline fnd::Value runMain(std::string_view body, const fnd::Value& args = fnd::Value()) {
    std::unique_ptr<STLScriptEngine> engine = engineFor(mainProgram(body));
    return engine->call("main", args);
}

inline fnd::Value bytes(std::string_view text) {
    return fnd::Value(fnd::Bytes(text.begin(), text.end()));
}

} // namespace zelvan::testing
