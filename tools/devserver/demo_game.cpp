// Where the build put the dev server's game folder.
#include "tools/devserver/demo_game.h"

namespace zelvan::devserver {

std::string builtGameRoot() {
    return ZELVAN_DEVSERVER_BUILT_GAMES;
}

} // namespace zelvan::devserver
