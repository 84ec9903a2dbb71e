// The dev server's demo game: its game id, the file of its bytecode in the game folder, and the game
// folder the build fills (the source game folder's files plus the generated demo game and its art).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvan::devserver {

// The demo game's id (the lobby's links, command 56 and the score pages use it).
inline constexpr int32_t kDemoGameId = 8;
// The demo game's bytecode, relative to the game folder.
inline constexpr std::string_view kDemoBytecodeFile = "demo.bcs";

// The build tree's game folder: tools/devserver/games/ copied, plus demo.bcs assembled from
// tools/devserver/demo_game/demo.zsa and the resources zelvan-gameart writes.
std::string builtGameRoot();

} // namespace zelvan::devserver
